// The controls as they paint and answer, and the rules they paint by.
#include "analysis/auth_tally.h"
#include "controls/bitmaps.h"
#include "controls/decrypt_bar.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/strip_layout.h"
#include "controls/text.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tvx {
namespace {

// The widget as it paints, one pixel per pixel.
QImage Grab(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// "r, g, b", so a failed comparison says which colour it found.
std::string RgbOf(const QColor& c) {
    return QString("%1, %2, %3").arg(c.red()).arg(c.green()).arg(c.blue()).toStdString();
}
std::string RgbAt(const QImage& image, int x, int y) {
    return image.rect().contains(x, y) ? RgbOf(image.pixelColor(x, y)) : "outside";
}

struct PixelIs {
    int x, y;
    std::string rgb;
};
void ExpectPixels(const QImage& image, const std::vector<PixelIs>& pixels) {
    for (const PixelIs& p : pixels)
        EXPECT_EQ(RgbAt(image, p.x, p.y), p.rgb) << p.x << ", " << p.y;
}

// Lets every posted event, repaints included, run.
void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Shows the widget (and its window) offscreen, lets the first paints pass, then counts the
// paints the widget receives.
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget& w) {
        w.show();
        (void)QTest::qWaitForWindowExposed(&w);
        Settle();
        w.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
    int Count() const { return static_cast<int>(rects.size()); }
    std::vector<QRect> rects;
};

const std::string kBlack = "0, 0, 0";
const std::string kRed = "255, 0, 0";

std::string Face(QWidget& w) { return RgbOf(w.palette().color(QPalette::Active, QPalette::Button)); }

TEST(ColumnRule, IrregularWinsThenMixedThenAuthentic) {
    const std::pair<std::vector<std::uint8_t>, std::uint8_t> cases[] = {
        {{2, 2, 0, 0, 0}, 4}, {{2, 3, 2, 2, 2}, 3}, {{2, 2, 2, 2, 2}, 2}, {{0, 0, 0, 0, 0}, 0},
        {{0, 0, 2, 2, 2}, 4}, {{3, 0, 0}, 3}, {{0, 3, 2}, 3}, {{2, 0, 3}, 3}, {{2}, 2}, {{0}, 0}};
    for (const auto& [states, cell] : cases) {
        ColumnRule rule;
        for (auto s : states)
            rule.Add(s);
        EXPECT_EQ(rule.Cell(), cell) << ::testing::PrintToString(states);
    }
}

TEST(StripGeometry, CellsTileTheStripAndEveryEntryLiesInItsOwnCell) {
    for (const std::size_t entries : {3u, 50u, 200u, 1000u, 1001u}) {
        SCOPED_TRACE(entries);
        int left = 1;
        std::size_t next = 0;
        for (int k = 0; k < std::min<int>(static_cast<int>(entries), 200); ++k) {
            const StripCell cell = CellGeometry(k, entries, 200);
            ASSERT_EQ(cell.left, left) << "cell " << k;
            ASSERT_GE(cell.width, 1) << "cell " << k;
            left += cell.width;
            const EntryRange r = EntriesOfCell(k, entries, 200);
            ASSERT_EQ(r.first, next) << "cell " << k;
            ASSERT_LT(r.first, r.last) << "cell " << k;
            for (std::size_t e = r.first; e < r.last; ++e)
                ASSERT_EQ(CellOfEntry(e, entries, 200), k) << "entry " << e;
            next = r.last;
        }
        EXPECT_EQ(left, 201);
        EXPECT_EQ(next, entries);
    }
}

TEST(DecryptBar, PaintsTheVerdictsAWorkerStoredOnBlackMarginsAndRepaintsOnlyOnAChange) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(1000, 1));   // 1001 entries: the header first
    CDecryptBar bar;
    bar.resize(202, 20);
    bar.SetStates(&tally.GetStrip());
    std::thread([&tally] {
        for (std::int32_t i = -1; i < 999; ++i)   // all but the last block
            tally.OnBlockResult(i, i == 500 ? kIrregular | kChecksumError : 0);
    }).join();
    const std::string green = "0, 196, 0";
    ExpectPixels(Grab(bar), {{1, 10, green}, {100, 10, green}, {101, 10, kRed},   // 501 in column 100
                             {200, 10, "196, 196, 0"},   // 996..1000, one never judged
                             {0, 10, kBlack}, {201, 10, kBlack}, {1, 2, kBlack},   // margins, three rows
                             {1, 3, green}, {1, 16, green}, {1, 17, kBlack}});     // of black above and below

    PaintCounter paints(bar);
    bar.PollStates();
    Settle();
    EXPECT_EQ(paints.Count(), 0);
    std::thread([&tally] { tally.OnBlockResult(999, 0); }).join();
    for (int waited = 0; paints.Count() == 0 && waited < 5000; waited += 10)   // its own timer
        QTest::qWait(10);
    EXPECT_EQ(paints.Count(), 1);
}

