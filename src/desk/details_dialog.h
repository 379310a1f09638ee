#pragma once

#include "export/details.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tvx {

// "Details": what the loaded image is, read-only. The texts are the engine's; the dialog
// only shows them.
class CDetails : public QDialog {
    Q_OBJECT
public:
    explicit CDetails(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    void SetDetails(const QString& details);   // CR LF lines, tabs between label and value
    void SetFields(const DetailsFields& fields);

private:
    QLabel* m_caption;
    QLineEdit* m_unitText;
    QLineEdit* m_number;
    QLineEdit* m_sampleRate;
    QLineEdit* m_bits;
    QLineEdit* m_channels;
    QPlainTextEdit* m_details;
};

// The "Details" command's dialog, modal, for the fields of the window's reader
// (each format home makes them).
void ShowDetails(QWidget* parent, const DetailsFields& fields);

}  // namespace tvx
