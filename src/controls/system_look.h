#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

#include <cstdint>

class QPainter;
class QWidget;

namespace tvx {

// A colour value as the system keeps it, 0x00BBGGRR (the tally's status colours).
QColor FromColorRef(std::uint32_t colorRef);

// The dialog's face colour and the grey of disabled text. Read from the active group: a
// control looks the same while its window is disabled, only its own state greys it.
QColor ButtonFace(const QWidget& widget);
QColor GrayText(const QWidget& widget);

enum class Edge { Raised, Sunken };

// A two-pixel 3-D edge drawn inside `rect`; the inner rectangle comes back. `soft` gives the
// rounder look of a push button; `fillMiddle` paints the inner rectangle with the face colour.
QRect DrawEdge(QPainter& painter, const QRect& rect, Edge edge, const QWidget& widget,
               bool soft, bool fillMiddle);

// A sans-serif font whose cell (ascent plus descent) is `cellHeight` pixels, as the system
// sizes a font asked for by a positive height; weight 100..900.
QFont SystemFont(int cellHeight, int weight, bool fixedPitch = false);

}  // namespace tvx
