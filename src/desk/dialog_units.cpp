#include "desk/dialog_units.h"

#include <QFontMetrics>

namespace tvx {

QSize DialogUnitsToPixels(const QFontMetrics& metrics, int width, int height) {
    static const QString kAlphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(kAlphabet) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return {(width * baseX + 2) / 4, (height * baseY + 4) / 8};
}

}  // namespace tvx
