#include "desk/help.h"

#include "core/string_table.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace tvx {

namespace {

QString ManualsTail() { return QStringLiteral("/manuals/") + QString::fromUtf8(kUserGuideName); }

}  // namespace

QStringList UserGuidePlaces(const QString& programDir) {
    QStringList places{programDir + ManualsTail()};
#ifdef TVX_INSTALLED_DOCS
    // The install puts the guide under the documentation folder, found from the program's own.
    places << QDir::cleanPath(programDir + QStringLiteral("/" TVX_INSTALLED_DOCS)) + ManualsTail();
#endif
    return places;
}

QString ShortGuidePath(const QString& path) {
    if (path.size() < 64)
        return path;
    QString head = path.left(25);
    head.truncate(head.lastIndexOf('/') + 1);
    return head + QStringLiteral("...") + ManualsTail();
}

void OpenUserGuide(QWidget* parent) {
    const QStringList places = UserGuidePlaces(QCoreApplication::applicationDirPath());
    for (const QString& place : places) {
        if (QFileInfo(place).isFile()) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(place));
            return;
        }
    }
    const QString text =
        QString::asprintf(LoadString(149), ShortGuidePath(places.front()).toUtf8().constData());
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(LoadString(109)), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

}  // namespace tvx
