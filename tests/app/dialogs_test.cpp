#include "app/about_dlg.h"
#include "app/gui_hooks.h"
#include "app/wait_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <thread>

using namespace tvx::app;

namespace {

template <typename T>
T* ById(QWidget& parent, int id) {
    for (T* w : parent.findChildren<T*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

class RecordingPrompter : public Prompter {
public:
    bool AskYesNo(const QString& caption, const QString& text) override {
        asked.append(caption + "|" + text);
        return answer;
    }
    void Tell(const QString& caption, const QString& text, Icon) override {
        told.append(caption + "|" + text);
    }
    bool answer = true;
    QStringList asked;
    QStringList told;
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void AboutNamesTheVersion() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QString("About Tessivox"));
        QLabel* version = ById<QLabel>(about, CAboutDlg::kIdVersion);
        QVERIFY(version);
        QCOMPARE(version->text(), QString("Tessivox Version 1.3.7"));
    }

    void CancelHoldsUntilTheNextShow() {
        QWidget main;
        main.resize(400, 300);
        main.show();
        CWaitDlg wait(&main);
        QVERIFY(!wait.isVisible());
        wait.ShowOver(&main);
        QVERIFY(!wait.m_bCancel);
        QTest::mouseClick(ById<QPushButton>(wait, CWaitDlg::kIdCancel), Qt::LeftButton);
        QVERIFY(wait.m_bCancel);
        QVERIFY(wait.isVisible());   // its user hides it
        wait.hide();
        QVERIFY(wait.m_bCancel);
        wait.ShowOver(&main);
        QVERIFY(!wait.m_bCancel);
    }

    void FollowsTheMainWindow() {
        QWidget main;
        main.setGeometry(100, 100, 600, 400);
        QWidget* wave = new QWidget(&main);
        wave->setGeometry(20, 200, 560, 100);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        CWaitDlg wait(&main);
        wait.ShowOver(wave);
        const QPoint before = wait.pos();
        const QPoint waveCentre = wave->mapToGlobal(wave->rect().center());
        QVERIFY(qAbs(wait.geometry().center().x() - waveCentre.x()) <= 1);
        QVERIFY(qAbs(wait.geometry().center().y() - waveCentre.y()) <= 1);
        main.move(main.pos() + QPoint(37, 21));
        QTRY_COMPARE(wait.pos(), before + QPoint(37, 21));
    }

    void HooksDriveTheWaitWindowAndThePrompter() {
        QWidget main;
        main.resize(400, 300);
        main.show();
        CWaitDlg wait(&main);
        RecordingPrompter prompter;
        GuiHooks hooks(wait, main, prompter);
        hooks.SetMessage("Building Peaks...");
        hooks.SetRange(560);
        hooks.SetPos(17);
        hooks.ShowProgress(true);
        QVERIFY(wait.isVisible());
        QCOMPARE(wait.Text(), QString("Building Peaks..."));
        QCOMPARE(wait.Range(), 560);
        QCOMPARE(wait.Pos(), 17);
        QVERIFY(!hooks.IsCancelled());
        wait.m_bCancel = true;
        QVERIFY(hooks.IsCancelled());
        hooks.ShowProgress(false);
        QVERIFY(!wait.isVisible());

        prompter.answer = false;
        QVERIFY(!hooks.AskYesNo("File Load", "Continue?"));
        QCOMPARE(prompter.asked, QStringList{"File Load|Continue?"});
        hooks.Notice("", "Failed to open: x");
        QCOMPARE(prompter.told, QStringList{"|Failed to open: x"});
    }

    void NoticeFromAWorkerIsShownOnTheWindowThread() {
        QWidget main;
        CWaitDlg wait(&main);
        RecordingPrompter prompter;
        GuiHooks hooks(wait, main, prompter);
        std::thread worker([&hooks] { hooks.Notice("Wave", "no device"); });
        worker.join();
        QVERIFY(prompter.told.isEmpty());   // nothing shown from the worker itself
        QTRY_COMPARE(prompter.told, QStringList{"Wave|no device"});
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
