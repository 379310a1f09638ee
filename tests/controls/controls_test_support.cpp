#include "controls_test_support.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace tvx::test {

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::string RgbOf(const QColor& c) {
    return std::to_string(c.red()) + ", " + std::to_string(c.green()) + ", " +
           std::to_string(c.blue());
}

std::string RgbAt(const QImage& image, int x, int y) {
    if (!image.rect().contains(x, y))
        return "outside";
    return RgbOf(image.pixelColor(x, y));
}

void ExpectPixels(const QImage& image, const std::vector<PixelIs>& pixels) {
    for (const PixelIs& p : pixels)
        EXPECT_EQ(RgbAt(image, p.x, p.y), p.rgb) << p.x << ", " << p.y;
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void ShowAndSettle(QWidget& widget) {
    widget.show();
    (void)QTest::qWaitForWindowExposed(&widget);
    Settle();
}

PaintCounter::PaintCounter(QWidget& widget) {
    widget.installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint)
        m_rects.push_back(static_cast<QPaintEvent*>(event)->rect());
    return false;
}

}  // namespace tvx::test
