#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QWidget>

#include <string>
#include <vector>

namespace tvx::test {

// The widget as it paints, one pixel per pixel.
QImage Grab(QWidget& widget);

// "r, g, b" of a pixel, so a failed comparison says which colour it found.
std::string RgbAt(const QImage& image, int x, int y);
std::string RgbOf(const QColor& colour);

// Checks each pixel's colour, naming the ones that differ.
struct PixelIs {
    int x, y;
    std::string rgb;
};
void ExpectPixels(const QImage& image, const std::vector<PixelIs>& pixels);

// Shows the widget offscreen and lets its first paints pass.
void ShowAndSettle(QWidget& widget);
// Lets every posted event, repaints included, run.
void Settle();

// Counts the paint events a widget receives, and their rectangles. Make it after the widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget);
    int Count() const { return static_cast<int>(m_rects.size()); }
    const std::vector<QRect>& Rects() const { return m_rects; }
    void Clear() { m_rects.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QRect> m_rects;
};

}  // namespace tvx::test
