#include "desk_test_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tvx::desktest {

// Polls for the window and answers it once; an answer must close it before it returns.
void AnswerModal(std::function<QWidget*()> find, std::function<void(QWidget*)> act,
                 const char* type, int deadlineMs) {
    auto* timer = new QTimer;
    QElapsedTimer since;
    since.start();
    QObject::connect(timer, &QTimer::timeout, [=, test = QByteArray(QTest::currentTestFunction())] {
        // A later test's window is not its to answer; one that never came is given up (the
        // test's own checks say so).
        const bool ours = QByteArray(QTest::currentTestFunction()) == test;
        const QPointer<QWidget> window = ours ? find() : nullptr;
        if (ours && window.isNull() && since.elapsed() < deadlineMs)
            return;
        timer->stop();   // not re-entered while the answer runs a nested loop of its own
        if (!window.isNull())
            act(window);
        timer->deleteLater();
        if (window.isNull() || !window->isVisible())
            return;
        const QByteArray message = QByteArray("the answer given to a modal ") + type + " did not close it";
        if (test.isEmpty())   // not under a test runner (the screenshot tool)
            qWarning("%s", message.constData());
        else
            QTest::qFail(message.constData(), __FILE__, __LINE__);
        if (auto* dialog = qobject_cast<QDialog*>(window.data()))
            dialog->done(QDialog::Rejected);
        else
            window->close();
    });
    timer->start(10);
}

void ChooseFile(QFileDialog* dialog, const QString& path) {
    // selectFile() leaves the name field alone while it has the focus, and the list keeps
    // what the dialog selected as it read the folder: either would choose another file.
    if (auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView")))
        list->selectionModel()->clear();
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) {
        QTest::qFail("the file dialog has no name field", __FILE__, __LINE__);
        return static_cast<QDialog*>(dialog)->reject();
    }
    name->setText(path);
    static_cast<QDialog*>(dialog)->accept();   // as its Open button does
}

void AnswerMessageBox(int button, QString* text) {
    WhenModal<QMessageBox>([button, text](QMessageBox* box) {
        if (text != nullptr)
            *text = box->text();
        if (QAbstractButton* b = box->button(static_cast<QMessageBox::StandardButton>(button)))
            b->click();
        else
            box->reject();
    });
}

void FillConvert(QWidget* dialog, const QString& folder, const char* box, const QString& number) {
    dialog->findChild<QLineEdit*>(QStringLiteral("folder"))->setText(folder);
    if (box != nullptr) {
        dialog->findChild<QCheckBox*>(QString::fromLatin1(box))->click();
        const QString field = QString::fromLatin1(box).chopped(3);   // "minutes", "megabytes"
        dialog->findChild<QLineEdit*>(field)->setText(number);
    }
    dialog->findChild<QPushButton*>(QStringLiteral("convert"))->click();
}

}  // namespace tvx::desktest
