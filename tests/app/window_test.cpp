// The main window over real images, its sound going to a device whose clock the test moves:
// what it shows of an image and of a run, its buttons, keys, prompts and wait window, and the
// file it lets go of for a conversion. The numbers behind the texts are the engine's tests'.
#include "app/dialog_template.h"
#include "app/gui_hooks.h"
#include "app/irregular_blocks_dlg.h"
#include "app/sable_player_dlg.h"
#include "app/wait_dlg.h"
#include "audio/output_volume.h"
#include "audio/test_backend.h"
#include "controls/image_button.h"
#include "controls/decrypt_bar.h"
#include "controls/image_static.h"
#include "controls/strip_layout.h"
#include "controls/text.h"
#include "core/string_table.h"
#include "desk/details_dialog.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "desk_test_support.h"
#include "formats/im2/im2_player.h"
#include "report/page_flow.h"
#include "report/report_pictures.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <cerrno>
#include <set>
#include <thread>

using namespace tvx;
using namespace tvx::app;
using namespace std::chrono_literals;

namespace {

// The main window with its message boxes answered by the test.
class TestWindow : public CSablePlayerDlg {
public:
    using CSablePlayerDlg::CSablePlayerDlg;

    bool AskYesNo(const QString& caption, const QString& text) override {
        asked << caption + "|" + text;
        return answer;
    }
    void Tell(const QString& caption, const QString& text, Icon) override { told << caption + "|" + text; }

    bool answer = true;
    QStringList asked, told;
};

// A real IM2 player whose playback and scan stand still: every verdict comes from the test.
class StillPlayer : public Im2Player {
public:
    StillPlayer(BackendFactory device, Hooks& hooks)
        : Im2Player(std::make_unique<CIm2>(PlaybackSetup{std::move(device), &hooks, 10s, {}}), kIm2OpenFailure) {}

    void Play() override { playing = true; }
    void Pause(bool) override {}
    void Stop() override { playing = false; }
    void SeekMs(std::int64_t ms) override {
        seeks.push_back(ms);
        Im2Player::SeekMs(ms);
    }
    void StartScan() override { scanning = true; }
    void StopScan() override { scanning = false; }
    bool IsScanning() const override { return scanning; }
    bool IsPlaying() const override { return playing; }
    std::int64_t PlayedMs() const override { return played >= 0 ? played.load() : Im2Player::PlayedMs(); }

    std::atomic<bool> playing{false};
    std::atomic<std::int64_t> played{-1};   // where playback has got to, when set
    std::atomic<bool> scanning{false};
    std::vector<std::int64_t> seeks;
};

// Whether Stop, Play, Pause, BackTrack, then Authenticate, Details and Convert are enabled, then
// whether Play and Pause are latched.
QString Buttons(const CSablePlayerDlg& w) {
    QString bits;
    for (int id : {id::kStop, id::kPlay, id::kPause, id::kBackTrack})
        bits += w.GetDlgItem(id)->isEnabled() ? '1' : '0';
    for (int id : {id::kAuthenticate, id::kDetails, id::kConvert})
        bits += w.MenuCommand(id)->isEnabled() ? '1' : '0';
    for (int id : {id::kPlay, id::kPause})
        bits += qobject_cast<CImageButton*>(w.GetDlgItem(id))->IsLatched() ? '1' : '0';
    return bits;
}
const QString kButtonsEmpty = "000000000", kButtonsStopped = "010111100", kButtonsPlaying = "101111110",
              kButtonsPaused = "111111111";

QString TextOf(const CSablePlayerDlg& w, int id) { return qobject_cast<QLabel*>(w.GetDlgItem(id))->text(); }
CText& Status(const CSablePlayerDlg& w) { return *qobject_cast<CText*>(w.GetDlgItem(id::kStatus)); }

// The title, the labels' texts, the status line and the numbers of the header and length icons.
QStringList Shown(const CSablePlayerDlg& w,
                  std::initializer_list<int> labels = {id::kDate, id::kDuration, id::kVerified, id::kIrregularities,
                                                       id::kUnauthenticated, id::kUnitId, id::kFileNumber}) {
    QStringList shown{w.windowTitle()};
    for (int id : labels)
        shown << TextOf(w, id);
    shown << Status(w).GetText();
    for (int id : {id::kFileHeaderIcon, id::kFileLengthIcon})
        shown << QString::number(qobject_cast<CImageStatic*>(w.GetDlgItem(id))->GetBitmapId());
    return shown;
}
const QStringList kEmpty{"Tessivox", "No File Loaded", "00:00:00.000", "00:00:00.000", "00:00:00.000",
                         "00:00:00.000", "", "", "AUTHENTICATING", "0", "0"};
QStringList Results(const CSablePlayerDlg& w) {
    return Shown(w, {id::kVerified, id::kIrregularities, id::kUnauthenticated, id::kUnitIdCount,
                     id::kFileNumberCount, id::kSequenceCount, id::kChecksumCount}).mid(1, 7);
}

// Drags the file over the window; dropped there when the window takes it.
bool DropFile(QWidget& w, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &enter);
    if (enter.isAccepted())
        QApplication::sendEvent(&w, &drop);
    return enter.isAccepted();
}

