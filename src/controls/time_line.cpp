#include "controls/time_line.h"

#include "controls/system_look.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tvx {
namespace {

constexpr double kHalfSecondDays = 1.0 / 172800.0;

bool SameTime(const COleDateTime& a, const COleDateTime& b) {
    return a.GetStatus() == b.GetStatus() && a.GetDays() == b.GetDays();
}

// Marks every `step` seconds from `first` while inside the span, if they would stand more
// than five pixels apart at `threshold` seconds.
void AddTicks(std::vector<TimelineTick>& ticks, std::int64_t seconds, std::uint16_t width,
              std::int64_t first, int step, int threshold, int length, bool doubleWidth) {
    const double n = static_cast<double>(seconds);
    if (threshold / n * width <= 5.0)
        return;
    for (std::int64_t t = first; t < seconds; t += step) {
        const double at = static_cast<double>(t) / n * width;
        ticks.push_back({static_cast<int>(std::trunc(at)), length});
        if (doubleWidth)
            ticks.push_back({static_cast<int>(std::trunc(at + 1.0)), length});
    }
}

}  // namespace

std::int64_t SpannedSeconds(double days) {
    return static_cast<std::int64_t>(std::trunc(days * 86400.0 + kHalfSecondDays));
}

int FirstHourOffset(const COleDateTime& start) {
    COleDateTime::Fields f{};
    if (!start.GetFields(f))
        return 3600;
    return 3600 - (f.minute * 60 + f.second);
}

std::vector<TimelineTick> LayoutTicks(std::int64_t seconds, int firstHour, std::uint16_t width) {
    std::vector<TimelineTick> ticks;
    if (seconds <= 0)
        return ticks;
    AddTicks(ticks, seconds, width, firstHour, 3600, 3600, 8, true);
    AddTicks(ticks, seconds, width, firstHour % 900, 900, 600, 5, false);
    AddTicks(ticks, seconds, width, firstHour % 300, 300, 60, 2, false);
    return ticks;
}

TimelineLabels AbsoluteLabels(const COleDateTime& start, const COleDateTime& end,
                              const COleDateTime& current) {
    return {start.Format("%H:%M:%S"), end.Format("%H:%M:%S"),
            current.Format("%a, %d %b %Y, %H:%M:%S")};
}

TimelineLabels RelativeLabels(const COleDateTimeSpan& length, const COleDateTimeSpan& position) {
    return {"00:00:00", FormatSpanHms(length), FormatSpanHms(position)};
}

CTimeLine::CTimeLine(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    ResetTimes();
}

void CTimeLine::ResetTimes() {
    m_start = m_current = m_end = COleDateTime();
    m_length = m_position = COleDateTimeSpan();
    m_bAbsolute = false;
    update();
}

void CTimeLine::SetStartTime(const COleDateTime& start) {
    m_start = m_current = start;
    if (start.GetDays() > m_end.GetDays())
        m_end = start;
    m_bAbsolute = true;
    update();
}

void CTimeLine::SetEndTime(const COleDateTime& end) {
    m_end = end;
    update();
}

void CTimeLine::SetCurrentTime(const COleDateTime& current) {
    if (SameTime(current, m_current))
        return;
    m_current = current;
    update(LabelBand());   // the ticks do not move with the time heard
}

void CTimeLine::SetLength(const COleDateTimeSpan& length) {
    m_length = length;
    m_position = COleDateTimeSpan();
    m_bAbsolute = false;
    update();
}

void CTimeLine::SetPosition(const COleDateTimeSpan& position) {
    if (position.m_span == m_position.m_span)
        return;
    m_position = position;
    update();
}

TimelineLabels CTimeLine::GetLabels() const {
    return m_bAbsolute ? AbsoluteLabels(m_start, m_end, m_current)
                       : RelativeLabels(m_length, m_position);
}

QRect CTimeLine::LabelBand() const {
    return QRect(0, kLabelTop, width(), height() - kLabelTop);
}

void CTimeLine::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (event->rect().top() < kLabelTop)
        PaintTicks(painter);
    PaintLabels(painter);
}

void CTimeLine::PaintTicks(QPainter& painter) {
    painter.fillRect(rect(), ButtonFace(*this));
    const double days = m_bAbsolute ? m_end.GetDays() - m_start.GetDays() : m_length.m_span;
    const int firstHour = m_bAbsolute ? FirstHourOffset(m_start) : 0;
    const auto w = static_cast<std::uint16_t>(width());
    for (const TimelineTick& tick : LayoutTicks(SpannedSeconds(days), firstHour, w))
        painter.fillRect(QRect(tick.x, 0, 1, tick.length), Qt::black);
}

void CTimeLine::PaintLabels(QPainter& painter) {
    painter.fillRect(LabelBand(), ButtonFace(*this));
    const QRect text(1, kTextTop, width() - 1, height() - kTextTop - kTextBottomGap);
    if (text.height() <= 0)
        return;
    painter.setFont(SystemFont(text.height(), 700));
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(ButtonFace(*this));

    const TimelineLabels labels = GetLabels();
    const int flags = Qt::AlignTop | Qt::TextSingleLine;
    painter.drawText(text, flags | Qt::AlignLeft, QString::fromStdString(labels.left));
    painter.drawText(text, flags | Qt::AlignRight, QString::fromStdString(labels.right));
    const QString centre = QString::fromStdString(labels.centre);
    QRect measured;
    painter.drawText(text, flags | Qt::AlignHCenter, centre, &measured);

    // A sunken box three pixels clear of the text on either side, and an edge's width above
    // and below the line, inside the label band.
    const int boxLeft = (width() - measured.width()) / 2 - 3;
    const int boxTop = std::max(measured.top() - 2, kLabelTop);
    const int boxBottom = std::min(measured.bottom() + 3, height());
    DrawEdge(painter, QRect(boxLeft, boxTop, measured.width() + 6, boxBottom - boxTop),
             Edge::Sunken, *this, false, false);
}

}  // namespace tvx
