#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace tvx {

// Where the bands of the overview lie in a view from `top` to `bottom` (exclusive): centre
// lines c1 and c2 and the half-height a of a band. No bands: a is 0.
struct WaveBands {
    int c1 = 0;
    int c2 = 0;
    int halfHeight = 0;
};
WaveBands LayoutWaveBands(int top, int bottom, int bands);

// The rows [y1, y2) that a column's peak-to-peak value covers around its centre line; empty
// when the peak is under two pixels' worth.
struct PeakRows {
    int y1 = 0;
    int y2 = 0;
};
PeakRows PeakRowsOf(std::uint16_t peak, int centre, int halfHeight);

// The cursor's column for a played fraction; fractions past the end stay on the last column,
// and -1 means no cursor.
std::int16_t CursorColumn(std::uint16_t columnsWhole, double fraction);

// The fraction of the recording that column x stands for.
double ClickFraction(int x, std::uint16_t columnsWhole);

// The overview waveform: one green line per column for each band's peak, grey centre lines
// on black, and a red cursor laid over in XOR so it stays visible on the lines.
class CWaveView : public QWidget {
    Q_OBJECT

public:
    static constexpr QRgb kGround = 0xFF000000;
    static constexpr QRgb kCentreLine = 0xFF606060;   // 96, 96, 96
    static constexpr QRgb kPeak = 0xFF00C800;         // 0, 200, 0
    static constexpr QRgb kCursor = 0xFFFF0000;

    explicit CWaveView(QWidget* parent = nullptr);
    ~CWaveView() override;

    // Copies each array given (count entries); a null array leaves its band's peaks as they
    // were. Bands = the number of arrays given. wholeColumns 0 means the count. The caller
    // repaints when it has finished loading.
    std::int16_t SetPeaks(const std::uint16_t* peaks1, const std::uint16_t* peaks2,
                          std::uint16_t count, std::uint16_t wholeColumns);
    void SetPosition(double fraction);

    // Columns the peaks pass should compute: the client width + 1, refreshed here and on
    // every repaint.
    void UpdateWidth();
    std::uint16_t GetColumns() const { return m_nColumns; }
    double GetClickFraction() const { return m_dClickFraction; }

signals:
    // Left button released over the view; the fraction of the recording at that column.
    void clicked(double fraction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RenderWave();
    void UpdateCursorColumn(int column);

    double m_dClickFraction = 0.0;
    std::uint16_t m_nColumns = 0;
    std::uint16_t m_nBands = 2;
    std::uint16_t m_nPeaks = 0;
    std::uint16_t m_nColumnsWhole = 0;
    // Each band keeps its own length: a band left as it was may be shorter than m_nPeaks.
    std::vector<std::uint16_t> m_peaks1;
    std::vector<std::uint16_t> m_peaks2;
    std::int16_t m_nCursor = -1;
    std::int16_t m_nOldCursor = -1;

    QImage m_wave;             // ground, centre lines and peaks; the cursor goes on top
    bool m_waveStale = true;
    bool m_pressed = false;
};

}  // namespace tvx
