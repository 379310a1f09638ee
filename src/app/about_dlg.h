#pragma once

#include <QDialog>

class QLabel;

namespace tvx::app {

// The about box: the application icon, "Tessivox Version " and the version string, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdVersion = 1021;

    explicit CAboutDlg(QWidget* parent = nullptr);

    QString m_strVersion;

private:
    QLabel* m_version;
};

}  // namespace tvx::app
