#include "report/report_pictures.h"

#include "controls/decrypt_bar.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"

namespace tvx::report {

namespace {

constexpr int kWaveHeight = 160;
constexpr int kTimelineHeight = 40;
constexpr int kGap = 2;

void PaintWave(QPainter& painter, const QRect& at, const Peaks& peaks) {
    CWaveView view;
    view.resize(at.size());
    const std::uint16_t* second = peaks.channels == 2 ? peaks.peak2.data() : nullptr;
    if (peaks.channels > 0)
        view.SetPeaks(peaks.peak1.data(), second, peaks.columnsDone, peaks.width);
    view.render(&painter, at.topLeft());
}

void PaintStrip(QPainter& painter, const QRect& at, const AuthTally* tally) {
    CDecryptBar strip;
    strip.resize(PictureLayout::kStripWidth, PictureLayout::kStripHeight);
    if (tally != nullptr)
        strip.SetStates(&tally->GetStrip());
    painter.save();
    painter.translate(at.topLeft());
    painter.scale(PictureLayout::kStripScale, PictureLayout::kStripScale);
    strip.render(&painter);
    painter.restore();
}

void PaintTimeline(QPainter& painter, const QRect& at, const AuthReport& r) {
    CTimeLine timeline;
    timeline.resize(at.size());
    const COleDateTimeSpan length = COleDateTimeSpan::FromMs(r.durations.durationMs);
    if (r.structureJudged) {   // IMG images carry no clock: their ruler counts from 0
        timeline.SetStartTime(r.start);
        timeline.SetEndTime(r.start + length);
    } else {
        timeline.SetLength(length);
    }
    timeline.render(&painter, at.topLeft());
}

}  // namespace

PictureLayout LayoutPictures(QPoint topLeft, int width) {
    PictureLayout layout;
    layout.wave = QRect(topLeft, QSize(width, kWaveHeight));
    layout.strip = QRect(QPoint(topLeft.x(), layout.wave.bottom() + 1 + kGap),
                         QSize(PictureLayout::kStripWidth, PictureLayout::kStripHeight) *
                             PictureLayout::kStripScale);
    layout.timeline = QRect(QPoint(topLeft.x(), layout.strip.bottom() + 1 + kGap),
                            QSize(width, kTimelineHeight));
    layout.bottom = layout.timeline.bottom() + 1;
    return layout;
}

void PaintPictures(QPainter& painter, const PictureLayout& layout, const ReportData& data) {
    PaintWave(painter, layout.wave, data.peaks);
    PaintStrip(painter, layout.strip, data.tally.get());
    PaintTimeline(painter, layout.timeline, data.report);
}

}  // namespace tvx::report
