// Walking through the irregular runs in the window: N and P, the table of runs filled during a
// run and its double click, and what the strip says under the pointer. The choice of run is
// the engine's (tests/analysis); this checks that the window asks it and seeks there.
#include "app/dialog_template.h"
#include "app/irregular_blocks_dlg.h"
#include "app/sable_player_dlg.h"
#include "audio/test_backend.h"
#include "controls/strip_layout.h"
#include "controls/text.h"
#include "formats/im2/im2_player.h"
#include "synth/synth.h"

#include <QAction>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QToolTip>

using namespace tvx;
using namespace tvx::app;
using namespace std::chrono_literals;

namespace {

// A real IM2 player whose reader neither plays nor scans nor seeks: the verdicts come from the
// test, and its reader's position stays where the load left it (the header's record, the end).
class StillPlayer : public Im2Player {
public:
    StillPlayer(BackendFactory device, Hooks& hooks)
        : Im2Player(std::make_unique<CIm2>(PlaybackSetup{std::move(device), &hooks, 10s, {}}), kIm2OpenFailure) {}

    void Play() override { playing = true; }
    void Pause(bool) override {}
    void Stop() override { playing = false; }
    void SeekMs(std::int64_t ms) override { seeks.push_back(ms); }
    void StartScan() override { scanning = true; }
    void StopScan() override { scanning = false; }
    bool IsScanning() const override { return scanning; }
    bool IsPlaying() const override { return playing; }

    bool playing = false;
    bool scanning = false;
    std::vector<std::int64_t> seeks;
};

QStringList Rows(const QTableView& table) {
    QStringList rows;
    for (int r = 0; r < table.model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.model()->columnCount(); ++c)
            cells << table.model()->index(r, c).data().toString();
        rows << cells.join(" | ");
    }
    return rows;
}

}  // namespace

class IrregularNavTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestAudio m_audio;

private slots:
    void NAndPAndTheTableSeekToTheRunsAndTheStatusLineSaysWhichOfHowMany() {
        // 100 blocks of 32 ms from Fri, 14 Mar 2008, 09:26:53; the clock shows whole seconds, rounded.
        const QString image = m_dir.filePath("F00012.IM2");
        QVERIFY(synth::WriteIm2File(image.toStdString(), {.storedBits = 16, .blocks = 100}));
        StillPlayer* still = nullptr;
        CSablePlayerDlg w([&](ImageKind, Hooks& hooks) {
            auto player = std::make_unique<StillPlayer>(m_audio.Factory(), hooks);
            still = player.get();
            return player;
        });
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(w.LoadRecording(image));
        w.MenuCommand(id::kIrregularBlocks)->trigger();
        QTableView& table = w.IrregularBlocksDlg()->Table();
        QVERIFY(QTest::qWaitForWindowExposed(w.IrregularBlocksDlg()));

        // The table fills while the run goes on, from the verdicts the window counts.
        w.OnAuthenticationCommand();
        OnBlockResult(60, kIrregular | kTimestampError);
        OnBlockResult(61, kIrregular | kTimestampError);
        for (int tick = 0; tick < 4; ++tick)
            w.OnAuthenticationTick();
        QCOMPARE(Rows(table), QStringList{"00:00:01.920 | Fri, 14 Mar 2008, 09:26:55 | blocks 60-61 | Sequence / Timing"});
        OnBlockResult(62, kIrregular | kChecksumError);
        OnBlockResult(80, kIrregular | kFileNumberError | kChecksumError);
        still->scanning = false;
        w.OnAuthenticationTick();
        QCOMPARE(Rows(table).mid(1), (QStringList{"00:00:01.984 | Fri, 14 Mar 2008, 09:26:55 | block 62 | CheckSum",
                                                 "00:00:02.560 | Fri, 14 Mar 2008, 09:26:56 | block 80 | File Number, CheckSum"}));

        // N and P from the start; one too many says so and stays.
        const auto key = [&](Qt::Key k) {
            QTest::keyClick(&w, k);
            return QString("%1 %2").arg(still->seeks.empty() ? -1 : still->seeks.back()).arg(
                qobject_cast<CText*>(w.GetDlgItem(id::kStatus))->GetText());
        };
        QCOMPARE(key(Qt::Key_N), "1920 Irregular 1 of 3: blocks 60-61, Sequence / Timing");
        QCOMPARE(key(Qt::Key_N), "1984 Irregular 2 of 3: block 62, CheckSum");
        QCOMPARE(key(Qt::Key_P), "1920 Irregular 1 of 3: blocks 60-61, Sequence / Timing");
        QCOMPARE(key(Qt::Key_P), "1920 No irregular block found before here");
        const QPoint at = table.visualRect(table.model()->index(2, 0)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}) {
            QMouseEvent click(type, at, table.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(table.viewport(), &click);
        }
        QCOMPARE(still->seeks.back(), 2560);
        QCOMPARE(key(Qt::Key_P), "1984 Irregular 2 of 3: block 62, CheckSum");
        // A click elsewhere ends the walk: N goes on from where the click landed.
        w.OnSeek(0.7);   // 2240 ms, block 70
        QCOMPARE(key(Qt::Key_N), "2560 Irregular 3 of 3: block 80, File Number, CheckSum");
        QCOMPARE(still->seeks, (std::vector<std::int64_t>{1920, 1984, 1920, 2560, 1984, 2240, 2560}));
        // S stops.
        w.OnPlay();
        QTest::keyClick(&w, Qt::Key_S);
        QVERIFY(!still->playing);

        // The strip names the record under the pointer and its verdict.
        QWidget& strip = *w.GetDlgItem(id::kDecryptBar);
        const int x = CellGeometry(81, 101, strip.width() - 2).left;   // block 80 after the header slot
        QHelpEvent help(QEvent::ToolTip, QPoint(x, 5), strip.mapToGlobal(QPoint(x, 5)));
        QApplication::sendEvent(&strip, &help);
        QTRY_COMPARE(QToolTip::text(), QString("Block 80: irregular"));
    }
};

QTEST_MAIN(IrregularNavTest)
#include "irregular_nav_test.moc"
