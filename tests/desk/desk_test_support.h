#pragma once

#include <QFileDialog>

#include <functional>

namespace tvx::desktest {

// Answers the next modal window of the class named `type`; see WhenModal.
void AnswerModal(const char* type, std::function<void(QWidget*)> act, int deadlineMs);

// Acts on the next modal window of type T once it is up, from inside whatever exec() runs it.
// A window that never comes is given up after the deadline (the test's own checks then
// fail). One that `act` leaves open for the deadline fails the running test and is closed, so
// its exec() returns: a dialog that refuses its answer never hangs a test. The helper acts
// only within the test function that set it up, never on a later test's window.
template <typename T>
void WhenModal(std::function<void(T*)> act, int deadlineMs = 10000) {
    AnswerModal(T::staticMetaObject.className(), [act](QWidget* window) { act(static_cast<T*>(window)); },
                deadlineMs);
}

// Types `path` into the name field of an open-file dialog and presses Open, as a person
// does; the dialog then checks the choice as its Open button would.
void ChooseFile(QFileDialog* dialog, const QString& path);

// Answers the next message box with `button` and keeps its text in *text.
void AnswerMessageBox(int button, QString* text = nullptr);

// Types the folder into the open convert dialog and presses Convert, as a person does.
void FillConvert(QWidget* dialog, const QString& folder);

}  // namespace tvx::desktest
