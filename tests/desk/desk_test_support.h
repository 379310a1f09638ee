#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tvx::desktest {

// Finds the window to answer (null while it is not up) and answers it; see WhenModal.
void AnswerModal(std::function<QWidget*()> find, std::function<void(QWidget*)> act,
                 const char* type, int deadlineMs);

// Acts on the next modal window of type T once it is up, from inside whatever exec() runs it.
// A window that never comes is given up after the deadline (the test's own checks then
// fail). One that `act` leaves open for the deadline fails the running test and is closed, so
// its exec() returns: a dialog that refuses its answer never hangs a test. The helper acts
// only within the test function that set it up, never on a later test's window.
template <typename T>
void WhenModal(std::function<void(T*)> act, int deadlineMs = 10000) {
    AnswerModal([] { return qobject_cast<T*>(QApplication::activeModalWidget()); },
                [act](QWidget* window) { act(static_cast<T*>(window)); },
                T::staticMetaObject.className(), deadlineMs);
}

// Types `path` into the name field of an open-file dialog and presses Open, as a person
// does; the dialog then checks the choice as its Open button would.
void ChooseFile(QFileDialog* dialog, const QString& path);

// Answers the next message box with `button` and keeps its text in *text.
void AnswerMessageBox(int button, QString* text = nullptr);

// Fills the open convert dialog as a person does: the folder, then, when `box` names one
// ("minutesBox" or "megabytesBox"), checks it and types `number`; then presses Convert.
void FillConvert(QWidget* dialog, const QString& folder, const char* box = nullptr,
                 const QString& number = {});

// A fresh folder under the temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
        : m_dir(QDir::tempPath() + "/tvx-desk-" + QString::fromStdString(tag) + "-XXXXXX") {}
    std::filesystem::path Path() const { return m_dir.path().toStdString(); }
    std::string operator/(const std::string& name) const { return (Path() / name).string(); }

private:
    QTemporaryDir m_dir;
};

std::string Slurp(const std::filesystem::path& path);

// The files of a folder, by name, sorted.
std::vector<std::string> FileNames(const std::filesystem::path& folder);

// Runs tessivox-cli with the arguments; its exit status, or -1 when it did not exit within
// two minutes.
int RunCli(const std::string& cliPath, const std::vector<std::string>& args);

}  // namespace tvx::desktest
