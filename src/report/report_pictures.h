#pragma once

#include "analysis/examination_report.h"

#include <QPainter>
#include <QRect>

namespace tvx::report {

// Where the waveform, the strip and the timeline lie on the page, one under the other, each
// as wide as the text. The strip is drawn by the window's control at kStripWidth pixels and
// scaled up kStripScale times, so that one irregular block stays visible on paper.
struct PictureLayout {
    static constexpr int kStripWidth = 200;
    static constexpr int kStripHeight = 12;
    static constexpr int kStripScale = 5;

    QRect wave;
    QRect strip;      // on the page, kStripScale times the control's size
    QRect timeline;
    int bottom = 0;
};
PictureLayout LayoutPictures(QPoint topLeft, int width);

// Paints the image's overview with the window's own controls: the waveform from the peaks,
// the strip from the tally's verdicts, the timeline of the recording's clock.
void PaintPictures(QPainter& painter, const PictureLayout& layout, const ReportData& data);

}  // namespace tvx::report
