#pragma once

#include <QString>

class QWidget;

namespace tvx::app {

// Message boxes of the main window. Everything the program asks or tells the user goes
// through one of these, so that a test can answer instead of a person.
class Prompter {
public:
    enum class Icon { None, Exclamation };

    virtual ~Prompter() = default;
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
    virtual void Tell(const QString& caption, const QString& text, Icon icon) = 0;
};

// Real message boxes over `parent`.
class BoxPrompter : public Prompter {
public:
    explicit BoxPrompter(QWidget* parent) : m_parent(parent) {}
    bool AskYesNo(const QString& caption, const QString& text) override;
    void Tell(const QString& caption, const QString& text, Icon icon) override;

private:
    QWidget* m_parent;
};

}  // namespace tvx::app
