#pragma once

#include "analysis/strip_states.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace tvx {

// The colour of a cell in each state (4: authentic and not judged mixed in one column).
QColor CellColour(std::uint8_t state);

// The authentication strip: one cell per record (or per column when the records outnumber
// the columns) on black; grey not judged, green authentic, red irregular, olive mixed.
//
// It paints from a StripStates. By default that is its own, filled through Allocate and
// SetBlock; SetStates shows another owner's instead (the tally a reader's worker writes
// into), which the strip only reads. Either way it repaints when the states' version moves,
// checked on its own timer and by PollStates.
class CDecryptBar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPollMs = 40;

    explicit CDecryptBar(QWidget* parent = nullptr);

    // Show `states` (owned elsewhere, outliving this strip or replaced first); null shows
    // the strip's own entries again.
    void SetStates(const StripStates* states);
    const StripStates& GetShownStates() const { return *m_shown; }

    // The strip's own entries. False when the memory cannot be had; the strip is then empty.
    bool Allocate(std::uint32_t count, std::uint32_t extra);
    // Own entries back to not judged; repaints the whole strip, whichever states it shows.
    int Reset();
    // Entry index + extra; the previous state, or 0xFF (nothing changed) when outside or
    // the state is 4 or more. Repaints the one cell. Window thread only.
    std::uint8_t SetBlock(std::int32_t index, std::uint8_t state);

    // The cell (column when shared) that holds an entry of the shown states.
    int ColumnOf(std::size_t entry) const;
    // Repaint now if the shown states changed since the last paint.
    void PollStates();
    double GetClickFraction() const { return m_dClickFraction; }
    // The records under column x and their verdict: "Block 900: irregular"; empty outside.
    QString TipAt(int x) const;

    QSize sizeHint() const override { return {560, 20}; }

signals:
    // Left button released over the strip; the fraction of its width at that point.
    void clicked(double fraction);

protected:
    bool event(QEvent* event) override;   // the tooltip
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int Usable() const { return width() - 2; }

    double m_dClickFraction = 0.0;
    StripStates m_own;
    const StripStates* m_shown = &m_own;
    std::uint64_t m_paintedVersion = 0;
    bool m_pressed = false;
    QTimer m_pollTimer;
};

}  // namespace tvx
