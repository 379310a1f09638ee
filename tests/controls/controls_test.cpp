// What the controls draw: each control's pixels in its states, when it repaints, and the rules
// it lays its pixels out by.
#include "analysis/auth_tally.h"
#include "controls/bitmaps.h"
#include "controls/decrypt_bar.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/text.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace tvx {
namespace {

// Colours as "#rrggbb", so that a failed comparison says which colour it found.
std::string Hex(const QColor& c) { return c.name().toStdString(); }
std::string Face(QWidget& w) { return Hex(w.palette().color(QPalette::Active, QPalette::Button)); }
const std::string kBlack = "#000000", kRed = "#ff0000", kGreen = "#00c400";

struct Px {
    int x, y;
    std::string rgb;
};

// Checks the widget as it paints, one pixel per pixel, at each point; returns how many of its
// pixels have the colour `counted`.
int ExpectPixels(QWidget& w, const std::vector<Px>& points, const QColor& counted = {}) {
    const QImage image = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const Px& p : points)
        EXPECT_EQ(image.rect().contains(p.x, p.y) ? Hex(image.pixelColor(p.x, p.y)) : "outside", p.rgb)
            << p.x << ", " << p.y;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == counted;
    return count;
}

// Shows the widget offscreen and lets its first paints pass; then keeps the paints it gets.
struct Paints : QObject {
    explicit Paints(QWidget& w) {
        w.show();
        (void)QTest::qWaitForWindowExposed(&w);
        After([] {});
        w.installEventFilter(this);
    }
    // The paints `change` causes, once every event it posted has run.
    std::vector<QRect> After(const std::function<void()>& change) {
        rects.clear();
        change();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        return rects;
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
    std::vector<QRect> rects;
};

TEST(DecryptBar, PaintsEachColumnByItsEntriesOnBlackMarginsAndRepaintsOnlyOnAChange) {
    // A worker judges every block but the last, some irregular, some skipped; then the last.
    struct Row {
        std::uint32_t blocks;
        std::vector<std::int32_t> irregular;
        std::int32_t skipFrom, skipTo;
        std::vector<Px> pixels;
    };
    const std::string grey = "#404040", mixed = "#c4c400";
    const Row rows[] = {
        // 1,001 entries (the header first) in 200 columns: entry 501 in column 101; 701..705
        // never judged; 706..710 partly; 996..1000 irregular beside one never judged.
        {1000, {500, 997}, 700, 707, {{1, 10, kGreen}, {100, 10, kGreen}, {101, 10, kRed}, {141, 10, grey},
                                      {142, 10, mixed}, {143, 10, kGreen}, {200, 10, kRed}, {0, 10, kBlack},
                                      {201, 10, kBlack}, {1, 2, kBlack}, {1, 3, kGreen}, {1, 16, kGreen}, {1, 17, kBlack}}},
        // 3 entries: columns of 66, 67 and 67 pixels.
        {2, {0}, 0, 0, {{66, 10, kGreen}, {67, 10, kRed}, {133, 10, kRed}, {134, 10, grey}, {200, 10, grey}}},
    };
    for (const Row& r : rows) {
        AuthTally tally;
        ASSERT_TRUE(tally.Allocate(r.blocks, 1));
        CDecryptBar bar;
        bar.resize(202, 20);
        bar.SetStates(&tally.GetStrip());
        std::thread([&] {
            for (std::int32_t i = -1; i + 1 < static_cast<std::int32_t>(r.blocks); ++i)
                if (i < r.skipFrom || i >= r.skipTo)
                    tally.OnBlockResult(i, std::count(r.irregular.begin(), r.irregular.end(), i) ? kIrregular : 0);
        }).join();
        ExpectPixels(bar, r.pixels);
        Paints paints(bar);
        EXPECT_EQ(paints.After([&] { bar.PollStates(); }).size(), 0u);
        std::thread([&] { tally.OnBlockResult(static_cast<std::int32_t>(r.blocks) - 1, 0); }).join();
        for (int waited = 0; paints.rects.empty() && waited < 5000; waited += 10)   // its own timer
            QTest::qWait(10);
        EXPECT_EQ(paints.rects.size(), 1u);
    }
}

// Pictures made in main(), under ids the program does not use: 10 x 8 solid colours.
constexpr std::uint32_t kRedId = 9001, kBlueId = 9002, kGreenId = 9003;

TEST(ImageControls, ButtonShowsItsSlotRaisedSunkenOrGreyButNotForItsWindow) {
    QWidget window;
    CImageButton button(&window);
    button.resize(30, 20);
    const auto role = [&button](QPalette::ColorRole r) { return Hex(button.palette().color(QPalette::Active, r)); };
    const std::string blue = "#0000ff", face = role(QPalette::Button), up = role(QPalette::Light),
                      down = role(QPalette::Shadow);
    struct Row {
        std::uint32_t second, third;
        bool pressed, latched, disabled, windowDisabled;
        std::string image, next, corner, far;   // at x 12 and 13 of the image's top row; two corners
    };
    // The image centred, then moved in by the edge: x 12..21, y 8..15. Greyed, it is a chequer.
    for (const Row& r : {Row{kBlueId, 0, false, false, false, false, kRed, kRed, up, down},
                         {kBlueId, 0, true, false, false, false, blue, blue, down, up},
                         {0, 0, false, true, false, false, kRed, kRed, up, down},   // latched: raised
                         {kBlueId, kGreenId, false, false, true, false, "#00ff00", "#00ff00", up, down},
                         {kBlueId, 0, false, false, true, false, face, kRed, up, down},
                         {kBlueId, kGreenId, false, true, true, false, blue, blue, up, down},   // latched wins
                         {kBlueId, kGreenId, false, false, false, true, kRed, kRed, up, down}}) {
        button.SetBitmaps(kRedId, r.second, r.third);
        button.setDown(r.pressed);
        button.SetLatched(r.latched);
        button.setEnabled(!r.disabled);
        window.setEnabled(!r.windowDisabled);
        const int red = ExpectPixels(button, {{12, 8, r.image}, {13, 8, r.next}, {21, 15, r.image},
                                              {22, 15, face}, {0, 0, r.corner}, {29, 19, r.far}}, Qt::red);
        EXPECT_EQ(red, r.image == face ? 40 : r.image == kRed ? 80 : 0) << r.image;
    }
    // An image of each width in 30 pixels: offset/source offset; an odd difference halves toward zero.
    for (const auto& [align, width, at] : {std::tuple{Align::Start, 10, "0/0"}, {Align::End, 10, "20/0"},
                                           {Align::Centre, 40, "0/5"}, {Align::End, 40, "0/10"}, {Align::Centre, 33, "0/1"}})
        EXPECT_EQ(std::to_string(PlaceImage(align, 30, width).offset) + "/" +
                  std::to_string(PlaceImage(align, 30, width).sourceOffset), at);
}

TEST(ImageControls, StaticShowsItsBitmapFromTheCornerUntilClearedAndEveryProgramBitmapIsBuiltIn) {
    CImageStatic icon;
    icon.resize(20, 20);
    for (const std::uint32_t id : {0u, kRedId, 4242u}) {   // none, one, one that does not exist
        icon.SetBitmap(id);
        const std::string shown = id == kRedId ? kRed : Face(icon);
        EXPECT_EQ(ExpectPixels(icon, {{0, 0, shown}, {9, 7, shown}, {10, 0, Face(icon)}}, Qt::red), id == kRedId ? 80 : 0);
        EXPECT_EQ(icon.GetBitmapId(), id == kRedId ? id : 0u);
    }
    std::string sizes;
    for (const std::uint32_t id : {128, 136, 137, 139, 140, 141, 142, 143, 144, 145, 146, 148, 160, 161, 165, 166, 167})
        sizes += std::to_string(LoadBitmapImage(id).width()) + "x" + std::to_string(LoadBitmapImage(id).height()) + " ";
    EXPECT_EQ(sizes, "64x64 36x24 36x24 0x0 36x24 36x24 36x24 36x24 36x24 36x24 36x24 36x24 20x20 20x20 20x20 20x20 20x20 ");
}

TEST(Text, RepaintsOnlyOnARealChangeAndGreysOnlyWhenItselfDisabled) {
    QWidget window;
    CText text(&window);
    text.resize(300, 24);
    const QColor green(0, 196, 0);
    text.SetText(QStringLiteral("AUTHENTICATING"));
    text.SetStyle(Qt::AlignCenter, green);
    window.show();
    Paints paints(text);
    EXPECT_EQ(paints.After([&] {   // every tick sets it: no flicker
        text.SetText(QStringLiteral("AUTHENTICATING"));
        text.SetStyle(Qt::AlignCenter, green);
    }).size(), 0u);
    EXPECT_EQ(paints.After([&] { text.SetText(QStringLiteral("AUTHENTICATING (0.064 SECONDS)")); }).size(), 1u);
    window.setEnabled(false);   // as during a long pass: the line still blinks
    EXPECT_TRUE(text.IsBright());
    EXPECT_GT(ExpectPixels(text, {}, green), 0);
    window.setEnabled(true);
    text.Enable(false);
    EXPECT_EQ(ExpectPixels(text, {}, green), 0);
    EXPECT_GT(ExpectPixels(text, {}, text.palette().color(QPalette::Disabled, QPalette::WindowText)), 0);
}

TEST(TimeLine, TicksHangFromTheTopAndLabelsFollowTheLastSetterAndOnlyTheyRepaint) {
    const COleDateTime start = COleDateTime::FromFields(2024, 3, 9, 10, 45, 30);
    EXPECT_EQ(FirstHourOffset(COleDateTime::FromFields(2024, 3, 9, 11, 0, 0)), 3600);
    EXPECT_TRUE(LayoutTicks(7200, 870, 10).empty() && LayoutTicks(0, 870, 400).empty());   // 5 px an hour: none

    CTimeLine line;
    line.resize(400, 40);
    line.SetEndTime(COleDateTime());   // an end before the start is moved up to it
    line.SetStartTime(start);
    EXPECT_EQ(line.GetLabels().right, "10:45:30");
    line.SetLength(COleDateTimeSpan::FromMs(3723000));
    line.SetPosition(COleDateTimeSpan::FromMs(61000));
    const TimelineLabels rel = line.GetLabels();
    EXPECT_EQ(rel.left + " " + rel.centre + " " + rel.right, "00:00:00 0:01:01 1:02:03");
    line.SetStartTime(start);
    line.SetEndTime(start + COleDateTimeSpan::FromMs(3600000));
    const TimelineLabels abs = line.GetLabels();
    EXPECT_EQ(abs.left + " " + abs.right + " " + abs.centre, "10:45:30 11:45:30 Sat, 09 Mar 2024, 10:45:30");
    // The hour 870 s in, two wide; quarters five long; five minutes two long, where the column is
    // t / N x W in floating point: 2070 s lands a hair short of 230.
    const std::string face = Face(line);
    ExpectPixels(line, {{96, 7, kBlack}, {97, 7, kBlack}, {96, 8, face}, {98, 0, face}, {196, 4, kBlack},
                        {196, 5, face}, {229, 1, kBlack}, {229, 2, face}, {230, 0, face}, {263, 1, kBlack}});
    Paints paints(line);
    EXPECT_EQ(paints.After([&] { line.SetCurrentTime(start); }).size(), 0u);   // already the time heard
    EXPECT_EQ(paints.After([&] { line.SetCurrentTime(start + COleDateTimeSpan::FromMs(1000)); }),
              std::vector<QRect>{QRect(0, 12, 400, 28)});
    EXPECT_EQ(line.GetLabels().centre, "Sat, 09 Mar 2024, 10:45:31");
    line.ResetTimes();
    EXPECT_EQ(line.GetLabels().right, "0:00:00");
}

TEST(WaveView, PeaksAreGreenAroundTheGreyCentresOfOneOrTwoBandsUnderARedXoredCursor) {
    CWaveView view;
    view.resize(60, 100);
    const std::string green = "#00c800", grey = "#606060";
    const std::uint16_t peaks[] = {65535, 1000, 32768};
    ASSERT_EQ(view.SetPeaks(peaks, nullptr, 3, 60), 1);
    ExpectPixels(view, {{0, 0, green}, {0, 99, green}, {1, 50, grey},   // a peak of 1000 draws nothing
                        {1, 49, kBlack}, {2, 24, kBlack}, {2, 25, green}, {2, 74, green},
                        {2, 75, kBlack}, {59, 50, grey}, {59, 40, kBlack}});
    view.SetPosition(0.0);
    EXPECT_EQ(ExpectPixels(view, {{0, 10, "#ffc800"}}, Qt::red), 0);   // over green
    view.SetPosition(0.5);
    view.SetPosition(0.5);   // the same place twice stays visible
    ExpectPixels(view, {{0, 10, green}, {30, 10, kRed}, {30, 50, "#9f6060"}});   // the old column clean
    view.SetPosition(1.5);   // the last column lies at the right edge: nothing drawn
    EXPECT_EQ(ExpectPixels(view, {}, Qt::red), 0);
    EXPECT_DOUBLE_EQ(ClickFraction(50, 0), 0.0);   // nothing loaded: no division by zero
    // No arrays draw no bands but keep the count: the whole is still 3.
    ASSERT_EQ(view.SetPeaks(nullptr, nullptr, 10, 0), 0);
    view.SetPosition(1.0);
    ExpectPixels(view, {{3, 10, kRed}, {0, 50, kBlack}, {0, 0, kBlack}});

    const std::uint16_t full[] = {65535};
    ASSERT_EQ(view.SetPeaks(full, full, 1, 60), 2);
    ExpectPixels(view, {{0, 45, green}, {0, 46, kBlack}, {0, 53, kBlack}, {0, 54, green},
                        {5, 23, grey}, {5, 77, grey}, {5, 50, kBlack}});
    // A longer second band leaves the first as it was, and it is not read past its end.
    std::vector<std::uint16_t> longer(50, 65535);
    ASSERT_EQ(view.SetPeaks(nullptr, longer.data(), 50, 60), 1);
    ExpectPixels(view, {{10, 0, kBlack}});
}

}  // namespace
}  // namespace tvx

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");   // the tests read pixels, whatever the display
    QApplication app(argc, argv);
    using namespace tvx;
    for (const auto& [id, colour] : {std::pair{kRedId, Qt::red}, {kBlueId, Qt::blue}, {kGreenId, Qt::green}}) {
        QImage image(10, 8, QImage::Format_ARGB32);
        image.fill(colour);
        RegisterBitmap(id, image);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
