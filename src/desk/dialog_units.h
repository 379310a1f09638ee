#pragma once

#include <QSize>

class QFontMetrics;

namespace tvx {

// Dialog units in pixels for a font: a quarter of the average character width across, an
// eighth of the line height down, so a dialog keeps its proportions with any system font.
QSize DialogUnitsToPixels(const QFontMetrics& metrics, int width, int height);

}  // namespace tvx
