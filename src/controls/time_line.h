#pragma once

#include "core/datetime.h"

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

namespace tvx {

// Whole seconds a span of days covers, with a half-second's nudge against the rounding of
// days as a double.
std::int64_t SpannedSeconds(double days);

// Seconds from the start to the first full hour of the clock; 3600 when the start lies on
// the hour (or is the zero date), so the first hour mark is one hour in.
int FirstHourOffset(const COleDateTime& start);

// A tick hangs from the top edge: column x, `length` rows.
struct TimelineTick {
    int x = 0;
    int length = 0;
    bool operator==(const TimelineTick&) const = default;
};

// Hour marks (8 rows, two columns wide), quarter hours (5) and five minutes (2), each kind only
// when its marks would stand more than five pixels apart; `firstHour` as FirstHourOffset.
std::vector<TimelineTick> LayoutTicks(std::int64_t seconds, int firstHour, std::uint16_t width);

// The three texts of the ruler: the start at the left, the end at the right, the time now
// being heard in the middle.
struct TimelineLabels {
    std::string left;
    std::string right;
    std::string centre;
};
TimelineLabels AbsoluteLabels(const COleDateTime& start, const COleDateTime& end,
                              const COleDateTime& current);
TimelineLabels RelativeLabels(const COleDateTimeSpan& length, const COleDateTimeSpan& position);

// The time ruler under the waveform. Absolute mode shows clock times and ticks on the clock's
// hours; relative mode counts from 00:00:00.
class CTimeLine : public QWidget {
    Q_OBJECT

public:
    static constexpr int kLabelTop = 12;   // the label band, below the ticks
    static constexpr int kTextTop = 14;
    static constexpr int kTextBottomGap = 3;

    explicit CTimeLine(QWidget* parent = nullptr);

    void ResetTimes();
    void SetStartTime(const COleDateTime& start);   // switches to absolute mode
    void SetEndTime(const COleDateTime& end);
    void SetCurrentTime(const COleDateTime& current);   // repaints the labels, on a change only
    void SetLength(const COleDateTimeSpan& length);     // switches to relative mode
    void SetPosition(const COleDateTimeSpan& position);  // repaints on a change only

    bool IsAbsolute() const { return m_bAbsolute; }
    TimelineLabels GetLabels() const;
    QRect LabelBand() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintTicks(QPainter& painter);
    void PaintLabels(QPainter& painter);

    bool m_bAbsolute = false;
    COleDateTimeSpan m_position;
    COleDateTimeSpan m_length;
    COleDateTime m_current;
    COleDateTime m_end;
    COleDateTime m_start;
};

}  // namespace tvx
