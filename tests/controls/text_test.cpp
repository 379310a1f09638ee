#include "controls/text.h"

#include "controls_test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace tvx {
namespace {

bool HasPixelOf(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

TEST(Text, RepaintsOnlyOnARealChange) {
    CText text;
    text.resize(300, 24);
    text.SetText(QStringLiteral("AUTHENTICATING"));
    text.SetStyle(Qt::AlignCenter, QColor(0, 196, 0));
    test::ShowAndSettle(text);
    test::PaintCounter paints(text);

    text.SetText(QStringLiteral("AUTHENTICATING"));
    text.SetStyle(Qt::AlignCenter, QColor(0, 196, 0));
    text.SetTextColour(QColor(0, 196, 0));
    text.Enable(true);
    test::Settle();
    EXPECT_EQ(paints.Count(), 0);

    struct Step {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"text", [&] { text.SetText(QStringLiteral("AUTHENTICATING (0.064 SECONDS)")); }},
        {"colour", [&] { text.SetTextColour(QColor(255, 0, 0)); }},
        {"alignment", [&] { text.SetStyle(Qt::AlignLeft, QColor(255, 0, 0)); }},
        {"disable", [&] { text.Enable(false); }},
        {"enable", [&] { text.Enable(true); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        paints.Clear();
        step.change();
        test::Settle();
        EXPECT_EQ(paints.Count(), 1);
    }
}

TEST(Text, DisabledTextIsGreyButADisabledWindowLeavesItBright) {
    QWidget window;
    CText text(&window);
    text.resize(300, 24);
    text.SetText(QStringLiteral("AUTHENTICATING"));
    const QColor red(255, 0, 0);
    text.SetTextColour(red);
    EXPECT_TRUE(HasPixelOf(test::Grab(text), red));

    window.setEnabled(false);   // as during a long pass: the line still blinks
    EXPECT_TRUE(text.IsBright());
    EXPECT_TRUE(HasPixelOf(test::Grab(text), red));
    window.setEnabled(true);

    text.Enable(false);
    EXPECT_FALSE(text.IsBright());
    const QImage grey = test::Grab(text);
    EXPECT_FALSE(HasPixelOf(grey, red));
    EXPECT_TRUE(HasPixelOf(grey, text.palette().color(QPalette::Disabled, QPalette::WindowText)));
}

}  // namespace
}  // namespace tvx
