#include "desk_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAbstractItemView>
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
void AnswerModal(const char* type, std::function<void(QWidget*)> act, int deadlineMs) {
    auto* timer = new QTimer;
    QElapsedTimer since;
    since.start();
    QObject::connect(timer, &QTimer::timeout, [=, test = QByteArray(QTest::currentTestFunction())] {
        // A later test's window is not its to answer; one that never came is given up (the
        // test's own checks say so).
        const bool ours = QByteArray(QTest::currentTestFunction()) == test;
        QWidget* modal = QApplication::activeModalWidget();
        const QPointer<QWidget> window = ours && modal != nullptr && modal->inherits(type) ? modal : nullptr;
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
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
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

void FillConvert(QWidget* dialog, const QString& folder) {
    dialog->findChild<QLineEdit*>(QStringLiteral("folder"))->setText(folder);
    dialog->findChild<QPushButton*>(QStringLiteral("convert"))->click();
}

}  // namespace tvx::desktest
