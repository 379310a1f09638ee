#include "desk/open_dialog.h"

#include "desk/profile.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace tvx {

QString OpenFilter() {
    return QStringLiteral("All Supported files (*.ix2 *.im2 *.img);;IMG Files (*.img);;"
                          "IM2 Files (*.im2);;IX2 Files (*.ix2);;All Files (*)");
}

std::optional<std::string> ChooseImage(QWidget* parent, const Profile& profile) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("openImageDialog"));
    // Qt's own dialog matches the patterns in any letter case, as recorders name files
    // F00012.IM2; some desktop dialogs would hide those behind "*.im2".
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(OpenFilter());
    dialog.setDefaultSuffix(QStringLiteral("im2"));
    const QString start = QFile::decodeName(QByteArray::fromStdString(OpenDialogStart(profile)));
    if (QFileInfo(start).isDir()) {
        dialog.setDirectory(start);
    } else {
        dialog.setDirectory(QFileInfo(start).absolutePath());
        dialog.selectFile(start);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace tvx
