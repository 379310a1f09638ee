#include "controls/image_button.h"

#include "controls/bitmaps.h"
#include "controls/image_static.h"
#include "controls_test_support.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

using test::Grab;
using test::RgbAt;
using test::RgbOf;

constexpr std::uint32_t kRedId = 9001;
constexpr std::uint32_t kBlueId = 9002;
constexpr std::uint32_t kGreenId = 9003;
constexpr std::uint32_t kWideId = 9004;

QImage Solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Pictures made here, under ids the program does not use: 10 x 8 solid colours, and one
// 40 pixels wide whose column x has red 6x.
class ImageControls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterBitmap(kRedId, Solid(10, 8, Qt::red));
        RegisterBitmap(kBlueId, Solid(10, 8, Qt::blue));
        RegisterBitmap(kGreenId, Solid(10, 8, Qt::green));
        QImage wide(40, 8, QImage::Format_ARGB32);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 8; ++y)
                wide.setPixelColor(x, y, QColor(6 * x, 0, 0));
        RegisterBitmap(kWideId, wide);
    }
    void SetUp() override { button.resize(30, 20); }

    std::string Role(QPalette::ColorRole role) {
        return RgbOf(button.palette().color(QPalette::Active, role));
    }

    CImageButton button;
    const std::string kRed = "255, 0, 0";
    const std::string kBlue = "0, 0, 255";
    const std::string kGreen = "0, 255, 0";
};

TEST(ImageButtonRules, PressedOrLatchedTakesSlotTwoAndDisabledSlotThree) {
    struct Case {
        bool pressed, latched, disabled;
        std::uint32_t down, off;
        std::uint32_t id;
        bool grey;
    };
    const Case cases[] = {
        {false, false, false, 142, 144, 143, false}, {true, false, false, 142, 144, 142, false},
        {false, true, false, 142, 144, 142, false},  {false, true, false, 0, 144, 143, false},
        {false, false, true, 142, 144, 144, false},  {false, false, true, 142, 0, 143, true},
        {false, true, true, 142, 144, 142, false},   // latched beats disabled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pressed) + std::to_string(c.latched) +
                     std::to_string(c.disabled) + " " + std::to_string(c.down) + "/" +
                     std::to_string(c.off));
        const BitmapChoice got = ChooseBitmap(c.pressed, c.latched, c.disabled, 143, c.down, c.off);
        EXPECT_EQ(got.id, c.id);
        EXPECT_EQ(got.grey, c.grey);
    }
}

TEST(ImageButtonRules, LargerImagesKeepTheirAlignedPartInView) {
    struct Case {
        Align align;
        int extent, image, offset, source;
    };
    const Case cases[] = {
        {Align::Centre, 30, 10, 10, 0}, {Align::Start, 30, 10, 0, 0},
        {Align::End, 30, 10, 20, 0},    {Align::Centre, 30, 40, 0, 5},
        {Align::Start, 30, 40, 0, 0},   {Align::End, 30, 40, 0, 10},
        {Align::Centre, 30, 33, 0, 1},   // an odd difference halves toward zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.align)) + " " + std::to_string(c.image));
        const ImagePlacement p = PlaceImage(c.align, c.extent, c.image);
        EXPECT_EQ(p.offset, c.offset);
        EXPECT_EQ(p.sourceOffset, c.source);
    }
}

TEST_F(ImageControls, NormalButtonShowsSlotOneInARaisedEdge) {
    button.SetBitmaps(kRedId, kBlueId, 0);
    const QImage image = Grab(button);
    // Centred on the whole button, then moved in by the edge: x 12..21, y 8..15.
    EXPECT_EQ(RgbAt(image, 12, 8), kRed);
    EXPECT_EQ(RgbAt(image, 21, 15), kRed);
    EXPECT_EQ(RgbAt(image, 11, 8), Role(QPalette::Button));
    EXPECT_EQ(RgbAt(image, 22, 15), Role(QPalette::Button));
    EXPECT_EQ(RgbAt(image, 0, 0), Role(QPalette::Light));
    EXPECT_EQ(RgbAt(image, 1, 1), Role(QPalette::Midlight));
    EXPECT_EQ(RgbAt(image, 29, 19), Role(QPalette::Shadow));
    EXPECT_EQ(RgbAt(image, 28, 18), Role(QPalette::Dark));
}

