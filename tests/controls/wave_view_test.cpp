#include "controls/wave_view.h"

#include "controls_test_support.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace tvx {
namespace {

using test::Grab;
using test::RgbAt;

const std::string kBlack = "0, 0, 0";
const std::string kGrey = "96, 96, 96";
const std::string kGreen = "0, 200, 0";
const std::string kRed = "255, 0, 0";

TEST(WaveBands, OneBandCentresAtHalfTheHeightAndTwoShareIt) {
    const WaveBands mono = LayoutWaveBands(0, 100, 1);
    EXPECT_EQ(mono.c1, 50);
    EXPECT_EQ(mono.halfHeight, 50);
    const WaveBands stereo = LayoutWaveBands(0, 100, 2);
    EXPECT_EQ(stereo.c1, 23);
    EXPECT_EQ(stereo.c2, 77);
    EXPECT_EQ(stereo.halfHeight, 23);
    EXPECT_EQ(LayoutWaveBands(10, 110, 1).c1, 60);   // measured from the top
}

TEST(WaveBands, PeakCoversItsShareOfTheBandAndShortPeaksDrawNothing) {
    struct Case {
        std::uint16_t peak;
        int centre, half, y1, y2;
    };
    const Case cases[] = {
        {65535, 50, 50, 0, 100},   // s = 655, d = 100: the whole height
        {1000, 50, 50, 50, 50},    // d = 1: half of it is nothing
        {32768, 50, 50, 25, 75},
        {65535, 23, 23, 0, 46},    // a stereo band, s = 1424, d = 46
        {65535, 77, 23, 54, 100},
        {500, 50, 0, 50, 50},      // a band with no height
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("peak " + std::to_string(c.peak) + " half " + std::to_string(c.half));
        const PeakRows rows = PeakRowsOf(c.peak, c.centre, c.half);
        EXPECT_EQ(rows.y1, c.y1);
        EXPECT_EQ(rows.y2, c.y2);
    }
}

TEST(WaveView, CursorAndClickScaleByTheWholeColumns) {
    EXPECT_EQ(CursorColumn(200, 0.5), 100);
    EXPECT_EQ(CursorColumn(200, 1.5), 200);   // past the end: the last column
    EXPECT_EQ(CursorColumn(200, 0.0049), 0);
    EXPECT_EQ(CursorColumn(200, -0.5), -1);
    EXPECT_EQ(CursorColumn(0, 0.5), 0);
    EXPECT_DOUBLE_EQ(ClickFraction(0, 200), 0.0);
    EXPECT_DOUBLE_EQ(ClickFraction(200, 200), 1.0);
    EXPECT_DOUBLE_EQ(ClickFraction(50, 200), 0.25);
    EXPECT_DOUBLE_EQ(ClickFraction(50, 0), 0.0);   // nothing loaded: no division by zero
}

class WaveViewPaint : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(60, 100);
        std::vector<std::uint16_t> peaks(3);
        peaks[0] = 65535;
        peaks[1] = 1000;
        peaks[2] = 32768;
        ASSERT_EQ(view.SetPeaks(peaks.data(), nullptr, 3, 60), 1);
    }
    CWaveView view;
};

TEST_F(WaveViewPaint, MonoPeaksAreGreenLinesAroundTheGreyCentre) {
    const QImage image = Grab(view);
    EXPECT_EQ(RgbAt(image, 0, 0), kGreen);
    EXPECT_EQ(RgbAt(image, 0, 99), kGreen);
    EXPECT_EQ(RgbAt(image, 1, 50), kGrey);   // a peak of 1000 draws no pixel
    EXPECT_EQ(RgbAt(image, 1, 49), kBlack);
    EXPECT_EQ(RgbAt(image, 2, 24), kBlack);
    EXPECT_EQ(RgbAt(image, 2, 25), kGreen);
    EXPECT_EQ(RgbAt(image, 2, 74), kGreen);
    EXPECT_EQ(RgbAt(image, 2, 75), kBlack);
    EXPECT_EQ(RgbAt(image, 3, 50), kGrey);    // past the peaks only the centre line
    EXPECT_EQ(RgbAt(image, 3, 40), kBlack);
    EXPECT_EQ(RgbAt(image, 59, 50), kGrey);
}

