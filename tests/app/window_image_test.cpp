// The window on real images with the readers' workers: its numbers and gains against
// tessivox-cli, the strip's colours, playback through a sound device whose clock the test
// moves, seeking, BackTrack and conversion.
#include "app/wait_dlg.h"
#include "audio/test_backend.h"
#include "desk/progress_dialog.h"
#include "desk/wav_convert_dialog.h"
#include "desk_test_support.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"
#include "window_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

using namespace tvx;
using namespace tvx::app;
using namespace tvx::app::testing;
using namespace std::chrono_literals;

namespace {

struct Case {
    const char* name;
    std::function<bool(const std::string&)> write;
    bool irregular;   // faults were planted
};

// The eight texts of the results, as the window shows them and as tessivox-cli reports them.
QStringList WindowResults(const CSablePlayerDlg& w) {
    QStringList texts;
    for (int control : {id::kDuration, id::kVerified, id::kIrregularities, id::kUnauthenticated,
                        id::kUnitIdCount, id::kFileNumberCount, id::kSequenceCount,
                        id::kChecksumCount})
        texts << TextOf(w, control);
    return texts;
}

QJsonObject VerifyJson(const QString& image) {
    QProcess cli;
    cli.start(TVX_CLI_PATH, {"verify", "--json", image});
    if (!cli.waitForFinished(60000))
        return {};
    const QJsonObject document = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    return document["images"].toArray().first().toObject();
}

QStringList CliResults(const QJsonObject& r) {
    const QJsonObject c = r["counts"].toObject();
    return {r["duration"].toString(),        r["verified"].toString(),
            r["irregularities"].toString(),  r["unauthenticated"].toString(),
            QString::number(c["unit_id"].toInt()), QString::number(c["file_number"].toInt()),
            QString::number(c["sequence"].toInt()), QString::number(c["checksum"].toInt())};
}

bool WaitFor(const std::function<bool()>& done, TestAudio* audio = nullptr, int limitMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        if (audio)
            audio->Advance(20ms);
        QTest::qWait(5);
    }
    return true;
}

// Answers the convert dialog: this folder, a new WAV after so many megabytes, Convert.
void ConvertInto(const QString& folder, int megabytes) {
    desktest::WhenModal<CWavConvert>([folder, megabytes](CWavConvert* d) {
        desktest::FillConvert(d, folder, "megabytesBox", QString::number(megabytes));
    });
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Authenticate(CSablePlayerDlg& w) {
    w.OnAuthenticationCommand();
    return WaitFor([&w] { return !w.IsAuthenticationTimerActive(); });
}

// Plays from where the window stands until a block is judged: that block, counted from the
// first after the strip's `extra` header entries, or -1.
long FirstBlockPlayed(CSablePlayerDlg& w, std::size_t extra) {
    const StripStates& strip = w.Tally().GetStrip();
    auto first = [&strip, extra] {
        for (std::size_t e = extra; e < strip.GetEntries(); ++e)
            if (strip.GetEntry(e) != StripStates::kNotJudged)
                return static_cast<long>(e - extra);
        return -1L;
    };
    w.Tally().Reset();
    w.OnPlay();
    WaitFor([&] { return first() >= 0; });
    w.OnStop();
    return first();
}

// The colour at the middle of strip cell k when every entry has a cell of its own.
QRgb CellPixel(QWidget& strip, std::size_t entries, std::size_t k) {
    const double p = static_cast<double>(strip.width() - 2) / static_cast<double>(entries);
    const int left = static_cast<int>(static_cast<double>(k) * p) + 1;
    const int right = static_cast<int>(static_cast<double>(k + 1) * p) + 1;
    return strip.grab().toImage().pixel((left + right - 1) / 2, strip.height() / 2);
}

constexpr QRgb kGreen = 0xFF00C400;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGrey = 0xFF404040;

}  // namespace

class WindowImageTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestAudio m_audio;

    QString Path(const char* name) { return m_dir.filePath(name); }

