#include "controls/system_look.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace tvx {

QColor FromColorRef(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>(colorRef >> 8 & 0xFF),
                  static_cast<int>(colorRef >> 16 & 0xFF));
}

QColor ButtonFace(const QWidget& widget) {
    return widget.palette().color(QPalette::Active, QPalette::Button);
}

QColor GrayText(const QWidget& widget) {
    return widget.palette().color(QPalette::Disabled, QPalette::WindowText);
}

QRect DrawEdge(QPainter& painter, const QRect& rect, Edge edge, const QWidget& widget,
               bool soft, bool fillMiddle) {
    const QPalette& pal = widget.palette();
    const QColor highlight = pal.color(QPalette::Active, QPalette::Light);
    const QColor light = pal.color(QPalette::Active, QPalette::Midlight);
    const QColor shadow = pal.color(QPalette::Active, QPalette::Dark);
    const QColor darkShadow = pal.color(QPalette::Active, QPalette::Shadow);

    // Outer and inner rings: top-left colour, bottom-right colour.
    QColor outerTl, outerBr, innerTl, innerBr;
    if (edge == Edge::Raised) {
        outerTl = soft ? highlight : light;
        outerBr = darkShadow;
        innerTl = soft ? light : highlight;
        innerBr = shadow;
    } else {
        outerTl = soft ? darkShadow : shadow;
        outerBr = highlight;
        innerTl = soft ? shadow : darkShadow;
        innerBr = light;
    }
    const auto ring = [&painter](const QRect& r, const QColor& tl, const QColor& br) {
        if (r.width() <= 0 || r.height() <= 0)
            return;
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), tl);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), tl);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
    };
    ring(rect, outerTl, outerBr);
    const QRect inner1 = rect.adjusted(1, 1, -1, -1);
    ring(inner1, innerTl, innerBr);
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    if (fillMiddle && inner.isValid())
        painter.fillRect(inner, ButtonFace(widget));
    return inner;
}

QFont SystemFont(int cellHeight, int weight, bool fixedPitch) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
    font.setFixedPitch(fixedPitch);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    const int wanted = std::max(cellHeight, 1);
    font.setPixelSize(wanted);
    // The pixel size is the em; scale it so the line the font needs is the height asked for.
    const int cell = QFontMetrics(font).height();
    if (cell > 0 && cell != wanted)
        font.setPixelSize(std::max(1, wanted * wanted / cell));
    return font;
}

}  // namespace tvx
