#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tvx::desktest {

// Acts on the next modal window of type T once it is up, from inside whatever exec() runs it.
// Gives up silently after the deadline, so a window that never comes fails the test's own
// expectations instead of hanging it.
template <typename T>
void WhenModal(std::function<void(T*)> act, int deadlineMs = 10000) {
    auto* timer = new QTimer;
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(timer, &QTimer::timeout, [timer, since, act, deadlineMs] {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window == nullptr && since->elapsed() < deadlineMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (window != nullptr)
            act(window);
    });
    timer->start(10);
}

// Answers the next message box with `button` and keeps its text in *text.
void AnswerMessageBox(int button, QString* text = nullptr);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag);
    ~TempFolder();
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

std::string Slurp(const std::filesystem::path& path);

// The files of a folder, by name, sorted.
std::vector<std::string> FileNames(const std::filesystem::path& folder);

// Runs tessivox-cli with the arguments; its exit status, or -1 when it did not exit.
int RunCli(const std::string& cliPath, const std::vector<std::string>& args);

}  // namespace tvx::desktest
