// The window's own rules with a reader that answers from fields: the empty state, the
// transport table, seeking, the load's questions and messages, and the authentication run's
// wait window. The real readers are driven in window_image_test.cpp.
#include "app/dialog_template.h"
#include "app/wait_dlg.h"
#include "audio/output_volume.h"
#include "controls/decrypt_bar.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/text.h"
#include "controls/wave_view.h"
#include "core/string_table.h"
#include "desk/details_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "desk_test_support.h"
#include "fake_player.h"
#include "synth/synth.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QUrl>

using namespace tvx;
using namespace tvx::app;
using namespace tvx::app::testing;


class WindowLogicTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_im2;
    FakePlayer::Setup m_setup;
    FakePlayer* m_player = nullptr;

    PlayerFactory Factory() {
        return [this](ImageFormat format, Hooks&, const VerdictCallbacks& callback) {
            auto player = std::make_unique<FakePlayer>(format, callback, m_setup);
            m_player = player.get();
            return player;
        };
    }

private slots:
    void initTestCase() {
        m_im2 = m_dir.filePath("F00012.IM2");
        synth::Im2Options options;
        options.blocks = 100;
        QVERIFY(synth::WriteIm2File(m_im2.toStdString(), options));
    }

    void init() {
        m_setup = {};
        ForgetSettings();
    }

    void EmptyWindowShowsTheTemplate() {
        TestWindow w(Factory());
        QCOMPARE(w.windowTitle(), QString("Tessivox"));
        QCOMPARE(TextOf(w, id::kDate), QString("No File Loaded"));
        const std::pair<int, const char*> fixed[] = {
            {id::kUnitIdLabel, "Unit ID:"}, {id::kFileNumberLabel, "File Number:"},
            {id::kFileHeaderLabel, "File Header:"}, {id::kFileLengthLabel, "File Length:"},
            {id::kResultsGroup, "Authentication Results:"}, {id::kPacketsGroup, "Irregular Packets:"},
            {id::kDurationLabel, "Duration:"}, {id::kVerifiedLabel, "Verified:"},
            {id::kIrregularitiesLabel, "Irregularities:"},
            {id::kUnauthenticatedLabel, "Unauthenticated:"},
            {id::kUnitIdCountLabel, "Unit ID:"}, {id::kFileNumberCountLabel, "File Number:"},
            {id::kSequenceCountLabel, "Sequence / Timing:"}, {id::kChecksumCountLabel, "CheckSum:"},
            {id::kDuration, "00:00:00.000"}, {id::kVerified, "00:00:00.000"},
            {id::kIrregularities, "00:00:00.000"}, {id::kUnauthenticated, "00:00:00.000"},
            {id::kUnitIdCount, "0"}, {id::kFileNumberCount, "0"}, {id::kSequenceCount, "0"},
            {id::kChecksumCount, "0"}, {id::kBrowse, "Browse..."}, {id::kBoost, "Boost"},
            {id::kExit, "Exit"}, {id::kStatus, "AUTHENTICATING"}, {id::kUnitId, ""},
            {id::kFileNumber, ""}, {id::kSpin1, ""}, {id::kSpin2, ""},
        };
        for (const auto& [control, text] : fixed)
            QCOMPARE(TextOf(w, control), QString(text));
        QVERIFY(!qobject_cast<CText*>(w.GetDlgItem(id::kStatus))->IsBright());
        QCOMPARE(Buttons(w), (kButtonsEmpty));
        QVERIFY(w.MenuCommand(id::kFileOpen)->isEnabled());
    }

    void MenuHoldsEveryCommandInOrder() {
        TestWindow w(Factory());
        QStringList seen;
        for (QMenu* menu : w.findChild<QMenuBar*>()->findChildren<QMenu*>()) {
            seen << menu->title();
            for (QAction* a : menu->actions())
                seen << (a->isSeparator() ? QString("-") : a->text() + "=" + a->property("commandId").toString());
        }
        QCOMPARE(seen, (QStringList{"&File", "&Open=57601", "-", "&Authenticate=32771",
                                    "&Details=32773", "Convert to &Wav=32776", "-", "E&xit=57665",
                                    "&Help", "&Help=32775", "&About=32774"}));
    }

    void TransportFollowsTheStateTable() {
        TestWindow w(Factory());
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(Buttons(w), kButtonsStopped);
        w.OnPause();   // not playing: nothing but a repaint
        QCOMPARE(Buttons(w), kButtonsStopped);
        w.OnPlay();
        QCOMPARE(Buttons(w), kButtonsPlaying);
        QVERIFY(w.IsPlaybackTimerActive());
        w.OnPause();
        QCOMPARE(Buttons(w), kButtonsPaused);
        w.OnPause();
        QCOMPARE(Buttons(w), kButtonsPlaying);
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
        QCOMPARE(TextOf(w, id::kSpin1), QString(""));
        QCOMPARE(m_player->requests,
                 (std::vector<std::string>{"Play", "Resume", "Pause", "Resume", "Pause",
                                           "Play", "Resume", "Stop", "Play", "Resume"}));
    }

    void ClicksSeekToTheirFraction() {
        TestWindow w(Factory());
        w.resize(w.sizeHint());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.LoadRecording(m_im2));   // 100 blocks of 64 ms
        QWidget* strip = w.GetDlgItem(id::kDecryptBar);
        QCOMPARE(strip->width() % 4, 0);
        m_player->requests.clear();
        QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(strip->width() / 4, strip->height() / 2));
        QTest::mouseClick(w.GetDlgItem(id::kWaveView), Qt::LeftButton, {}, QPoint(0, 10));
        QCOMPARE(m_player->requests, (std::vector<std::string>{"Seek 1600", "Seek 0"}));
        w.OnSeek(0.75);
        w.OnBackTrack();
        QCOMPARE(m_player->requests.back(), std::string("Seek 0"));
        QCOMPARE(m_player->requests.at(2), std::string("Seek 4800"));
    }

    void BoostSetsTheLouderGainAndPlaysOnFromThere() {
        TestWindow w(Factory());
        QVERIFY(w.LoadRecording(m_im2));
        m_player->block = 40;
        m_player->requests.clear();
        qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost))->click();
        QCOMPARE(m_player->Gain(), 3.0);
        QCOMPARE(m_player->requests, std::vector<std::string>{"Seek 2560"});
        // A new image starts with the box as the user left it.
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(m_player->Gain(), 3.0);
        qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost))->click();
        QCOMPARE(m_player->Gain(), 1.0);
    }

    void HeaderQuestionDecidesTheLoad() {
        m_setup.headerBad = true;
        TestWindow w(Factory());
        w.answer = false;
        QVERIFY(!w.LoadRecording(m_im2));
        QCOMPARE(w.asked.size(), 1);
        QCOMPARE(w.asked.front(), QString("File Load|") + LoadString(150));
        QVERIFY(w.asked.front().contains("Do you want to continue?"));
        QVERIFY(w.Player() == nullptr);
        w.answer = true;
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(qobject_cast<CImageStatic*>(w.GetDlgItem(id::kFileHeaderIcon))->GetBitmapId(), 166u);
        QCOMPARE(qobject_cast<CImageStatic*>(w.GetDlgItem(id::kFileLengthIcon))->GetBitmapId(), 165u);
    }

    void LoadFailuresSayWhyAndLeaveNothing() {
        TestWindow w(Factory());
        QVERIFY(!w.LoadRecording(m_dir.filePath("song.wav")));   // no known extension: silent
        QVERIFY(w.told.isEmpty());
        m_setup.opens = false;
        QVERIFY(!w.LoadRecording(m_im2));
        QCOMPARE(w.told, QStringList{"File Load|Error -  Failed to open the file:\n\n" + m_im2 +
                                     "\n\nPlease ensure that it is not in use\nby another program."});
        QVERIFY(w.Player() == nullptr);
        w.told.clear();
        m_setup = {};
        const QString missing = m_dir.filePath("gone.IM2");
        QVERIFY(w.LoadRecording(missing));   // the fake opens anything; the peaks pass cannot
        QCOMPARE(w.told.size(), 1);
        QVERIFY(w.told.front().startsWith("|Failed to open: " + missing + "\n\nCause: "));
    }

    void LoadShowsLengthAndIdentity() {
        m_setup.complete = false;
        TestWindow w(Factory());
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QCOMPARE(TextOf(w, id::kDuration), QString("00:00:06.400"));
        QCOMPARE(TextOf(w, id::kUnauthenticated), QString("00:00:06.400"));
        QCOMPARE(TextOf(w, id::kVerified), QString("00:00:00.000"));
        QCOMPARE(TextOf(w, id::kStatus), QString("AUTHENTICATING (0.064 SECONDS)"));
        QCOMPARE(TextOf(w, id::kUnitId), QString("QM-01234"));
        QCOMPARE(TextOf(w, id::kFileNumber), QString("12"));
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 00:00:00"));
        QCOMPARE(qobject_cast<CImageStatic*>(w.GetDlgItem(id::kFileLengthIcon))->GetBitmapId(), 166u);
        w.Reset();
        QCOMPARE(w.windowTitle(), QString("Tessivox"));
        QCOMPARE(TextOf(w, id::kDate), QString("No File Loaded"));
        QCOMPARE(TextOf(w, id::kDuration), QString("00:00:00.000"));
        QCOMPARE(qobject_cast<CImageStatic*>(w.GetDlgItem(id::kFileLengthIcon))->GetBitmapId(), 0u);
        QCOMPARE(Buttons(w), (kButtonsEmpty));
    }

    void OnlyDraggingTheThumbSetsTheVolume() {
        SetOutputVolume(0xFFFFFFFFu);
        TestWindow w(Factory());
        auto* slider = qobject_cast<QSlider*>(w.GetDlgItem(id::kSlider));
        QCOMPARE(slider->maximum(), 65535);
        QCOMPARE(slider->value(), 65535);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);   // a click beside it
        QCOMPARE(GetOutputVolume(), 0xFFFFFFFFu);
        slider->setSliderDown(true);
        slider->setValue(0x1234);
        slider->setSliderDown(false);
        QCOMPARE(GetOutputVolume(), 0x12341234u);
        SetOutputVolume(0xFFFFFFFFu);
    }

    void DroppedFileLoadsAndKeysDriveTheTransport() {
        TestWindow w(Factory());
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(m_im2)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&w, &drop);
        QTRY_COMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QTest::keyClick(&w, Qt::Key_Space);
        QCOMPARE(w.GetTransport(), Transport::Playing);
        QTest::keyClick(&w, Qt::Key_Space);
        QCOMPARE(w.GetTransport(), Transport::Paused);
        QTest::keyClick(&w, Qt::Key_Space);
        QCOMPARE(w.GetTransport(), Transport::Playing);
        m_player->block = 40;
        QTest::keyClick(&w, Qt::Key_Home);
        QCOMPARE(m_player->requests.back(), std::string("Seek 0"));
        QCOMPARE(m_player->block, 0u);
    }

    void StartUpPathLoadsOnceTheWindowIsUp() {
        TestWindow w(Factory(), m_im2);
        QCOMPARE(w.windowTitle(), QString("Tessivox"));
        w.show();
        QTRY_COMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QCOMPARE(TextOf(w, id::kUnitId), QString("QM-01234"));
        m_setup.opens = false;
        TestWindow failed(Factory(), m_im2);
        failed.show();
        QTRY_COMPARE(failed.told.size(), 1);
        QCOMPARE(failed.windowTitle(), QString("Tessivox"));
        QCOMPARE(TextOf(failed, id::kDate), QString("No File Loaded"));
    }

    void AuthenticationRunsBehindTheWaitWindow() {
        TestWindow w(Factory());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.LoadRecording(m_im2));
        w.OnAuthenticationCommand();
        QVERIFY(m_player->IsScanning());
        CWaitDlg& wait = w.WaitDlg();
        QVERIFY(wait.isVisible());
        QCOMPARE(wait.Text(), QString("Authenticating..."));
        QCOMPARE(wait.Range(), 6400);
        QVERIFY(w.IsAuthenticationTimerActive());
        for (int i = 0; i < 10; ++i)
            OnBlockResult(i, i == 4 ? kIrregular | kChecksumError : 0);
        m_player->block = 10;
        for (int tick = 0; tick < 4; ++tick)   // the texts are redrawn every fourth tick
            w.OnAuthenticationTick();
        QCOMPARE(TextOf(w, id::kVerified), QString("00:00:00.576"));
        QCOMPARE(TextOf(w, id::kIrregularities), QString("00:00:00.064"));
        QCOMPARE(TextOf(w, id::kUnauthenticated), QString("00:00:05.760"));
        QCOMPARE(TextOf(w, id::kChecksumCount), QString("1"));
        QCOMPARE(wait.Pos(), 640);
        QVERIFY(wait.isVisible());
        wait.m_bCancel = true;
        w.OnAuthenticationTick();
        QVERIFY(!wait.isVisible());
        QVERIFY(!m_player->IsScanning());
        QVERIFY(!w.IsAuthenticationTimerActive());
        QCOMPARE(Buttons(w), (kButtonsStopped));
        QCOMPARE(TextOf(w, id::kChecksumCount), QString("1"));   // the counts reached stay
    }

    void EveryIrregularBlockRelightsTheStatusLine() {
        TestWindow w(Factory());
        QVERIFY(w.LoadRecording(m_im2));
        auto* status = qobject_cast<CText*>(w.GetDlgItem(id::kStatus));
        std::int32_t next = 0;
        auto irregular = [&next] { OnBlockResult(next++, kIrregular | kChecksumError); };
        // Pause greys the line; the next irregular block lights it again.
        w.OnPlay();
        irregular();
        w.OnPlaybackTick();
        QVERIFY(status->IsBright());
        w.OnPause();
        QVERIFY(!status->IsBright());
        w.OnPause();
        irregular();
        w.OnPlaybackTick();
        QVERIFY(status->IsBright());
        QCOMPARE(status->GetTextColour(), QColor(Qt::red));
        w.OnStop();
        // A run ends with the line grey; the next run's irregular blocks light it again.
        for (int run = 1; run <= 2; ++run) {
            w.OnAuthenticationCommand();
            next = 0;
            irregular();
            for (int tick = 0; tick < 4; ++tick)
                w.OnAuthenticationTick();
            QVERIFY2(status->IsBright(), qPrintable(QString("run %1").arg(run)));
            m_player->scanning = false;
            w.OnAuthenticationTick();
            QVERIFY(!status->IsBright());
        }
    }

    void SpaceAndEscapeEndNothingWithoutAWord() {
        TestWindow w(Factory());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.LoadRecording(m_im2));
        // Space, the play key, pressed during a run: the wait window has it and keeps going.
        w.OnAuthenticationCommand();
        CWaitDlg& wait = w.WaitDlg();
        wait.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&wait));
        QTest::keyClick(wait.windowHandle(), Qt::Key_Space);
        QVERIFY(!wait.m_bCancel);
        QTest::keyClick(wait.windowHandle(), Qt::Key_Escape);   // Escape is Cancel
        QVERIFY(wait.m_bCancel);
        w.OnAuthenticationTick();
        QVERIFY(!wait.isVisible());
        // Escape in the main window does not close it and its results.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(w.windowHandle(), Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void AFailedOrDeclinedHandOverKeepsTheDisplayAndShutsDetails() {
        const QString other = m_dir.filePath("F00097.IM2");
        QVERIFY(synth::WriteIm2File(other.toStdString(), {.blocks = 10}));
        TestWindow w(Factory());
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
            bool shown = false;
            desktest::WhenModal<CDetails>([&shown](CDetails* d) { shown = true; d->accept(); }, 300);
            w.OnDetails();
            QTest::qWait(400);
            QVERIFY(!shown);
        }
        QCOMPARE(w.asked.size(), 1);
        QCOMPARE(SettingsText(), QString());
    }

    void OpenStartsAtTheLastFileAndRemembersALoad() {
        TestWindow w(Factory());
        QCOMPARE(SettingsText(), QString());
        QString startedAt = "not asked";
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) {
            startedAt = d->selectedFiles().value(0);
            desktest::ChooseFile(d, m_im2);
        });
        QTest::mouseClick(w.GetDlgItem(id::kBrowse), Qt::LeftButton);
        QCOMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QVERIFY(startedAt != m_im2);
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast File=" + m_im2 + "\n");

        // Cancel changes nothing; a failed load empties the display and is not remembered.
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) {
            startedAt = d->selectedFiles().value(0);
            d->reject();
        });
        w.OnFileOpen();
        QCOMPARE(startedAt, m_im2);
        QCOMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        const QString other = m_dir.filePath("F00099.IM2");
        QVERIFY(synth::WriteIm2File(other.toStdString(), {.blocks = 10}));
        m_setup.opens = false;
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) {
            desktest::ChooseFile(d, other);
        });
        w.OnFileOpen();
        QCOMPARE(w.told.size(), 1);
        QCOMPARE(TextOf(w, id::kDate), QString("No File Loaded"));
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast File=" + m_im2 + "\n");
    }

    void AHandedOverPathLoadsAndIsRemembered() {
        TestWindow w(Factory());
        w.OnCopyData(m_im2);
        QCOMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QCOMPARE(TextOf(w, id::kUnitId), QString("QM-01234"));
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast File=" + m_im2 + "\n");
        // A failure says why and is not remembered.
        m_setup.opens = false;
        const QString other = m_dir.filePath("F00098.IM2");
        QVERIFY(synth::WriteIm2File(other.toStdString(), {.blocks = 10}));
        w.OnCopyData(other);
        QCOMPARE(w.told.size(), 1);
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast File=" + m_im2 + "\n");
        // A start-up path is loaded but not remembered.
        m_setup = {};
        ForgetSettings();
        TestWindow started(Factory(), m_im2);
        started.show();
        QTRY_COMPARE(started.windowTitle(), QString("Tessivox - F00012.IM2"));
        QCOMPARE(SettingsText(), QString());
    }

    void ConvertStopsFirstAndAFileThatWillNotReopenEmptiesTheWindow() {
        std::vector<bool> closes;
        m_setup.closes = &closes;
        TestWindow w(Factory());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.LoadRecording(m_im2));
        w.OnPlay();
        m_player->opens = false;   // gone while the pass ran
        const QString out = m_dir.filePath("out");
        QVERIFY(QDir().mkpath(out));
        QSignalSpy busy(&w, &CSablePlayerDlg::Busy);
        bool busyInDialog = false;
        desktest::WhenModal<CWavConvert>([&](CWavConvert* d) {
            busyInDialog = w.IsBusy();
            d->findChild<QLineEdit*>("folder")->setText(out);
            d->findChild<QPushButton*>("convert")->click();
        });
        w.OnConvert();
        QVERIFY(busyInDialog);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(closes, (std::vector<bool>{false, false}));   // stopped, released; then deleted
        QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{"F00012.00.txt", "F00012.00.wav"}));
        QCOMPARE(w.told, QStringList{"File Load|Error -  Failed to open the file:\n\n" + m_im2 +
                                     "\n\nPlease ensure that it is not in use\nby another program."});
        QVERIFY(w.Player() == nullptr);
        QCOMPARE(TextOf(w, id::kDate), QString("No File Loaded"));
        QCOMPARE(Buttons(w), (kButtonsEmpty));
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast Convert Path=" + out + "\n");
    }

    void HelpLooksForTheGuideBesideTheProgram() {
        // No guide lies beside the test program: the message names where it was looked for.
        TestWindow w(Factory());
        QString text;
        desktest::AnswerMessageBox(QMessageBox::Ok, &text);
        w.MenuCommand(id::kHelp)->trigger();
        QVERIFY2(text.startsWith("The help file\n\"/"), qPrintable(text));
        QVERIFY2(text.endsWith("/manuals/Tessivox User Guide.pdf\"\ncould not found."), qPrintable(text));
    }

    void LoadsAndRunsHoldTheWindowBusy() {
        TestWindow w(Factory());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy busy(&w, &CSablePlayerDlg::Busy);
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(busy.size(), 2);
        QCOMPARE(busy.at(0).at(0).toBool(), true);
        QCOMPARE(busy.at(1).at(0).toBool(), false);
        busy.clear();
        w.OnAuthenticationCommand();
        QVERIFY(w.IsBusy());
        w.OnAuthenticationCommand();   // a second command in the run holds nothing more
        QCOMPARE(busy.size(), 1);
        m_player->scanning = false;
        w.OnAuthenticationTick();
        QVERIFY(!w.IsBusy());
        QCOMPARE(busy.size(), 2);
        // A load ends a run that is still going, and its mark with it.
        w.OnAuthenticationCommand();
        QVERIFY(w.LoadRecording(m_im2));
        QVERIFY(!w.IsBusy());
        QVERIFY(!w.IsAuthenticationTimerActive());
        // A file dragged over a busy window is not taken.
        w.OnAuthenticationCommand();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(m_im2)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&w, &enter);
        QVERIFY(!enter.isAccepted());
    }
};

QTEST_MAIN(WindowLogicTest)
#include "window_logic_test.moc"