TEST(ClickFraction, EdgesStayInsideTheControl) {
    EXPECT_DOUBLE_EQ(ClickFraction(200, 200), 1.0);
    EXPECT_DOUBLE_EQ(ClickFraction(50, 0), 0.0);   // nothing loaded: no division by zero
    EXPECT_EQ(CursorColumn(200, 1.5), 200);         // past the end: the last column
    EXPECT_EQ(CursorColumn(200, -0.5), -1);
    EXPECT_EQ(CursorColumn(0, 0.5), 0);
}

TEST(ImageButtonRules, PressedOrLatchedTakesSlotTwoDisabledSlotThreeAndLargerImagesStayAligned) {
    // Slot one is 143; slots two and three as given (0: none). The id shown, "g" when greyed.
    struct Choice {
        bool pressed, latched, disabled;
        std::uint32_t down, off;
    };
    std::string chosen;
    for (const Choice& c : {Choice{true, false, false, 142, 144}, {false, true, false, 0, 144},
                            {false, false, true, 142, 144}, {false, false, true, 142, 0},
                            {false, true, true, 142, 144}}) {
        const BitmapChoice b = ChooseBitmap(c.pressed, c.latched, c.disabled, 143, c.down, c.off);
        chosen += std::to_string(b.id) + (b.grey ? "g " : " ");
    }
    EXPECT_EQ(chosen, "142 143 144 143g 142 ");   // no slot two: one; latched beats disabled
    // An image of each width in 30 pixels: offset/source offset.
    std::string placed;
    for (const auto& [align, width] : {std::pair{Align::Start, 10}, {Align::End, 10}, {Align::Centre, 40},
                                       {Align::End, 40}, {Align::Centre, 33}}) {
        const ImagePlacement p = PlaceImage(align, 30, width);
        placed += QString("%1/%2 ").arg(p.offset).arg(p.sourceOffset).toStdString();
    }
    EXPECT_EQ(placed, "0/0 20/0 0/5 0/10 0/1 ");   // an odd difference halves toward zero
}

// Pictures made here, under ids the program does not use: 10 x 8 solid colours.
constexpr std::uint32_t kRedId = 9001, kBlueId = 9002, kGreenId = 9003;

class ImageControls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const auto& [id, colour] : {std::pair{kRedId, Qt::red}, {kBlueId, Qt::blue}, {kGreenId, Qt::green}}) {
            QImage image(10, 8, QImage::Format_ARGB32);
            image.fill(colour);
            RegisterBitmap(id, image);
        }
    }
    void SetUp() override {
        button.resize(30, 20);
        button.SetBitmaps(kRedId, kBlueId, 0);
    }
    std::string Role(QPalette::ColorRole role) { return RgbOf(button.palette().color(QPalette::Active, role)); }
    CImageButton button;
};

TEST_F(ImageControls, ButtonShowsItsSlotRaisedSunkenOrGreyButNotForItsWindow) {
    // The image centred, then moved in by the edge: x 12..21, y 8..15.
    ExpectPixels(Grab(button), {{12, 8, kRed}, {21, 15, kRed}, {22, 15, Role(QPalette::Button)},
                                {0, 0, Role(QPalette::Light)}, {29, 19, Role(QPalette::Shadow)}});
    button.SetLatched(true);
    button.setDown(true);
    ExpectPixels(Grab(button), {{12, 8, "0, 0, 255"}, {0, 0, Role(QPalette::Shadow)},
                                {29, 19, Role(QPalette::Light)}});
    button.SetLatched(false);
    button.setDown(false);
    QWidget window;
    button.setParent(&window);
    window.setEnabled(false);   // a disabled window does not grey its buttons
    EXPECT_EQ(RgbAt(Grab(button), 12, 8), kRed);
    window.setEnabled(true);
    button.setEnabled(false);
    const QImage image = Grab(button);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(RgbAt(image, 12 + x, 8 + y), (x + y) % 2 == 0 ? Role(QPalette::Button) : kRed)
                << x << ", " << y;
    button.SetBitmaps(kRedId, kBlueId, kGreenId);
    EXPECT_EQ(RgbAt(Grab(button), 12, 8), "0, 255, 0");
    button.setParent(nullptr);
}

