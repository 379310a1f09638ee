#include "app/prompter.h"

#include <QMessageBox>

namespace tvx::app {

bool BoxPrompter::AskYesNo(const QString& caption, const QString& text) {
    return QMessageBox::warning(m_parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

void BoxPrompter::Tell(const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

}  // namespace tvx::app
