#include "controls/wave_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tvx {

WaveBands LayoutWaveBands(int top, int bottom, int bands) {
    const int h = bottom - top;
    if (bands == 1)
        return {top + h / 2, 0, h / 2};
    if (bands == 2)
        return {top + (h / 4 - 2), bottom + 2 - h / 4, h / 4 - 2};
    return {};
}

PeakRows PeakRowsOf(std::uint16_t peak, int centre, int halfHeight) {
    if (halfHeight <= 0)
        return {centre, centre};   // a band too thin to scale into
    const int scale = 32768 / halfHeight;
    if (scale == 0)
        return {centre, centre};
    const int half = peak / scale / 2;
    // The lower end is left out, as a line drawn to a point leaves out that point.
    return {centre - half, centre + half};
}

std::int16_t CursorColumn(std::uint16_t columnsWhole, double fraction) {
    if (std::isnan(fraction))
        return -1;
    const double column = std::trunc(columnsWhole * std::min(fraction, 1.0));
    if (column < 0.0)
        return -1;
    return static_cast<std::int16_t>(
        std::min<double>(column, std::numeric_limits<std::int16_t>::max()));
}

double ClickFraction(int x, std::uint16_t columnsWhole) {
    return columnsWhole == 0 ? 0.0 : static_cast<double>(x) / columnsWhole;
}

CWaveView::CWaveView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CWaveView::~CWaveView() = default;

std::int16_t CWaveView::SetPeaks(const std::uint16_t* peaks1, const std::uint16_t* peaks2,
                                 std::uint16_t count, std::uint16_t wholeColumns) {
    std::uint16_t bands = 0;
    if (peaks1) {
        m_peaks1.assign(peaks1, peaks1 + count);
        ++bands;
    }
    if (peaks2) {
        m_peaks2.assign(peaks2, peaks2 + count);
        ++bands;
    }
    m_nBands = bands;
    if (bands > 0)
        m_nPeaks = count;
    m_nColumnsWhole = wholeColumns != 0 ? wholeColumns : m_nPeaks;
    m_waveStale = true;
    return static_cast<std::int16_t>(bands);
}

void CWaveView::SetPosition(double fraction) {
    m_nOldCursor = m_nCursor;
    m_nCursor = CursorColumn(m_nColumnsWhole, fraction);
    // Only the two columns change: where the cursor was and where it is.
    UpdateCursorColumn(m_nOldCursor);
    UpdateCursorColumn(m_nCursor);
}

void CWaveView::UpdateCursorColumn(int column) {
    if (column >= 0 && column < width())
        update(QRect(column, 0, 1, height()));
}

void CWaveView::UpdateWidth() {
    m_nColumns = static_cast<std::uint16_t>(width() + 1);
}

void CWaveView::resizeEvent(QResizeEvent*) {
    m_waveStale = true;
}

void CWaveView::RenderWave() {
    const int right = width();
    m_wave = QImage(size(), QImage::Format_RGB32);
    m_wave.fill(kGround);
    m_waveStale = false;
    if (m_nBands == 0 || right <= 0)
        return;
    const bool stereo = m_nBands == 2;
    const WaveBands bands = LayoutWaveBands(0, height(), stereo ? 2 : 1);

    QPainter painter(&m_wave);
    painter.fillRect(QRect(0, bands.c1, right, 1), QColor::fromRgb(kCentreLine));
    if (stereo)
        painter.fillRect(QRect(0, bands.c2, right, 1), QColor::fromRgb(kCentreLine));
    const QColor peak = QColor::fromRgb(kPeak);
    const auto line = [&](int x, const std::vector<std::uint16_t>& peaks, int centre) {
        if (static_cast<std::size_t>(x) >= peaks.size())
            return;
        const PeakRows rows = PeakRowsOf(peaks[x], centre, bands.halfHeight);
        if (rows.y2 > rows.y1)
            painter.fillRect(QRect(x, rows.y1, 1, rows.y2 - rows.y1), peak);
    };
    for (int x = 0; x < m_nPeaks && x < right; ++x) {
        line(x, m_peaks1, bands.c1);
        if (stereo)
            line(x, m_peaks2, bands.c2);
    }
}

void CWaveView::paintEvent(QPaintEvent* event) {
    UpdateWidth();
    if (m_waveStale || m_wave.size() != size())
        RenderWave();
    QPainter painter(this);
    painter.drawImage(event->rect(), m_wave, event->rect());
    if (m_nColumnsWhole == 0 || m_nCursor < 0 || m_nCursor >= width())
        return;
    // XOR with red: the cursor reads on the ground, the grey lines and the green peaks alike.
    QImage column = m_wave.copy(m_nCursor, 0, 1, height());
    for (int y = 0; y < column.height(); ++y) {
        auto* px = reinterpret_cast<QRgb*>(column.scanLine(y));
        *px = 0xFF000000 | ((*px ^ kCursor) & 0x00FFFFFF);
    }
    painter.drawImage(m_nCursor, 0, column);
}

void CWaveView::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
}

void CWaveView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int x = event->position().toPoint().x();
    m_dClickFraction = ClickFraction(x, m_nColumnsWhole);
    // A press that started here and ends here is a click, as on a button.
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked(m_dClickFraction);
}

}  // namespace tvx
