#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tvx::app {

// The modeless progress window of the peaks pass and the authentication run. It lives hidden
// for the whole life of the main window; while shown it sits over its anchor (the waveform),
// follows the main window when that moves, and takes the main window's input.
class CWaitDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdText = 1053;
    static constexpr int kIdProgress = 1055;
    static constexpr int kIdCancel = 1057;

    explicit CWaitDlg(QWidget* parent);

    void SetText(const QString& text);
    void SetRange(int upper);
    void SetPos(int position);
    // Placed over anchor and shown; a run always starts uncancelled.
    void ShowOver(QWidget* anchor);

    QString Text() const;
    int Range() const;
    int Pos() const;

    bool m_bCancel = false;   // set by Cancel; read between the steps of the long loops

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;   // Escape is Cancel; the window stays until its user hides it

private:
    void Place();

    QLabel* m_text;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QPointer<QWidget> m_anchor;
};

// Top-left corner of a window of `size` centred over `anchor` (global coordinates).
QPoint CentredOver(const QRect& anchor, const QSize& size);

}  // namespace tvx::app