TEST_F(WaveViewPaint, StereoDrawsTwoBands) {
    const std::vector<std::uint16_t> left{65535};
    const std::vector<std::uint16_t> right{65535};
    ASSERT_EQ(view.SetPeaks(left.data(), right.data(), 1, 60), 2);
    const QImage image = Grab(view);
    EXPECT_EQ(RgbAt(image, 0, 0), kGreen);
    EXPECT_EQ(RgbAt(image, 0, 45), kGreen);
    EXPECT_EQ(RgbAt(image, 0, 46), kBlack);
    EXPECT_EQ(RgbAt(image, 0, 53), kBlack);
    EXPECT_EQ(RgbAt(image, 0, 54), kGreen);
    EXPECT_EQ(RgbAt(image, 0, 99), kGreen);
    EXPECT_EQ(RgbAt(image, 5, 23), kGrey);
    EXPECT_EQ(RgbAt(image, 5, 77), kGrey);
    EXPECT_EQ(RgbAt(image, 5, 50), kBlack);
}

TEST_F(WaveViewPaint, CursorIsRedXoredOverWhatLiesBeneath) {
    view.SetPosition(0.0);
    QImage image = Grab(view);
    EXPECT_EQ(RgbAt(image, 0, 10), "255, 200, 0");   // over green
    EXPECT_EQ(RgbAt(image, 1, 10), kBlack);

    view.SetPosition(0.5);
    view.SetPosition(0.5);   // the same place twice stays visible
    image = Grab(view);
    EXPECT_EQ(RgbAt(image, 0, 10), kGreen);          // the old column is clean again
    EXPECT_EQ(RgbAt(image, 30, 10), kRed);
    EXPECT_EQ(RgbAt(image, 30, 50), "159, 96, 96");   // over the centre line

    view.SetPosition(1.5);   // the last column lies at the right edge: nothing drawn
    image = Grab(view);
    EXPECT_EQ(RgbAt(image, 30, 10), kBlack);
    for (int x = 0; x < 60; ++x)
        EXPECT_NE(RgbAt(image, x, 10), kRed) << "column " << x;
}

TEST_F(WaveViewPaint, NoArraysDrawNoBandsButKeepTheCount) {
    ASSERT_EQ(view.SetPeaks(nullptr, nullptr, 10, 0), 0);
    view.SetPosition(1.0);   // the whole is the kept count, 3
    const QImage image = Grab(view);
    EXPECT_EQ(RgbAt(image, 3, 10), kRed);
    EXPECT_EQ(RgbAt(image, 0, 50), kBlack);   // no centre line, no peaks
    EXPECT_EQ(RgbAt(image, 0, 0), kBlack);
}

TEST_F(WaveViewPaint, ShorterBandLeftAsItWasIsNotReadPastItsEnd) {
    std::vector<std::uint16_t> longer(50, 65535);
    ASSERT_EQ(view.SetPeaks(nullptr, longer.data(), 50, 60), 1);   // band 1 keeps its 3
    const QImage image = Grab(view);
    EXPECT_EQ(RgbAt(image, 0, 0), kGreen);
    EXPECT_EQ(RgbAt(image, 10, 0), kBlack);
}

TEST_F(WaveViewPaint, ClickGivesTheFractionOfTheWholeColumns) {
    QSignalSpy spy(&view, &CWaveView::clicked);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(15, 50));
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(0, 50));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_DOUBLE_EQ(spy.at(0).at(0).toDouble(), 0.25);
    EXPECT_DOUBLE_EQ(spy.at(1).at(0).toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(view.GetClickFraction(), 0.0);
    view.UpdateWidth();
    EXPECT_EQ(view.GetColumns(), 61);
}

}  // namespace
}  // namespace tvx