TEST_F(ImageControls, LatchedShowsSlotTwoRaisedAndHeldDownSunken) {
    button.SetBitmaps(kRedId, kBlueId, 0);
    button.SetLatched(true);
    QImage image = Grab(button);
    EXPECT_EQ(RgbAt(image, 12, 8), kBlue);
    EXPECT_EQ(RgbAt(image, 0, 0), Role(QPalette::Light));

    button.setDown(true);
    image = Grab(button);
    EXPECT_EQ(RgbAt(image, 12, 8), kBlue);
    EXPECT_EQ(RgbAt(image, 0, 0), Role(QPalette::Shadow));
    EXPECT_EQ(RgbAt(image, 1, 1), Role(QPalette::Dark));
    EXPECT_EQ(RgbAt(image, 29, 19), Role(QPalette::Light));
}

TEST_F(ImageControls, DisabledWithoutSlotThreeGreysEveryOtherPixel) {
    button.SetBitmaps(kRedId, kBlueId, 0);
    button.setEnabled(false);
    const QImage image = Grab(button);
    const std::string face = Role(QPalette::Button);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            SCOPED_TRACE("image pixel " + std::to_string(x) + ", " + std::to_string(y));
            EXPECT_EQ(RgbAt(image, 12 + x, 8 + y), (x + y) % 2 == 0 ? face : kRed);
        }
    }
    button.SetBitmaps(kRedId, kBlueId, kGreenId);
    EXPECT_EQ(RgbAt(Grab(button), 12, 8), kGreen);
}

TEST_F(ImageControls, ADisabledWindowDoesNotGreyItsButtons) {
    QWidget window;
    button.setParent(&window);
    button.SetBitmaps(kRedId, kBlueId, kGreenId);
    window.setEnabled(false);
    EXPECT_EQ(RgbAt(Grab(button), 12, 8), kRed);
    button.setParent(nullptr);
}

TEST_F(ImageControls, WiderImageShowsItsMiddleInACentredButton) {
    button.SetBitmaps(kWideId, 0, 0);
    const QImage image = Grab(button);
    // 40 wide in 30: five columns cut off in front, the inner area from x = 2 to 27.
    EXPECT_EQ(RgbAt(image, 2, 10), "30, 0, 0");
    EXPECT_EQ(RgbAt(image, 27, 10), "180, 0, 0");
    EXPECT_EQ(RgbAt(image, 28, 10), Role(QPalette::Dark));   // the edge stays whole
}

TEST_F(ImageControls, StaticShowsItsBitmapFromTheCornerUntilCleared) {
    CImageStatic icon;
    icon.resize(20, 20);
    const std::string face = RgbOf(icon.palette().color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(RgbAt(Grab(icon), 0, 0), face);
    icon.SetBitmap(kRedId);
    QImage image = Grab(icon);
    EXPECT_EQ(RgbAt(image, 0, 0), kRed);
    EXPECT_EQ(RgbAt(image, 9, 7), kRed);
    EXPECT_EQ(RgbAt(image, 10, 0), face);
    EXPECT_EQ(icon.GetBitmapId(), kRedId);
    icon.ClearBitmap();
    EXPECT_EQ(RgbAt(Grab(icon), 0, 0), face);
    icon.SetBitmap(4242);   // no such bitmap: blank
    EXPECT_EQ(icon.GetBitmapId(), 0u);
    EXPECT_EQ(RgbAt(Grab(icon), 0, 0), face);
}

TEST(ProgramBitmaps, EveryIdIsBuiltInAtItsSize) {
    struct Case {
        std::uint32_t id;
        int w, h;
    };
    const Case cases[] = {{128, 64, 64}, {136, 36, 24}, {137, 36, 24}, {140, 36, 24},
                          {141, 36, 24}, {142, 36, 24}, {143, 36, 24}, {144, 36, 24},
                          {145, 36, 24}, {146, 36, 24}, {148, 36, 24}, {160, 20, 20},
                          {161, 20, 20}, {165, 20, 20}, {166, 20, 20}, {167, 20, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE("bitmap " + std::to_string(c.id));
        const QImage image = LoadBitmapImage(c.id);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), c.w);
        EXPECT_EQ(image.height(), c.h);
    }
    EXPECT_TRUE(LoadBitmapImage(139).isNull());
}

}  // namespace
}  // namespace tvx
