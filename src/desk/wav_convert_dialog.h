#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tvx {

// "Convert To Wave": the destination folder and when a new WAV starts, after a number of
// minutes or of megabytes, never both. Convert is refused while the folder is not there.
class CWavConvert : public QDialog {
    Q_OBJECT
public:
    explicit CWavConvert(QWidget* parent = nullptr);

    void SetFolder(const QString& folder);
    QString GetFolder() const { return m_strFolder; }
    // After Convert: 0 unless its box was checked. The passes take the low 16 bits.
    int Minutes() const { return m_nMinutes; }
    int Megabytes() const { return m_nMegabytes; }

    void accept() override;

private:
    void OnMinutes();
    void OnMegabytes();
    void OnBrowse();
    // Reads the controls into the fields; false (after saying so) when a number is not one.
    bool ReadControls();
    void WriteControls();
    void ApplyBoxRules(bool minutesClicked);

    QLineEdit* m_editMinutes;
    QLineEdit* m_editMegabytes;
    QCheckBox* m_checkMegabytes;
    QCheckBox* m_checkMinutes;
    QLineEdit* m_editFolder;
    QPushButton* m_browse;

    bool m_bMegabytes = false;
    bool m_bMinutes = false;
    QString m_strFolder;
    int m_nMinutes = 0;
    int m_nMegabytes = 0;
};

}  // namespace tvx