private slots:
    void ResultsMatchTheCommandLineTool() {
        using namespace synth;
        const std::vector<Fault> im2Faults = {{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 9},
                                              {FaultKind::FileNumber, 20}, {FaultKind::BlockOrder, 30},
                                              {FaultKind::Timestamp, 41}, {FaultKind::UnitNumber, 50}};
        const std::vector<ImgFault> imgFaults = {{ImgFaultKind::RecordIndex, 7}, {ImgFaultKind::UnitId, 20},
                                                 {ImgFaultKind::FileNumber, 21},
                                                 {ImgFaultKind::BlockChecksum, 33}};
        // The decoding of each kind is the readers' tests' to check.
        const Im2Options mono16{.storedBits = 16, .blocks = 70};
        Ix2Options split{.audio = mono16, .splitFirst = 100, .recordingLast = 5000};
        split.audio.blocks = 80;
        Ix2Options chain = split;
        chain.chain = true;
        const auto img = [](int bits) { return ImgOptions{.bits = bits, .records = 60, .erased = 4}; };
        const Case cases[] = {
            {"F00002.IM2", [&](const std::string& p) { return WriteIm2File(p, mono16, im2Faults); }, true},
            {"F00004.IX2", [&](const std::string& p) { return WriteIx2File(p, split); }, false},
            {"F00006.IX2", [&](const std::string& p) { return WriteIx2File(p, chain, im2Faults); }, true},
            {"F00007.IMG", [&](const std::string& p) { return WriteImgFile(p, img(8)); }, false},
            {"F00008.IMG", [&](const std::string& p) { return WriteImgFile(p, img(5), imgFaults); }, true},
            // The folder's name makes it IX2 to the search, its own name IM2 to the reader.
            {"x.IX2/F00009.im2", [&](const std::string& p) { return WriteIm2File(p, mono16, im2Faults); }, true},
        };
        QVERIFY(QDir(m_dir.path()).mkpath("x.IX2"));
        TestWindow w(PlayersWith(m_audio.Factory()));
        w.show();
        auto* boost = qobject_cast<QAbstractButton*>(w.GetDlgItem(id::kBoost));
        boost->click();   // each format's own gain, kept from load to load
        for (const Case& c : cases) {
            const QString image = Path(c.name);
            QVERIFY2(c.write(image.toStdString()), c.name);
            const QJsonObject cli = VerifyJson(image);
            QVERIFY2(!cli.isEmpty(), c.name);
            QCOMPARE(cli["irregular_blocks"].toInt() > 0, c.irregular);
            QVERIFY2(w.LoadRecording(image), c.name);
            QVERIFY2(Authenticate(w), c.name);
            QCOMPARE(WindowResults(w), CliResults(cli));
            QCOMPARE(w.Player()->Gain(), w.FileType() == ImageFormat::Img ? 2.0 : 3.0);
        }
        boost->click();
        QCOMPARE(w.Player()->Gain(), 1.0);
        QCOMPARE(w.FileType(), ImageFormat::Ix2);   // the last case, as the search found it
        QVERIFY(w.told.isEmpty());
        QVERIFY(w.asked.isEmpty());
    }

    void PlayingToTheEndJudgesEveryBlockAndTheStripShowsTheVerdicts() {
        // 40 blocks of 32 ms and the header: each entry has a cell of its own.
        const QString image = Path("F00010.IM2");
        const synth::Fault faults[] = {{synth::FaultKind::PayloadByte, 7},
                                       {synth::FaultKind::UnitNumber, 25}};
        QVERIFY(synth::WriteIm2File(image.toStdString(), {.storedBits = 16, .blocks = 40}, faults));
        TestWindow w(PlayersWith(m_audio.Factory()));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.LoadRecording(image));
        QWidget& strip = *w.GetDlgItem(id::kDecryptBar);
        QVERIFY(WaitFor([&] { return CellPixel(strip, 41, 0) == kGreen; }));   // the header
        QCOMPARE(CellPixel(strip, 41, 1), kGrey);
        w.OnPlay();
        QCOMPARE(Buttons(w), kButtonsPlaying);
        QVERIFY(w.Player()->IsPlaying());
        // The clock runs the blocks out; the next tick finds playback over.
        QVERIFY(WaitFor([&] { return !w.IsPlaybackTimerActive(); }, &m_audio));
        QCOMPARE(Buttons(w), kButtonsStopped);
        QCOMPARE(TextOf(w, id::kVerified), QString("00:00:01.216"));
        QCOMPARE(TextOf(w, id::kIrregularities), QString("00:00:00.064"));
        QCOMPARE(TextOf(w, id::kUnauthenticated), QString("00:00:00.000"));
        QVERIFY(Authenticate(w));
        for (std::size_t k = 0; k < 41; ++k)
            QTRY_COMPARE(CellPixel(strip, 41, k), k == 8 || k == 26 ? kRed : kGreen);
    }

    void ClicksAndBackTrackPlayFromTheirBlock() {
        // 1,000 blocks of 32 ms, starting Fri, 14 Mar 2008, 09:26:53.
        const QString image = Path("F00013.IM2");
        QVERIFY(synth::WriteIm2File(image.toStdString(), {.storedBits = 16, .blocks = 1000}));
        TestWindow w(PlayersWith(m_audio.Factory()));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.LoadRecording(image));
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:26:53"));
        struct Click {
            int control;
            int x;
            long block;
            const char* date;
        };
        // Strip x 161 of 644 is a quarter: 8,000 ms, block 250. Wave x 323 of 645 columns
        // stands for 16,024 ms; a seek goes to the nearest block start, 501 (16,032 ms).
        QCOMPARE(w.GetDlgItem(id::kDecryptBar)->width(), 644);
        QCOMPARE(w.GetDlgItem(id::kWaveView)->width() + 1, 645);
        for (const Click& c : {Click{id::kDecryptBar, 161, 250, "Fri, 14 Mar 2008, 09:27:01"},
                               Click{id::kWaveView, 323, 501, "Fri, 14 Mar 2008, 09:27:09"}}) {
            QTest::mouseClick(w.GetDlgItem(c.control), Qt::LeftButton, {}, QPoint(c.x, 5));
            QCOMPARE(TextOf(w, id::kDate), QString(c.date));
            QCOMPARE(FirstBlockPlayed(w, 1), c.block);
        }
        w.OnSeek(0.9);
        w.OnBackTrack();
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:26:53"));
        QCOMPARE(FirstBlockPlayed(w, 1), 0L);

        // A split of 1,000 blocks whose file ends after 400 holds 12,800 ms: halfway along
        // the strip is halfway through what the file holds, and a run covers only that.
        const synth::Ix2Options o{.audio = {.storedBits = 16, .blocks = 1000}, .cutTo = 1712 + 400 * 528};
        const QString cut = Path("F00016.IX2");
        QVERIFY(synth::WriteIx2File(cut.toStdString(), o));
        QVERIFY(w.LoadRecording(cut));
        QCOMPARE(TextOf(w, id::kDuration), QString("00:00:32.000"));
        w.OnSeek(0.5);
        QCOMPARE(FirstBlockPlayed(w, 3), 200L);
        w.OnAuthenticationCommand();
        QCOMPARE(w.WaitDlg().Range(), 12800);
        QVERIFY(WaitFor([&w] { return !w.IsAuthenticationTimerActive(); }));
    }

    void ConvertFromTheMenuLetsGoOfTheFileAndGivesItBack() {
        // 2,500 blocks of 512 bytes: a segment of 1 MiB and one of the rest.
        const QString image = Path("F00020.IM2");
        QVERIFY(synth::WriteIm2File(image.toStdString(), {.storedBits = 16, .blocks = 2500}));
        const QByteArray original = Bytes(image);
        const QDateTime written = QFileInfo(image).lastModified();
        const QString out = Path("window-out");
        QVERIFY(QDir().mkpath(out));
        ForgetSettings();

        TestWindow w(PlayersWith(m_audio.Factory()));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.OnCopyData(image);   // a load that is remembered
        w.OnPlay();
        QVERIFY(WaitFor([&] { return w.Tally().GetCounts().verifiedBlocks > 0; }, &m_audio));

        // While the progress dialog shows, the window's reader holds no file.
        QList<bool> readerHadFile;
        QTimer watch;
        watch.callOnTimeout([&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<CProgressDlg*>(top) && top->isVisible())
                    readerHadFile << w.Player()->HasFile();
        });
        watch.start(0);
        ConvertInto(out, 1);
        w.MenuCommand(id::kConvert)->trigger();
        watch.stop();
        QVERIFY(!readerHadFile.isEmpty());
        QVERIFY(!readerHadFile.contains(true));
        QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name),
                 (QStringList{"F00020.00.txt", "F00020.00.wav", "F00020.01.txt", "F00020.01.wav",
                              "F00020.sha256"}));
        QCOMPARE(SettingsText(), "[SETTINGS]\nLast Convert Path=" + out + "\nLast File=" + image + "\n");
        // Back as after a stop, with the file.
        QVERIFY(w.told.isEmpty());
        QCOMPARE(Buttons(w), kButtonsStopped);
        QVERIFY(w.Player()->HasFile());
        QCOMPARE(TextOf(w, id::kDate), QString("Fri, 14 Mar 2008, 09:26:53"));

        // A first segment that cannot be made is said, and the file is given back all the same.
        const QString blocked = Path("blocked");
        QVERIFY(QDir().mkpath(blocked + "/F00020.00.wav"));   // a folder where the WAV would go
        desktest::AnswerMessageBox(QMessageBox::Yes);   // the folder in the way counts as there
        ConvertInto(blocked, 0);
        w.OnConvert();
        QCOMPARE(w.told, QStringList{"Tessivox|Failed to open: " + blocked +
                                     "/F00020.00.wav\n\nCause: Is a directory"});
        QVERIFY(w.Player()->HasFile());

        // Loading, playing, converting and authenticating left the evidence as it was.
        QVERIFY(Authenticate(w));
        QCOMPARE(Bytes(image), original);
        QCOMPARE(QFileInfo(image).lastModified(), written);
    }
};

QTEST_MAIN(WindowImageTest)
#include "window_image_test.moc"
