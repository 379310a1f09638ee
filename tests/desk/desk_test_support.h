#pragma once

#include <QApplication>
#include <QFileDialog>

#include <functional>

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

}  // namespace tvx::desktest
