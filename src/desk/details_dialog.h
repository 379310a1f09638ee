#pragma once

#include "export/details.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tvx {

class BackgroundHash;

// "Details": what the loaded image is, read-only. The texts are the engine's; the dialog
// only shows them.
class CDetails : public QDialog {
    Q_OBJECT
public:
    explicit CDetails(QWidget* parent = nullptr);
    ~CDetails() override;

    void SetCaption(const QString& caption);
    void SetDetails(const QString& details);   // CR LF lines, tabs between label and value
    void SetFields(const DetailsFields& fields);
    // Size, modification time and SHA-256 of the image file, filled in when the hash is done.
    // It runs on a thread of its own, so the dialog answers meanwhile; closing stops it.
    void HashImage(const std::string& path);

private:
    void TakeHash();

    QLabel* m_caption;
    QLineEdit* m_unitText;
    QLineEdit* m_number;
    QLineEdit* m_sampleRate;
    QLineEdit* m_bits;
    QLineEdit* m_channels;
    QPlainTextEdit* m_details;
    QLineEdit* m_size;
    QLineEdit* m_modified;
    QLineEdit* m_sha256;
    std::unique_ptr<BackgroundHash> m_hash;
    QTimer m_hashPoll;
};

// The "Details" command's dialog, modal, for the fields of the window's reader
// (each format home makes them) and the image file's hash.
void ShowDetails(QWidget* parent, const DetailsFields& fields, const std::string& imagePath);

}  // namespace tvx
