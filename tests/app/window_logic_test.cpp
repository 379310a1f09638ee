// The window's own rules with a reader that answers from fields: what it shows, the transport
// table, keys, the load's messages, the authentication run, hand-overs, Open and Convert; its
// texts, its wait window and the hooks that reach both from a pass. The real readers are
// driven in window_image_test.cpp.
#include "app/gui_hooks.h"
#include "app/result_texts.h"
#include "app/wait_dlg.h"
#include "audio/output_volume.h"
#include "core/string_table.h"
#include "desk/details_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "desk_test_support.h"
#include "fake_player.h"
#include "synth/synth.h"
#include "window_fixture.h"

#include <QDir>
#include <QMimeData>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QUrl>

#include <cerrno>
#include <thread>

using namespace tvx;
using namespace tvx::app;
using namespace tvx::app::testing;

namespace {

// Title, date, the four times, the identity, the status line and the two icons.
QStringList Shown(const CSablePlayerDlg& w) {
    QStringList shown{w.windowTitle()};
    for (int id : {id::kDate, id::kDuration, id::kVerified, id::kIrregularities,
                   id::kUnauthenticated, id::kUnitId, id::kFileNumber, id::kStatus})
        shown << TextOf(w, id);
    return shown << QString::number(IconOf(w, id::kFileHeaderIcon))
                 << QString::number(IconOf(w, id::kFileLengthIcon));
}

const QStringList kEmpty{"Tessivox", "No File Loaded", "00:00:00.000", "00:00:00.000",
                         "00:00:00.000", "00:00:00.000", "", "", "AUTHENTICATING", "0", "0"};

CText& Status(const CSablePlayerDlg& w) { return *qobject_cast<CText*>(w.GetDlgItem(id::kStatus)); }

// Drags the file over the window; dropped there when the window takes it.
bool DropFile(QWidget& w, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &drop);
    return true;
}

const QString kCannotOpen = "File Load|Error -  Failed to open the file:\n\n%1\n\n"
                            "Please ensure that it is not in use\nby another program.";

}  // namespace

class WindowLogicTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_im2;
    FakePlayer::Setup m_setup;
    FakePlayer* m_player = nullptr;

    PlayerFactory Factory() {
        return [this](ImageKind, Hooks&) {
            auto player = std::make_unique<FakePlayer>(m_setup);
            m_player = player.get();
            return player;
        };
    }

    QString Image(const char* name) {
        const QString path = m_dir.filePath(name);
        return synth::WriteIm2File(path.toStdString(), {.blocks = 10}) ? path : QString();
    }

    static void Show(QWidget& w) {
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private slots:
    void initTestCase() { m_im2 = Image("F00012.IM2"); }

    void init() {
        m_setup = {};
        ForgetSettings();
    }

    void LoadShowsLengthAndIdentityAndResetEmptiesTheWindow() {
        m_setup.complete = false;   // 100 blocks of 64 ms
        TestWindow w(Factory());
        QCOMPARE(Shown(w), kEmpty);
        QCOMPARE(Buttons(w), kButtonsEmpty);
        QVERIFY(w.MenuCommand(id::kFileOpen)->isEnabled());
        QVERIFY(!Status(w).IsBright());
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(Shown(w), (QStringList{"Tessivox - F00012.IM2", "Fri, 14 Mar 2008, 00:00:00",
                                        "00:00:06.400", "00:00:00.000", "00:00:00.000",
                                        "00:00:06.400", "QM-01234", "12",
                                        "AUTHENTICATING (0.064 SECONDS)", "165", "166"}));
        QCOMPARE(Buttons(w), kButtonsStopped);
        w.Reset();
        QCOMPARE(Shown(w), kEmpty);
        QCOMPARE(Buttons(w), kButtonsEmpty);
    }

    void TransportFollowsTheStateTableFromButtonsAndKeys() {
        TestWindow w(Factory());
        Show(w);
        QVERIFY(DropFile(w, m_im2));
        QTRY_COMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        w.OnPause();   // not playing: nothing but a repaint
        QCOMPARE(Buttons(w), kButtonsStopped);
        // Space plays, pauses and resumes.
        for (const QString& next : {kButtonsPlaying, kButtonsPaused, kButtonsPlaying}) {
            QTest::keyClick(&w, Qt::Key_Space);
            QCOMPARE(Buttons(w), next);
        }
        QVERIFY(w.IsPlaybackTimerActive());
        w.OnPause();
        w.OnPlay();   // Play while paused resumes
        QCOMPARE(Buttons(w), kButtonsPlaying);
        w.OnStop();
        QCOMPARE(Buttons(w), kButtonsStopped);
        w.OnPlay();
        m_player->playing = false;   // the worker played to the end
        w.OnPlaybackTick();
        QCOMPARE(Buttons(w), kButtonsStopped);
        QVERIFY(!w.IsPlaybackTimerActive());
        QCOMPARE(m_player->requests,
                 (std::vector<std::string>{"Play", "Resume", "Pause", "Resume", "Pause",
                                           "Play", "Resume", "Stop", "Play", "Resume"}));
        // Boost sets the louder gain and plays on from where playback stands; Home goes back
        // to the start.
        m_player->block = 40;
        qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost))->click();
        QCOMPARE(m_player->Gain(), 3.0);
        QCOMPARE(m_player->requests.back(), std::string("Seek 2560"));
        QTest::keyClick(&w, Qt::Key_Home);
        QCOMPARE(m_player->requests.back(), std::string("Seek 0"));
    }

    void OnlyDraggingTheThumbSetsTheVolume() {
        SetOutputVolume(0xFFFFFFFFu);
        TestWindow w(Factory());
        auto* slider = qobject_cast<QSlider*>(w.GetDlgItem(id::kSlider));
        QCOMPARE(slider->value(), 65535);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);   // a click beside it
        QCOMPARE(GetOutputVolume(), 0xFFFFFFFFu);
        slider->setSliderDown(true);
        slider->setValue(0x1234);
        QCOMPARE(GetOutputVolume(), 0x12341234u);
    }

    void AuthenticationRunsBehindTheWaitWindowAndOnlyCancelOrEscapeEndIt() {
        TestWindow w(Factory());
        Show(w);
        QSignalSpy busy(&w, &CSablePlayerDlg::Busy);
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(busy.size(), 2);   // the load held it, and let go
        w.OnAuthenticationCommand();
        w.OnAuthenticationCommand();   // a second command in the run holds nothing more
        QCOMPARE(busy.size(), 3);
        QVERIFY(!DropFile(w, m_im2));   // a busy window takes no file
        QVERIFY(m_player->IsScanning());
        CWaitDlg& wait = w.WaitDlg();
        QCOMPARE(QString("%1 %2 %3").arg(wait.isVisible()).arg(wait.Text()).arg(wait.Range()),
                 QString("1 Authenticating... 6400"));
        // The wait window sits over the wave and follows the window.
        Show(wait);
        const QWidget* wave = w.GetDlgItem(id::kWaveView);
        QVERIFY((wait.geometry().center() - wave->mapToGlobal(wave->rect().center())).manhattanLength() <= 2);
        const QPoint at = wait.pos();
        w.move(w.pos() + QPoint(37, 21));
        QTRY_COMPARE(wait.pos(), at + QPoint(37, 21));
        for (int i = 0; i < 10; ++i)
            OnBlockResult(i, i == 4 ? kIrregular | kChecksumError : 0);
        m_player->block = 10;
        for (int tick = 0; tick < 4; ++tick)   // the texts are redrawn every fourth tick
            w.OnAuthenticationTick();
        QCOMPARE(Shown(w).mid(2, 4) << TextOf(w, id::kChecksumCount) << QString::number(wait.Pos()),
                 (QStringList{"00:00:06.400", "00:00:00.576", "00:00:00.064", "00:00:05.760", "1", "640"}));
        // Space, the play key, pressed during a run: the wait window has it and keeps going.
        QTest::keyClick(wait.windowHandle(), Qt::Key_Space);
        QVERIFY(!wait.m_bCancel);
        QTest::keyClick(wait.windowHandle(), Qt::Key_Escape);   // Escape is Cancel
        QVERIFY(wait.m_bCancel && wait.isVisible());   // visible until the run has stopped
        w.OnAuthenticationTick();
        QVERIFY(!wait.isVisible() && !m_player->IsScanning());
        QVERIFY(!w.IsAuthenticationTimerActive() && !w.IsBusy());
        QCOMPARE(Buttons(w), kButtonsStopped);
        QCOMPARE(TextOf(w, id::kChecksumCount), QString("1"));   // the counts reached stay
        w.OnAuthenticationCommand();   // the next run starts uncancelled; its button cancels
        QVERIFY(!wait.m_bCancel);
        for (QPushButton* b : wait.findChildren<QPushButton*>())
            if (b->property("controlId").toInt() == CWaitDlg::kIdCancel)
                QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(wait.m_bCancel);
        w.OnAuthenticationTick();
        // A load ends a run that is still going, and its mark with it.
        w.OnAuthenticationCommand();
        QVERIFY(w.LoadRecording(m_im2));
        QVERIFY(!w.IsBusy() && !w.IsAuthenticationTimerActive());
        // Escape in the main window does not close it and its results.
        Show(w);
        QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void EveryIrregularBlockRelightsTheStatusLine() {
        TestWindow w(Factory());
        QVERIFY(w.LoadRecording(m_im2));
        CText& status = Status(w);
        std::int32_t next = 0;
        auto irregular = [&next] { OnBlockResult(next++, kIrregular | kChecksumError); };
        // Pause greys the line; the next irregular block lights it again.
        w.OnPlay();
        irregular();
        w.OnPlaybackTick();
        QVERIFY(status.IsBright());
        w.OnPause();
        QVERIFY(!status.IsBright());
        w.OnPause();
        irregular();
        w.OnPlaybackTick();
        QVERIFY(status.IsBright());
        QCOMPARE(status.GetTextColour(), QColor(Qt::red));
        w.OnStop();
        // A run ends with the line grey; the next run's irregular blocks light it again.
        for (int run = 1; run <= 2; ++run) {
            w.OnAuthenticationCommand();
            next = 0;
            irregular();
            for (int tick = 0; tick < 4; ++tick)
                w.OnAuthenticationTick();
            QVERIFY2(status.IsBright(), qPrintable(QString("run %1").arg(run)));
            m_player->scanning = false;
            w.OnAuthenticationTick();
            QVERIFY(!status.IsBright());
        }
    }

    void DetailsShowThePlayersFieldsAndAFailedOrDeclinedHandOverKeepsTheDisplayButShutsThem() {
        const QString other = Image("F00097.IM2");
        TestWindow w(Factory());
        const auto details = [&w](int deadlineMs) {   // what the Details dialog shows, if it comes
            auto shown = std::make_shared<QStringList>();
            desktest::WhenModal<CDetails>([shown](CDetails* d) {
                *shown << d->findChild<QLabel*>("caption")->text();
                for (const char* field : {"unitText", "number", "sampleRate", "bits", "channels"})
                    *shown << d->findChild<QLineEdit*>(field)->text();
                *shown << d->findChild<QPlainTextEdit*>("details")->toPlainText();
                d->accept();
            }, deadlineMs);
            w.MenuCommand(id::kDetails)->trigger();
            return *shown;
        };
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(details(10000), (QStringList{"The details of the loaded IM2 file are:", "QM-01234", "12",
                                              "8000", "16", "1", "Recording:\n"}));
        w.answer = false;
        for (const bool declined : {false, true}) {
            m_setup = {};
            QVERIFY(w.LoadRecording(m_im2));
            for (int i = 0; i < 10; ++i)
                OnBlockResult(i, 0);
            w.OnPlay();
            w.OnPlaybackTick();
            const QString verified = TextOf(w, id::kVerified);
            QVERIFY(verified != QString("00:00:00.000"));
            // The reader cannot open it; or its header is bad and the question is answered No.
            m_setup.opens = declined;
            m_setup.headerBad = declined;
            w.OnCopyData(other);
            // The load named the new file before it failed; the rest is left as it was.
            QCOMPARE(w.windowTitle(), QString("Tessivox - F00097.IM2"));
            QCOMPARE(TextOf(w, id::kVerified), verified);
            // With no image behind the display, Details has nothing to show and stays shut.
            QCOMPARE(details(300), QStringList());
        }
        QCOMPARE(w.asked, QStringList{QString("File Load|") + LoadString(150)});
        QCOMPARE(w.told, QStringList{kCannotOpen.arg(other)});
        QCOMPARE(SettingsText(), QString());
        // Yes loads it, with the header shown faulty.
        w.answer = true;
        QVERIFY(w.LoadRecording(other));
        QCOMPARE(IconOf(w, id::kFileHeaderIcon), 166u);
    }

    void LoadsRememberedOrNotAndFailuresThatSayWhy() {
        const QString remembered = "[SETTINGS]\nLast File=" + m_im2 + "\n";
        TestWindow w(Factory());
        QVERIFY(!w.LoadRecording(m_dir.filePath("song.wav")));   // no known extension: silent
        const QString missing = m_dir.filePath("gone.IM2");
        QVERIFY(w.LoadRecording(missing));   // the fake opens anything; the peaks pass cannot
        QCOMPARE(w.told.size(), 1);
        QVERIFY(w.told.takeFirst().startsWith("|Failed to open: " + missing + "\n\nCause: "));
        ForgetSettings();
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) { desktest::ChooseFile(d, m_im2); });
        QTest::mouseClick(w.GetDlgItem(id::kBrowse), Qt::LeftButton);
        QCOMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QCOMPARE(SettingsText(), remembered);
        desktest::WhenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });   // Cancel changes nothing
        w.OnFileOpen();
        QCOMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        // A failed load, opened or handed over, says why and is not remembered.
        const QString other = Image("F00099.IM2");
        m_setup.opens = false;
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) { desktest::ChooseFile(d, other); });
        w.OnFileOpen();
        QCOMPARE(TextOf(w, id::kDate), QString("No File Loaded"));
        QVERIFY(w.Player() == nullptr);
        w.OnCopyData(other);
        QCOMPARE(w.told, QStringList(2, kCannotOpen.arg(other)));
        QCOMPARE(SettingsText(), remembered);
        m_setup = {};
        ForgetSettings();
        w.OnCopyData(m_im2);
        QCOMPARE(SettingsText(), remembered);
        // A start-up path loads once the window is up, and is not remembered; one that fails
        // leaves the window empty.
        ForgetSettings();
        TestWindow started(Factory(), m_im2);
        QCOMPARE(started.windowTitle(), QString("Tessivox"));
        started.show();
        QTRY_COMPARE(TextOf(started, id::kUnitId), QString("QM-01234"));
        QCOMPARE(SettingsText(), QString());
        m_setup.opens = false;
        TestWindow failed(Factory(), m_im2);
        failed.show();
        QTRY_COMPARE(failed.told.size(), 1);
        QCOMPARE(Shown(failed), kEmpty);
    }

    void ConvertStopsFirstAndAFileThatWillNotReopenEmptiesTheWindow() {
        std::vector<bool> closes;
        m_setup.closes = &closes;
        TestWindow w(Factory());
        Show(w);
        QVERIFY(w.LoadRecording(m_im2));
        desktest::WhenModal<CWavConvert>([](CWavConvert* d) { d->reject(); });
        w.OnConvert();
        QVERIFY(closes.empty());   // a cancelled dialog lets go of nothing
        w.OnPlay();
        m_player->opens = false;   // gone while the pass ran
        const QString out = m_dir.filePath("out");
        QVERIFY(QDir().mkpath(out));
        QSignalSpy busy(&w, &CSablePlayerDlg::Busy);
        bool busyInDialog = false;
        desktest::WhenModal<CWavConvert>([&](CWavConvert* d) {
            busyInDialog = w.IsBusy();
            desktest::FillConvert(d, out);
        });
        w.OnConvert();
        QVERIFY(busyInDialog);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(closes, (std::vector<bool>{false, false}));   // stopped, released; then deleted
        QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{"F00012.00.txt", "F00012.00.wav", "F00012.sha256"}));
        QCOMPARE(w.told, QStringList{kCannotOpen.arg(m_im2)});
        QVERIFY(w.Player() == nullptr);
        QCOMPARE(Shown(w), kEmpty);
        QCOMPARE(Buttons(w), kButtonsEmpty);
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast Convert Path=" + out + "\n");
    }
    void TheTextsOnlyTheWindowShowsAndAConversionFailureWithItsCause() {
        // IM2 and IMG keep the old 32-bit length; only IX2 shows one past it.
        const std::int64_t ms = (std::int64_t{1} << 32) + 3723004;
        QCOMPARE(WrappedLengthText(ms) + " " + FormatMs(ms), std::string("01:02:03.004 1194:04:50.300"));
        QCOMPARE(ImgIdentity(0xB, 7).unitId, std::string("QL-000B"));
        const auto text = [](ConvertOutcome outcome, Error error = {}) {
            ConvertResult result;
            result.outcome = outcome;
            result.error = std::move(error);
            return ConvertFailureText(result);
        };
        for (const ConvertOutcome quiet : {ConvertOutcome::Completed, ConvertOutcome::Cancelled,
                                           ConvertOutcome::Declined})
            QCOMPARE(text(quiet), std::string());
        QCOMPARE(text(ConvertOutcome::Cancelled, {Cause::DiskFull, ENOSPC, "/out/F00012.01.wav", 0, {}}),
                 std::string("Error - The conversion could not finish:\n\n/out/F00012.01.wav\n\n"
                             "Cause: No space left on device"));
        QCOMPARE(text(ConvertOutcome::Completed, {Cause::Io, EIO, "/card/F00012.IM2", 0, {}}),
                 std::string("Error - The conversion could not finish:\n\n/card/F00012.IM2\n\n"
                             "Cause: Input/output error"));
        QCOMPARE(text(ConvertOutcome::NotStarted, {Cause::Access, EACCES, "/out/F00012.00.wav", 0, {}}),
                 std::string("Failed to open: /out/F00012.00.wav\n\nCause: Permission denied"));
    }

    void HooksDriveTheWaitWindowAndTheWorkersNoticesReachTheWindowThread() {
        TestWindow w(Factory());
        w.answer = false;
        Show(w);
        CWaitDlg& wait = w.WaitDlg();
        GuiHooks hooks(wait, w, w);
        hooks.SetMessage("Building Peaks...");
        hooks.SetRange(560);
        hooks.SetPos(17);
        hooks.ShowProgress(true);
        QCOMPARE(wait.Text() + QString(" %1 %2 %3").arg(wait.Range()).arg(wait.Pos()).arg(wait.isVisible()),
                 QString("Building Peaks... 560 17 1"));
        wait.m_bCancel = true;
        QVERIFY(hooks.IsCancelled());
        hooks.ShowProgress(false);
        QVERIFY(!wait.isVisible());
        QVERIFY(!hooks.AskYesNo("File Load", "Continue?"));
        QCOMPARE(w.asked, QStringList{"File Load|Continue?"});
        std::thread([&hooks] { hooks.Notice("Wave", "no device"); }).join();
        QVERIFY(w.told.isEmpty());   // nothing shown from the worker itself
        QTRY_COMPARE(w.told, QStringList{"Wave|no device"});
    }
};

QTEST_MAIN(WindowLogicTest)
#include "window_logic_test.moc"