TEST_F(ImageControls, StaticShowsItsBitmapFromTheCornerUntilCleared) {
    CImageStatic icon;
    icon.resize(20, 20);
    EXPECT_EQ(RgbAt(Grab(icon), 0, 0), Face(icon));
    icon.SetBitmap(kRedId);
    ExpectPixels(Grab(icon), {{0, 0, kRed}, {9, 7, kRed}, {10, 0, Face(icon)}});
    icon.SetBitmap(4242);   // no such bitmap: blank
    EXPECT_EQ(icon.GetBitmapId(), 0u);
    EXPECT_EQ(RgbAt(Grab(icon), 0, 0), Face(icon));
}

TEST(ProgramBitmaps, EveryIdIsBuiltInAtItsSize) {
    const std::pair<std::vector<std::uint32_t>, QSize> groups[] = {
        {{128}, {64, 64}}, {{136, 137, 140, 141, 142, 143, 144, 145, 146, 148}, {36, 24}},
        {{160, 161, 165, 166, 167}, {20, 20}}};
    for (const auto& [ids, size] : groups)
        for (const std::uint32_t id : ids)
            EXPECT_EQ(LoadBitmapImage(id).size(), size) << "bitmap " << id;
    EXPECT_TRUE(LoadBitmapImage(139).isNull());
}

bool HasPixelOf(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

TEST(Text, RepaintsOnlyOnARealChangeAndGreysOnlyWhenItselfDisabled) {
    QWidget window;
    CText text(&window);
    text.resize(300, 24);
    const QColor green(0, 196, 0);
    text.SetText(QStringLiteral("AUTHENTICATING"));
    text.SetStyle(Qt::AlignCenter, green);
    window.show();
    PaintCounter paints(text);
    text.SetText(QStringLiteral("AUTHENTICATING"));   // every tick sets it: no flicker
    text.SetStyle(Qt::AlignCenter, green);
    Settle();
    EXPECT_EQ(paints.Count(), 0);
    text.SetText(QStringLiteral("AUTHENTICATING (0.064 SECONDS)"));
    Settle();
    EXPECT_EQ(paints.Count(), 1);
    window.setEnabled(false);   // as during a long pass: the line still blinks
    EXPECT_TRUE(text.IsBright());
    EXPECT_TRUE(HasPixelOf(Grab(text), green));
    window.setEnabled(true);
    text.Enable(false);
    const QImage grey = Grab(text);
    EXPECT_FALSE(HasPixelOf(grey, green));
    EXPECT_TRUE(HasPixelOf(grey, text.palette().color(QPalette::Disabled, QPalette::WindowText)));
}

const COleDateTime kStart = COleDateTime::FromFields(2024, 3, 9, 10, 45, 30);
const COleDateTime kEnd = COleDateTime::FromFields(2024, 3, 9, 12, 45, 30);

TEST(TimelineTicks, HoursTwoWideQuartersAndFiveMinutesOnlyWhenMoreThanFivePixelsApart) {
    ASSERT_EQ(SpannedSeconds(kEnd.GetDays() - kStart.GetDays()), 7200);
    ASSERT_EQ(FirstHourOffset(kStart), 870);
    EXPECT_EQ(FirstHourOffset(COleDateTime::FromFields(2024, 3, 9, 11, 0, 0)), 3600);
    EXPECT_EQ(LayoutTicks(7200, 870, 400),
              (std::vector<TimelineTick>{{48, 8}, {49, 8}, {248, 8}, {249, 8}, {48, 5}, {98, 5},
                                         {148, 5}, {198, 5}, {248, 5}, {298, 5}, {348, 5}, {398, 5}}));
    // One hour on 400 pixels: 60 s is 6.7 pixels, so the five-minute marks show. The column is
    // t / N x W in floating point: 2070 s lands a hair short of 230.
    std::vector<int> fives;
    for (const TimelineTick& t : LayoutTicks(3600, 870, 400))
        if (t.length == 2)
            fives.push_back(t.x);
    EXPECT_EQ(fives, (std::vector<int>{30, 63, 96, 130, 163, 196, 229, 263, 296, 330, 363, 396}));
    EXPECT_TRUE(LayoutTicks(7200, 870, 10).empty());   // an hour is exactly 5 pixels: not enough
    EXPECT_TRUE(LayoutTicks(0, 870, 400).empty());
}

TEST(TimeLine, LabelsFollowTheLastSetterAndTheTimeHeardRepaintsOnlyThem) {
    CTimeLine line;
    line.resize(400, 40);
    line.SetEndTime(COleDateTime());   // an end before the start is moved up to it
    line.SetStartTime(kStart);
    EXPECT_EQ(line.GetLabels().right, "10:45:30");
    line.SetLength(COleDateTimeSpan::FromMs(3723000));
    line.SetPosition(COleDateTimeSpan::FromMs(61000));
    const TimelineLabels rel = line.GetLabels();
    EXPECT_EQ(rel.left + " " + rel.centre + " " + rel.right, "00:00:00 0:01:01 1:02:03");
    line.SetStartTime(kStart);
    line.SetEndTime(kEnd);
    const TimelineLabels abs = line.GetLabels();
    EXPECT_EQ(abs.left + " " + abs.right + " " + abs.centre, "10:45:30 12:45:30 Sat, 09 Mar 2024, 10:45:30");
    ExpectPixels(Grab(line), {{48, 7, kBlack}, {48, 8, Face(line)},    // ticks hang from the top
                              {98, 4, kBlack}, {98, 5, Face(line)}});

    PaintCounter paints(line);
    line.SetCurrentTime(kStart);   // the start is already the time heard
    Settle();
    EXPECT_EQ(paints.Count(), 0);
    line.SetCurrentTime(kStart + COleDateTimeSpan::FromMs(1000));
    Settle();
    ASSERT_EQ(paints.Count(), 1);
    EXPECT_EQ(paints.rects[0], QRect(0, 12, 400, 28));
    EXPECT_EQ(line.GetLabels().centre, "Sat, 09 Mar 2024, 10:45:31");
    line.ResetTimes();
    EXPECT_EQ(line.GetLabels().right, "0:00:00");
}

class WaveViewPaint : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(60, 100);
        const std::uint16_t peaks[] = {65535, 1000, 32768};
        ASSERT_EQ(view.SetPeaks(peaks, nullptr, 3, 60), 1);
    }
    CWaveView view;
    const std::string kGreen = "0, 200, 0";
    const std::string kGrey = "96, 96, 96";
};

