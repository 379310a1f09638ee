#include "desk_test_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QAbstractItemView>
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
#include <unistd.h>

namespace tvx::desktest {

namespace fs = std::filesystem;

namespace {

// The running test function's name, "" between tests.
QByteArray CurrentTest() {
    const char* name = QTest::currentTestFunction();
    return name != nullptr ? QByteArray(name) : QByteArray();
}

// Polls for the window, answers it once, then watches that the answer closed it.
class ModalAnswer : public QObject {
public:
    ModalAnswer(std::function<QWidget*()> find, std::function<void(QWidget*)> act,
                const char* type, int deadlineMs)
        : m_find(std::move(find)), m_act(std::move(act)), m_type(type),
          m_deadlineMs(deadlineMs), m_test(CurrentTest()) {
        m_since.start();
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswer::Poll);
        m_timer.start(10);
    }

private:
    void Poll() {
        if (CurrentTest() != m_test)
            return Finish();   // its test is over: a later test's window is not its to answer
        const bool late = m_since.elapsed() >= m_deadlineMs;
        if (m_answered) {
            if (m_window.isNull() || !m_window->isVisible())
                return Finish();
            if (late) {
                FailAndClose();
                Finish();
            }
            return;
        }
        if (late)
            return Finish();   // never came: the test's own checks say so
        QWidget* window = m_find();
        if (window == nullptr)
            return;
        m_answered = true;
        m_window = window;
        m_timer.stop();   // not re-entered while the answer runs a nested loop of its own
        m_act(window);
        m_since.restart();
        m_timer.start(10);
    }

    void FailAndClose() {
        const QByteArray message =
            QByteArray("the answer given to a modal ") + m_type + " did not close it";
        if (m_test.isEmpty())   // not under a test runner (the screenshot tools)
            qWarning("%s", message.constData());
        else
            QTest::qFail(message.constData(), __FILE__, __LINE__);
        if (auto* dialog = qobject_cast<QDialog*>(m_window.data()))
            dialog->done(QDialog::Rejected);
        else
            m_window->close();
    }

    void Finish() {
        m_timer.stop();
        deleteLater();
    }

    std::function<QWidget*()> m_find;
    std::function<void(QWidget*)> m_act;
    const char* m_type;
    int m_deadlineMs;
    QByteArray m_test;
    QTimer m_timer;
    QElapsedTimer m_since;
    bool m_answered = false;
    QPointer<QWidget> m_window;
};

}  // namespace

void AnswerModal(std::function<QWidget*()> find, std::function<void(QWidget*)> act,
                 const char* type, int deadlineMs) {
    new ModalAnswer(std::move(find), std::move(act), type, deadlineMs);
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

TempFolder::TempFolder(const std::string& tag)
    : m_path(fs::temp_directory_path() / ("tvx-desk-" + tag + "-" + std::to_string(::getpid()))) {
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
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
