// The texts the window shows, its wait window, and the hooks that reach both from a pass.
#include "app/gui_hooks.h"
#include "app/result_texts.h"
#include "app/wait_dlg.h"
#include "core/datetime.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <thread>

using namespace tvx;
using namespace tvx::app;

namespace {

class RecordingPrompter : public Prompter {
public:
    bool AskYesNo(const QString& caption, const QString& text) override {
        asked.append(caption + "|" + text);
        return false;
    }
    void Tell(const QString& caption, const QString& text, Icon) override {
        told.append(caption + "|" + text);
    }
    QStringList asked;
    QStringList told;
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void TheResultTextsOfATickAndALoad() {
        const ResultTexts t = TickTexts({3723004, 1000, 59999, 360000000}, {1, 22, 333, 4444, 5, 6});
        QCOMPARE(QString::fromStdString(t.duration + " " + t.verified + " " + t.irregularities + " " +
                                        t.unauthenticated),
                 QString("01:02:03.004 00:00:01.000 00:00:59.999 100:00:00.000"));   // past 24 hours
        QCOMPARE(QString::fromStdString(t.unitIdCount + " " + t.fileNumberCount + " " +
                                        t.sequenceCount + " " + t.checksumCount),
                 QString("1 22 333 4444"));
        // A load shows the length twice; only IX2 keeps a length past 32 bits.
        const std::int64_t ms = (std::int64_t{1} << 32) + 3723004;
        const ResultTexts im2 = LoadTexts(WrappedLengthText(ms));
        QCOMPARE(QString::fromStdString(im2.duration + " " + im2.unauthenticated + " " + im2.verified),
                 QString("01:02:03.004 01:02:03.004 00:00:00.000"));
        QCOMPARE(LoadTexts(FormatMs(ms)).duration, std::string("1194:04:50.300"));
        QCOMPARE(StatusLineText(1500), std::string("AUTHENTICATING (1.500 SECONDS)"));
        QCOMPARE(ElapsedText((25 * 3600 + 62) * 1000LL), std::string("Elapsed Time: 01:01:02"));
        QCOMPARE(ChainIdentity("QM-1", 12, "QM-2", 3).unitId, std::string("QM-1 (Slave QM-2)"));
        QCOMPARE(ChainIdentity("QM-1", 12, "QM-2", 3).fileNumber, std::string("12 (Slave 3)"));
        QCOMPARE(ImgIdentity(0xB, 7).unitId, std::string("QL-000B"));
    }

    void OnlyAConversionThatFailedIsReportedWithItsCause() {
        const Error none;
        struct Case {
            ConvertOutcome outcome;
            Error error;
            const char* told;
        };
        const Case cases[] = {
            {ConvertOutcome::Completed, none, ""},
            {ConvertOutcome::Cancelled, none, ""},   // the user's Cancel
            {ConvertOutcome::Declined, none, ""},
            {ConvertOutcome::Cancelled, Error{Cause::DiskFull, ENOSPC, "/out/F00012.01.wav", 0, {}},
             "Error - The conversion could not finish:\n\n/out/F00012.01.wav\n\n"
             "Cause: No space left on device"},
            {ConvertOutcome::Completed, Error{Cause::Io, EIO, "/card/F00012.IM2", 0, {}},
             "Error - The conversion could not finish:\n\n/card/F00012.IM2\n\n"
             "Cause: Input/output error"},
            {ConvertOutcome::NotStarted, Error{Cause::Access, EACCES, "/out/F00012.00.wav", 0, {}},
             "Failed to open: /out/F00012.00.wav\n\nCause: Permission denied"},
        };
        for (const Case& c : cases) {
            ConvertResult result;
            result.outcome = c.outcome;
            result.error = c.error;
            QCOMPARE(ConvertFailureText(result), std::string(c.told));
        }
    }

    void TheWaitWindowFollowsTheMainWindowAndCancelHoldsUntilTheNextShow() {
        QWidget main;
        main.setGeometry(100, 100, 600, 400);
        QWidget* wave = new QWidget(&main);
        wave->setGeometry(20, 200, 560, 100);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        CWaitDlg wait(&main);
        wait.ShowOver(wave);
        const QPoint before = wait.pos();
        QVERIFY((wait.geometry().center() - wave->mapToGlobal(wave->rect().center())).manhattanLength() <= 2);
        main.move(main.pos() + QPoint(37, 21));
        QTRY_COMPARE(wait.pos(), before + QPoint(37, 21));
        QVERIFY(!wait.m_bCancel);
        QPushButton* cancel = nullptr;
        for (QPushButton* b : wait.findChildren<QPushButton*>())
            if (b->property("controlId").toInt() == CWaitDlg::kIdCancel)
                cancel = b;
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(wait.m_bCancel);
        QVERIFY(wait.isVisible());   // its user hides it
        wait.hide();
        QVERIFY(wait.m_bCancel);
        wait.ShowOver(&main);
        QVERIFY(!wait.m_bCancel);
    }

    void HooksDriveTheWaitWindowAndTheWorkersNoticesReachTheWindowThread() {
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
        QCOMPARE(wait.Text() + QString(" %1 %2").arg(wait.Range()).arg(wait.Pos()),
                 QString("Building Peaks... 560 17"));
        QVERIFY(!hooks.IsCancelled());
        wait.m_bCancel = true;
        QVERIFY(hooks.IsCancelled());
        hooks.ShowProgress(false);
        QVERIFY(!wait.isVisible());
        QVERIFY(!hooks.AskYesNo("File Load", "Continue?"));
        QCOMPARE(prompter.asked, QStringList{"File Load|Continue?"});
        std::thread([&hooks] { hooks.Notice("Wave", "no device"); }).join();
        QVERIFY(prompter.told.isEmpty());   // nothing shown from the worker itself
        QTRY_COMPARE(prompter.told, QStringList{"Wave|no device"});
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