TEST_F(WaveViewPaint, PeaksAreGreenLinesAroundTheGreyCentresOfOneOrTwoBands) {
    ExpectPixels(Grab(view), {{0, 0, kGreen}, {0, 99, kGreen}, {1, 50, kGrey},   // a peak of 1000 draws nothing
                              {1, 49, kBlack}, {2, 24, kBlack}, {2, 25, kGreen}, {2, 74, kGreen},
                              {2, 75, kBlack}, {59, 50, kGrey}, {59, 40, kBlack}});
    const std::uint16_t full[] = {65535};
    ASSERT_EQ(view.SetPeaks(full, full, 1, 60), 2);
    ExpectPixels(Grab(view), {{0, 45, kGreen}, {0, 46, kBlack}, {0, 53, kBlack}, {0, 54, kGreen},
                              {5, 23, kGrey}, {5, 77, kGrey}, {5, 50, kBlack}});
    // A longer second band leaves the first as it was, and it is not read past its end.
    std::vector<std::uint16_t> longer(50, 65535);
    ASSERT_EQ(view.SetPeaks(nullptr, longer.data(), 50, 60), 1);
    EXPECT_EQ(RgbAt(Grab(view), 10, 0), kBlack);
    const PeakRows flat = PeakRowsOf(500, 50, 0);   // a band with no height
    EXPECT_EQ(flat.y1 * 1000 + flat.y2, 50050);
}

TEST_F(WaveViewPaint, CursorIsRedXoredOverWhatLiesBeneath) {
    view.SetPosition(0.0);
    EXPECT_EQ(RgbAt(Grab(view), 0, 10), "255, 200, 0");   // over green
    view.SetPosition(0.5);
    view.SetPosition(0.5);   // the same place twice stays visible
    ExpectPixels(Grab(view), {{0, 10, kGreen},             // the old column is clean again
                              {30, 10, kRed}, {30, 50, "159, 96, 96"}});   // over the centre line
    view.SetPosition(1.5);   // the last column lies at the right edge: nothing drawn
    const QImage image = Grab(view);
    for (int x = 0; x < 60; ++x)
        EXPECT_NE(RgbAt(image, x, 10), kRed) << "column " << x;
    // No arrays draw no bands but keep the count: the whole is still 3.
    ASSERT_EQ(view.SetPeaks(nullptr, nullptr, 10, 0), 0);
    view.SetPosition(1.0);
    ExpectPixels(Grab(view), {{3, 10, kRed}, {0, 50, kBlack}, {0, 0, kBlack}});
}

}  // namespace
}  // namespace tvx

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");   // the tests read pixels, whatever the display
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