void Show(QWidget& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// Page 1 of a PDF as poppler draws it at 50 dots per inch; a null image when it cannot.
QImage FirstPage(const QString& pdf, int dpi) {
    QProcess render;
    render.start("pdftoppm", {"-r", QString::number(dpi), "-png", "-f", "1", "-l", "1", "-singlefile",
                              pdf, pdf + "-page"});
    if (!render.waitForFinished(30000) || render.exitCode() != 0)
        return {};
    return QImage(pdf + "-page.png").convertToFormat(QImage::Format_RGB32);
}

// The row of the page where the strip's green cells lie: the waveform's green differs.
int StripRow(const QImage& page) {
    const QRgb strip = CellColour(StripStates::kAuthentic).rgb();
    int best = -1, most = 0;
    for (int y = 0; y < page.height(); ++y) {
        int n = 0;
        for (int x = 0; x < page.width(); ++x)
            n += page.pixel(x, y) == strip;
        if (n > most) {
            best = y;
            most = n;
        }
    }
    return best;
}

QString SettingsFile() { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tessivox/tessivox.ini"; }
QString SettingsText() { return QString::fromUtf8(FileBytes(SettingsFile())); }

// What a load or a pass says of a file that is not there: the pass in `caption`, then the reader.
QStringList Unopened(const QString& caption, const QString& path) {
    return {caption + "|Failed to open: " + path + "\n\nCause: No such file or directory",
            "File Load|Error -  Failed to open the file:\n\n" + path +
                "\n\nPlease ensure that it is not in use\nby another program."};
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestAudio m_audio;
    // 1,000 blocks of 32 ms from Fri, 14 Mar 2008, 09:26:53; among the last hundred one of
    // another unit, two of another file number, three with a bad checksum, four out of time.
    QString m_im2;

private slots:
    void initTestCase() {
        using enum synth::FaultKind;
        const synth::Fault faults[] = {{UnitNumber, 950},  {FileNumber, 960}, {FileNumber, 962}, {PayloadByte, 970},
                                       {PayloadByte, 972}, {PayloadByte, 974}, {Timestamp, 980}, {Timestamp, 982},
                                       {Timestamp, 984},   {Timestamp, 986}};
        m_im2 = m_dir.filePath("F00012.IM2");
        QVERIFY(synth::WriteIm2File(m_im2.toStdString(), {.storedBits = 16, .blocks = 1000}, faults));
    }

    void init() { QFile::remove(SettingsFile()); }

    void ShowsEachImageSeeksWhereClickedAndPlaysToTheEnd() {
        TestWindow w(PlayersWith(m_audio.Factory()));
        Show(w);
        QCOMPARE(Shown(w), kEmpty);
        QCOMPARE(Buttons(w), kButtonsEmpty);
        QVERIFY(w.MenuCommand(id::kFileOpen)->isEnabled());
        // Only dragging the thumb sets the volume; a click beside it does not.
        auto* slider = qobject_cast<QSlider*>(w.GetDlgItem(id::kSlider));
        slider->setSliderDown(true);
        slider->setValue(0x1234);
        slider->setSliderDown(false);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(GetOutputVolume(), 0x12341234u);

        QVERIFY(DropFile(w, m_im2));
        QTRY_COMPARE(w.windowTitle(), QString("Tessivox - F00012.IM2"));
        QCOMPARE(Shown(w), (QStringList{"Tessivox - F00012.IM2", "Fri, 14 Mar 2008, 09:26:53", "00:00:32.000",
                                        "00:00:00.000", "00:00:00.000", "00:00:32.000", "QM-04242", "12",
                                        "AUTHENTICATING (0.032 SECONDS)", "165", "165"}));
        QCOMPARE(Buttons(w), kButtonsStopped);
        QWidget& strip = *w.GetDlgItem(id::kDecryptBar);
        const auto blockIsRed = [&strip] {   // the strip's column of block 950, the first irregular one
            const QImage image = strip.grab().toImage();
            return image.pixel(610, image.height() / 2) == 0xFFFF0000;
        };
        QVERIFY(!blockIsRed());
        // Strip x 161 of 644 is a quarter: 8 s. Wave x 323 of 645 columns is 16 s. Home goes back.
        QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(161, 5));
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:27:01"));
        QTest::mouseClick(w.GetDlgItem(id::kWaveView), Qt::LeftButton, {}, QPoint(323, 5));
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:27:09"));
        QTest::keyClick(&w, Qt::Key_Home);
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:26:53"));
        // Played from a tenth before its end, the image runs out and the next tick stops.
        w.OnSeek(0.9);
        w.OnPlay();
        QCOMPARE(Buttons(w), kButtonsPlaying);
        for (int step = 0; step < 400 && w.IsPlaybackTimerActive(); ++step) {   // the device's clock runs 20 s on
            m_audio.Advance(50ms);
            QTest::qWait(5);
        }
        QVERIFY(!w.IsPlaybackTimerActive());
        QCOMPARE(Buttons(w), kButtonsStopped);
        QVERIFY(!Status(w).IsBright());
        QCOMPARE(Results(w), (QStringList{"00:00:02.880", "00:00:00.320", "00:00:28.800", "1", "2", "4", "3"}));
        w.OnAuthenticationCommand();
        QTRY_VERIFY_WITH_TIMEOUT(!w.IsAuthenticationTimerActive(), 20000);
        QCOMPARE(Results(w), (QStringList{"00:00:31.680", "00:00:00.320", "00:00:00.000", "1", "2", "4", "3"}));
        QVERIFY(blockIsRed());
        QTest::keyClick(&w, Qt::Key_Escape);   // one press too many does not close the window
        QVERIFY(w.isVisible());

        // IMG judges no header or length and has a gain of its own; Boost holds from load to
        // load. The IX2 split of 1,000 blocks ends after 400: a click and a run cover 12,800 ms.
        synth::Ix2Options cut;
        cut.audio.blocks = 1000;
        cut.cutTo = 1712 + 400 * 528;
        QVERIFY(synth::WriteImgFile(m_dir.filePath("F00013.IMG").toStdString(), {.records = 60}));
        QVERIFY(synth::WriteIx2File(m_dir.filePath("F00016.IX2").toStdString(), cut));
        qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost))->click();
        const std::pair<const char*, QStringList> images[] = {
            {"F00013.IMG", {"00:00:03.840", "AUTHENTICATING (0.064 SECONDS)", "167", "167", "2"}},
            {"F00016.IX2", {"00:00:32.000", "AUTHENTICATING (0.032 SECONDS)", "165", "166", "3"}}};
        for (const auto& [name, shown] : images) {
            QVERIFY(w.LoadRecording(m_dir.filePath(name)));
            QCOMPARE(Shown(w, {id::kDuration}).mid(1) << QString::number(w.Player()->Gain()), shown);
        }
        w.OnSeek(0.5);
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:26:59"));
        w.OnAuthenticationCommand();
        QCOMPARE(w.WaitDlg().Range(), 12800);
        QTRY_VERIFY_WITH_TIMEOUT(!w.IsAuthenticationTimerActive(), 20000);
        qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost))->click();
        QCOMPARE(w.Player()->Gain(), 1.0);
        QVERIFY(w.told.isEmpty() && w.asked.isEmpty());
    }

    void TheButtonsKeysStatusLineAndWaitWindowFollowPlaybackAndTheRun() {
        StillPlayer* still = nullptr;
        TestWindow w([&](ImageKind, Hooks& hooks) {
            auto player = std::make_unique<StillPlayer>(m_audio.Factory(), hooks);
            still = player.get();
            return player;
        });
        Show(w);
        QSignalSpy busy(&w, &CSablePlayerDlg::Busy);
        QVERIFY(w.LoadRecording(m_im2));
        QCOMPARE(busy.size(), 2);   // the load held it, and let go
        w.OnPause();   // not playing: nothing but a repaint
        QCOMPARE(Buttons(w), kButtonsStopped);
        // Space plays, pauses and resumes; Play resumes too. Pause greys the status line and
        // the next irregular block lights it again.
        std::int32_t next = 0;
        const auto irregular = [&next] { OnBlockResult(next++, kIrregular | kChecksumError); };
        QTest::keyClick(&w, Qt::Key_Space);
        irregular();
        w.OnPlaybackTick();
        QVERIFY(Status(w).IsBright());
        for (const QString& buttons : {kButtonsPaused, kButtonsPlaying, kButtonsPaused}) {
            QTest::keyClick(&w, Qt::Key_Space);
            QCOMPARE(Buttons(w), buttons);
        }
        QVERIFY(!Status(w).IsBright());
        w.OnPlay();
        QCOMPARE(Buttons(w), kButtonsPlaying);
        irregular();
        w.OnPlaybackTick();
        QVERIFY(Status(w).IsBright());
        QCOMPARE(Status(w).GetTextColour(), QColor(Qt::red));
        // Boost plays on from where playback stands with the louder gain.
        qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost))->click();
        QCOMPARE(w.Player()->Gain(), 3.0);
        QCOMPARE(still->seeks, std::vector<std::int64_t>{w.Player()->PlayedMs()});

        // A run holds the window once, whatever the commands; the wait window sits over the
        // wave, follows the window and shows the run's progress.
        w.OnAuthenticationCommand();
        w.OnAuthenticationCommand();
        QCOMPARE(busy.size(), 3);
        QVERIFY(!DropFile(w, m_im2));   // a busy window takes no file
        CWaitDlg& wait = w.WaitDlg();
        QCOMPARE(QString("%1 %2 %3").arg(wait.isVisible()).arg(wait.Text()).arg(wait.Range()),
                 QString("1 Authenticating... 32000"));
        Show(wait);
        const QWidget* wave = w.GetDlgItem(id::kWaveView);
        QVERIFY((wait.geometry().center() - wave->mapToGlobal(wave->rect().center())).manhattanLength() <= 2);
        const QPoint at = wait.pos();
        w.move(w.pos() + QPoint(37, 21));
        QTRY_COMPARE(wait.pos(), at + QPoint(37, 21));
        next = 0;
        irregular();
        for (int tick = 0; tick < 4; ++tick)   // the texts are redrawn every fourth tick
            w.OnAuthenticationTick();
        QCOMPARE(TextOf(w, id::kChecksumCount), QString("1"));
        QVERIFY(Status(w).IsBright());
        // Space, the play key, does not cancel a run; Escape does, and the window stays up
        // until the run has stopped. The counts reached stay.
        QTest::keyClick(wait.windowHandle(), Qt::Key_Space);
        QVERIFY(!wait.m_bCancel);
        QTest::keyClick(wait.windowHandle(), Qt::Key_Escape);
        QVERIFY(wait.m_bCancel && wait.isVisible());
        w.OnAuthenticationTick();
        QVERIFY(!wait.isVisible() && !still->IsScanning() && !Status(w).IsBright());
        QVERIFY(!w.IsAuthenticationTimerActive() && !w.IsBusy());
        QCOMPARE(Buttons(w), kButtonsStopped);
        QCOMPARE(TextOf(w, id::kChecksumCount), QString("1"));
        // The next run starts uncancelled and its button cancels; a load ends a run.
        w.OnAuthenticationCommand();
        QVERIFY(!wait.m_bCancel);
        QTest::mouseClick(wait.findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(wait.m_bCancel);
        w.OnAuthenticationCommand();
        QVERIFY(w.LoadRecording(m_im2));
        QVERIFY(!w.IsBusy() && !w.IsAuthenticationTimerActive());

        // The table of irregular runs fills while a run goes on, from the verdicts the window
        // counts; N, P and the table seek to the run the engine chooses.
        w.MenuCommand(id::kIrregularBlocks)->trigger();
        QTableView& table = w.IrregularBlocksDlg()->Table();
        QVERIFY(QTest::qWaitForWindowExposed(w.IrregularBlocksDlg()));
        const auto rows = [&table] {   // the cells of every row, in four columns
            QStringList cells;
            for (int r = 0; r < table.model()->rowCount(); ++r)
                for (int c = 0; c < 4; ++c)
                    cells << table.model()->index(r, c).data().toString();
            return cells.join(" | ");
        };
        w.OnAuthenticationCommand();
        OnBlockResult(60, kIrregular | kTimestampError);
        OnBlockResult(61, kIrregular | kTimestampError);
        for (int tick = 0; tick < 4; ++tick)
            w.OnAuthenticationTick();
        const QString first = "00:00:01.920 | Fri, 14 Mar 2008, 09:26:55 | blocks 60-61 | Sequence / Timing";
        QCOMPARE(rows(), first);
        OnBlockResult(62, kIrregular | kChecksumError);
        OnBlockResult(80, kIrregular | kFileNumberError | kChecksumError);
        still->scanning = false;
        w.OnAuthenticationTick();
        QCOMPARE(rows(), first + " | 00:00:01.984 | Fri, 14 Mar 2008, 09:26:55 | block 62 | CheckSum | "
                                 "00:00:02.560 | Fri, 14 Mar 2008, 09:26:56 | block 80 | File Number, CheckSum");

        // N and P from the start; one too many says so and stays.
        const auto key = [&](Qt::Key k) {
            QTest::keyClick(&w, k);
            return QString("%1 %2").arg(still->seeks.empty() ? -1 : still->seeks.back()).arg(Status(w).GetText());
        };
        QCOMPARE(key(Qt::Key_N), "1920 Irregular 1 of 3: blocks 60-61, Sequence / Timing");
        QCOMPARE(key(Qt::Key_N), "1984 Irregular 2 of 3: block 62, CheckSum");
        QCOMPARE(key(Qt::Key_P), "1920 Irregular 1 of 3: blocks 60-61, Sequence / Timing");
        QCOMPARE(key(Qt::Key_P), "1920 No irregular block found before here");
        const auto choose = [&table](int run) {   // a double click on the run's row
            const QPoint row = table.visualRect(table.model()->index(run, 0)).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                            QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}) {
                QMouseEvent click(type, row, table.viewport()->mapToGlobal(row), Qt::LeftButton, Qt::LeftButton, {});
                QApplication::sendEvent(table.viewport(), &click);
            }
        };
        choose(2);
        QCOMPARE(still->seeks.back(), 2560);
        QCOMPARE(key(Qt::Key_P), "1984 Irregular 2 of 3: block 62, CheckSum");
        // A click elsewhere ends the walk: N goes on from where the click landed.
        w.OnSeek(0.07);   // 2240 ms, block 70
        QCOMPARE(key(Qt::Key_N), "2560 Irregular 3 of 3: block 80, File Number, CheckSum");
        QCOMPARE(still->seeks, (std::vector<std::int64_t>{1920, 1984, 1920, 2560, 1984, 2240, 2560}));
        // A run chosen in the table is where P walks back from, though playback has moved on.
        w.OnPlay();
        choose(1);
        still->played = 2000;
        QCOMPARE(key(Qt::Key_P), "1920 Irregular 1 of 3: blocks 60-61, Sequence / Timing");
        still->played = -1;
        // S stops.
        QTest::keyClick(&w, Qt::Key_S);
        QVERIFY(!still->playing);

        // The strip names the record under the pointer and its verdict.
        QWidget& strip = *w.GetDlgItem(id::kDecryptBar);
        // 1,001 records in 642 columns: x 52 is column 51, records 80 and 81 (blocks 79 and 80).
        QHelpEvent help(QEvent::ToolTip, QPoint(52, 5), strip.mapToGlobal(QPoint(52, 5)));
        QApplication::sendEvent(&strip, &help);
        QTRY_COMPARE(QToolTip::text(), QString("Blocks 79 to 80: irregular"));

        // A worker's notice reaches the window's thread and is shown from there.
        GuiHooks hooks(wait, w, w);
        std::thread([&hooks] { hooks.Notice("Wave", "no device"); }).join();
        QVERIFY(w.told.isEmpty());
        QTRY_COMPARE(w.told, QStringList{"Wave|no device"});
    }

    void LoadsThatFailSayWhyConvertLetsGoOfTheFileAndOnlyWhatTheUserAskedForIsRemembered() {
        const QByteArray original = FileBytes(m_im2);
        const QString remembered = "[SETTINGS]\nLast File=" + m_im2 + "\n";
        const QString missing = m_dir.filePath("gone.IM2");
        // Header broken and half the stated blocks: asked about, then shown faulty.
        const QString faulty = m_dir.filePath("F00097.IM2");
        const synth::Fault broken[] = {{synth::FaultKind::BadHeader}};
        QVERIFY(synth::WriteIm2File(faulty.toStdString(), {.blocks = 10, .statedBlocks = 20}, broken));
        TestWindow w(PlayersWith(m_audio.Factory()));
        Show(w);
        QVERIFY(!w.LoadRecording(m_dir.filePath("song.wav")));   // no known extension: silent
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) { desktest::ChooseFile(d, m_im2); });
        QTest::mouseClick(w.GetDlgItem(id::kBrowse), Qt::LeftButton);
        QCOMPARE(SettingsText(), remembered);
        desktest::WhenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });   // Cancel changes nothing
        w.OnFileOpen();
        // What the Details dialog shows, if it comes: its fields, caption and text.
        const auto details = [&w](int deadlineMs) {
            auto shown = std::make_shared<QStringList>();
            desktest::WhenModal<CDetails>([shown](CDetails* d) {
                auto* sha256 = d->findChild<QLineEdit*>("sha256");
                *shown << sha256->text();   // the image is hashed while the dialog's loop runs
                QTRY_VERIFY_WITH_TIMEOUT(sha256->text() != "Computing...", 10000);
                for (const char* field : {"unitText", "number", "sampleRate", "bits", "channels", "size", "sha256"})
                    *shown << d->findChild<QLineEdit*>(field)->text();
                *shown << d->findChild<QLabel*>("caption")->text() << d->findChild<QPlainTextEdit*>()->toPlainText();
                d->accept();
            }, deadlineMs);
            w.MenuCommand(id::kDetails)->trigger();
            return *shown;
        };
        const QString engineText = QString::fromStdString(w.Player()->Details().details).replace("\r\n", "\n");
        const QString digest = QCryptographicHash::hash(original, QCryptographicHash::Sha256).toHex();
        QCOMPARE(details(10000), (QStringList{"Computing...", "QM-04242", "12", "8000", "16", "1",
                                              QString::number(original.size()), digest,
                                              "The details of the loaded IM2 file are:", engineText}));
        // A hand-over that fails, unopened or declined, names the file and leaves the rest shown;
        // with no image behind it, Details stays shut.
        w.answer = false;
        for (const QString& path : {missing, faulty}) {
            w.OnCopyData(path);
            QCOMPARE(Shown(w).mid(0, 2), (QStringList{"Tessivox - " + QFileInfo(path).fileName(),
                                                      "Fri, 14 Mar 2008, 09:26:53"}));
            QCOMPARE(details(300), QStringList());
        }
        QCOMPARE(w.told, Unopened("", missing));
        QCOMPARE(w.asked, QStringList{QString("File Load|") + LoadString(150)});
        QCOMPARE(SettingsText(), remembered);
        w.answer = true;
        w.OnCopyData(faulty);
        // The header record, judged at the load, counts as one bad checksum.
        QCOMPARE(Shown(w, {id::kChecksumCount}).mid(1),
                 (QStringList{"1", "AUTHENTICATING (0.032 SECONDS)", "166", "166"}));
        // A failed Open says why, empties the window and is not remembered.
        w.told.clear();
        QVERIFY(QFile::copy(m_im2, missing));
        desktest::WhenModal<QFileDialog>([&](QFileDialog* d) {
            desktest::ChooseFile(d, missing);
            QFile::remove(missing);   // gone before the load
        });
        w.OnFileOpen();
        QCOMPARE(Shown(w), kEmpty);
        QCOMPARE(w.told, Unopened("", missing));
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast File=" + faulty + "\n");

        const QString out = m_dir.filePath("out");
        QVERIFY(QDir().mkpath(out + "/again"));
        w.told.clear();
        w.OnCopyData(m_im2);
        w.OnPlay();
        desktest::WhenModal<CWavConvert>([](CWavConvert* d) { d->reject(); });
        w.OnConvert();
        QVERIFY(w.Player()->HasFile() && w.Player()->IsPlaying());   // a cancelled dialog lets go of nothing
        // While the dialog and the pass run the window is busy; the reader holds no file.
        QSignalSpy busy(&w, &CSablePlayerDlg::Busy);
        bool busyInDialog = false;
        QList<bool> readerHadFile;
        QTimer watch;   // the pass's progress dialog is the window's child while it runs
        watch.callOnTimeout([&] {
            if (w.findChild<CProgressDlg*>() != nullptr)
                readerHadFile << w.Player()->HasFile();
        });
        watch.start(0);
        desktest::WhenModal<CWavConvert>([&](CWavConvert* d) {
            busyInDialog = w.IsBusy();
            desktest::FillConvert(d, out);
        });
        w.MenuCommand(id::kConvert)->trigger();
        watch.stop();
        QVERIFY(busyInDialog && busy.size() == 2 && readerHadFile.contains(false) && !readerHadFile.contains(true));
        QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList{"F00012.00.txt", "F00012.00.wav", "F00012.sha256"}));
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast Convert Path=" + out + "\nLast File=" + m_im2 + "\n");
        QCOMPARE(Buttons(w), kButtonsStopped);   // as after a stop, with the file
        QVERIFY(w.Player()->HasFile() && w.told.isEmpty());
        // An image gone while the dialog was up: the pass says so, and a file that will not open
        // again empties the window.
        const QString moved = m_im2 + ".moved";
        desktest::WhenModal<CWavConvert>([&](CWavConvert* d) {
            QFile::rename(m_im2, moved);
            desktest::FillConvert(d, out + "/again");
        });
        w.OnConvert();
        QFile::rename(moved, m_im2);
        QCOMPARE(w.told, Unopened("Tessivox", m_im2));
        QCOMPARE(Shown(w), kEmpty);
        QCOMPARE(Buttons(w), kButtonsEmpty);
        // Loading, playing and converting left the evidence as it was.
        QCOMPARE(FileBytes(m_im2), original);
        // A pass that stopped on a failure says where and why; one that ended, or stopped at
        // Cancel or No, says nothing.
        const auto failure = [](ConvertOutcome outcome, Error error) {
            ConvertResult result;
            result.outcome = outcome;
            result.error = std::move(error);
            return ConvertFailureText(result);
        };
        const Error full{Cause::DiskFull, ENOSPC, "/out/F00012.01.wav", 0, {}};
        QCOMPARE(failure(ConvertOutcome::Completed, {}) + failure(ConvertOutcome::Declined, full), std::string());
        QCOMPARE(failure(ConvertOutcome::Cancelled, full), std::string("Error - The conversion could not finish:\n\n"
                                                                       "/out/F00012.01.wav\n\nCause: No space left on device"));
        // IM2 and IMG keep the old 32-bit length; only IX2 shows one past it.
        QCOMPARE(WrappedLengthText((std::int64_t{1} << 32) + 3723004), std::string("01:02:03.004"));

        // A start-up path loads once the window is up and is not remembered; one that fails
        // leaves the window empty.
        QFile::remove(SettingsFile());
        TestWindow started(PlayersWith(m_audio.Factory()), m_im2);
        QCOMPARE(started.windowTitle(), QString("Tessivox"));
        started.show();
        QTRY_COMPARE(TextOf(started, id::kUnitId), QString("QM-04242"));
        TestWindow failed(PlayersWith(m_audio.Factory()), missing);
        failed.show();
        QTRY_COMPARE(failed.told, Unopened("", missing));
        QCOMPARE(Shown(failed), kEmpty);
        QCOMPARE(SettingsText(), QString());
    }

    // Save Report examines the image afresh: on the PDF's first page the strip is red exactly
    // where the strip's own layout puts the irregular blocks, green elsewhere.
    void SavesAReportWhoseStripIsRedAtTheIrregularBlocks() {
        TestWindow w(PlayersWith(m_audio.Factory()));
        QVERIFY(w.LoadRecording(m_im2));
        const QString pdf = m_dir.filePath("F00012 report.pdf");
        QCOMPARE(w.SaveReport(pdf.toStdString()), std::nullopt);
        constexpr int kDpi = 50;
        const QImage page = FirstPage(pdf, kDpi);
        QVERIFY(!page.isNull());
        const int y = StripRow(page);
        QVERIFY(y >= 0);
        const std::set<std::size_t> irregular{951, 961, 963, 971, 973, 975, 981, 983, 985, 987};  // + 1 header
        using report::PictureLayout;
        const int usable = PictureLayout::kStripWidth - 2;
        // Whether the strip's column (its own client x) shows an irregular block; -1 off the cells.
        auto redAt = [&](double pagePixel) {
            const int cell = CellAtX(static_cast<int>((pagePixel - report::PageFlow::kMargin) /
                                                      PictureLayout::kStripScale), 1001, usable);
            const EntryRange r = EntriesOfCell(cell, 1001, usable);
            return cell < 0 ? -1 : int{irregular.lower_bound(r.first) != irregular.lower_bound(r.last)};
        };
        int red = 0, green = 0;
        for (int x = 0; x < page.width(); ++x) {
            const double scale = double{report::PageFlow::kDpi} / kDpi;
            const int isRed = redAt(x * scale);
            if (isRed < 0 || redAt((x + 1) * scale - 0.01) != isRed)
                continue;   // a pixel over a margin or over cells of two colours
            QCOMPARE(page.pixelColor(x, y), CellColour(isRed ? StripStates::kIrregular : StripStates::kAuthentic));
            ++(isRed ? red : green);
        }
        QVERIFY(red > 0 && green > 100);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
