#include "desk_test_support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tvx::desktest {

namespace fs = std::filesystem;

namespace {

// The running test function's name, "" between tests.
QByteArray CurrentTest() {
    const char* name = QTest::currentTestFunction();
    return name != nullptr ? QByteArray(name) : QByteArray();
}

}  // namespace

// Polls for the window, answers it once, then watches that the answer closed it.
void AnswerModal(std::function<QWidget*()> find, std::function<void(QWidget*)> act,
                 const char* type, int deadlineMs) {
    struct State {
        QElapsedTimer since;
        QByteArray test = CurrentTest();
        QPointer<QWidget> window;
        bool answered = false;
    };
    auto s = std::make_shared<State>();
    s->since.start();
    auto* timer = new QTimer;
    const auto finish = [timer] {
        timer->stop();
        timer->deleteLater();
    };
    QObject::connect(timer, &QTimer::timeout, [=] {
        const bool late = s->since.elapsed() >= deadlineMs;
        // Its test is over (a later test's window is not its to answer), or the window never
        // came (the test's own checks say so), or the answer closed it.
        if (CurrentTest() != s->test || (!s->answered && late) ||
            (s->answered && (s->window.isNull() || !s->window->isVisible())))
            return finish();
        if (s->answered) {
            if (!late)
                return;
            const QByteArray message = QByteArray("the answer given to a modal ") + type + " did not close it";
            if (s->test.isEmpty())   // not under a test runner (the screenshot tool)
                qWarning("%s", message.constData());
            else
                QTest::qFail(message.constData(), __FILE__, __LINE__);
            if (auto* dialog = qobject_cast<QDialog*>(s->window.data()))
                dialog->done(QDialog::Rejected);
            else
                s->window->close();
            return finish();
        }
        s->window = find();
        if (s->window.isNull())
            return;
        s->answered = true;
        timer->stop();   // not re-entered while the answer runs a nested loop of its own
        act(s->window);
        s->since.restart();
        timer->start(10);
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

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int RunCli(const std::string& cliPath, const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& a : args)
        arguments << QString::fromStdString(a);
    QProcess cli;
    cli.setStandardInputFile(QProcess::nullDevice());
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(QString::fromStdString(cliPath), arguments);
    if (cli.waitForFinished(120000) && cli.exitStatus() == QProcess::NormalExit)
        return cli.exitCode();
    cli.kill();
    cli.waitForFinished();
    return -1;
}

}  // namespace tvx::desktest
