#include "controls/decrypt_bar.h"

#include "controls/strip_layout.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace tvx {

namespace {
constexpr int kCellInset = 3;   // rows of black above and below the cells

const char* VerdictWords(std::uint8_t cell) {
    switch (cell) {
    case StripStates::kAuthentic: return "authentic";
    case StripStates::kIrregular: return "irregular";
    case kMixedCell: return "authentic so far, some not judged yet";
    default: return "not judged yet";
    }
}
}  // namespace

QColor CellColour(std::uint8_t state) {
    switch (state) {
    case StripStates::kAuthentic: return QColor(0, 196, 0);
    case StripStates::kIrregular: return QColor(255, 0, 0);
    case kMixedCell: return QColor(196, 196, 0);
    default: return QColor(64, 64, 64);   // not judged (and 1, which nothing sets)
    }
}

CDecryptBar::CDecryptBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &CDecryptBar::PollStates);
    m_pollTimer.start();
}

void CDecryptBar::SetStates(const StripStates* states) {
    m_shown = states ? states : &m_own;
    update();
}

bool CDecryptBar::Allocate(std::uint32_t count, std::uint32_t extra) {
    return m_own.Allocate(count, extra);
}

int CDecryptBar::Reset() {
    m_own.Reset();
    update();
    return 1;
}

std::uint8_t CDecryptBar::SetBlock(std::int32_t index, std::uint8_t state) {
    const std::uint8_t previous = m_own.SetBlock(index, state);
    if (previous == StripStates::kRefused || m_shown != &m_own)
        return previous;
    const std::size_t entry = static_cast<std::size_t>(std::int64_t{index} + m_own.GetExtra());
    const int cell = CellOfEntry(entry, m_own.GetEntries(), Usable());
    const StripCell geometry = CellGeometry(cell, m_own.GetEntries(), Usable());
    update(QRect(geometry.left, kCellInset, geometry.width, height() - 2 * kCellInset));
    return previous;
}

int CDecryptBar::ColumnOf(std::size_t entry) const {
    return CellOfEntry(entry, m_shown->GetEntries(), Usable());
}

void CDecryptBar::PollStates() {
    if (m_shown->GetVersion() != m_paintedVersion)
        update();
}

QString CDecryptBar::TipAt(int x) const {
    const std::size_t entries = m_shown->GetEntries();
    const int cell = CellAtX(x, entries, Usable());
    if (cell < 0)
        return {};
    const EntryRange range = EntriesOfCell(cell, entries, Usable());
    const std::uint8_t state =
        StateOfRange(range, m_shown->GetJudgedEnd(), [this](std::size_t first, std::size_t last) {
            return m_shown->StatesIn(first, last);
        });
    // Header records come first, with negative numbers.
    const auto record = [this](std::size_t entry) {
        return static_cast<qlonglong>(entry) - static_cast<qlonglong>(m_shown->GetExtra());
    };
    const QString records = range.last - range.first == 1
                                ? QString("Block %1").arg(record(range.first))
                                : QString("Blocks %1 to %2").arg(record(range.first)).arg(record(range.last - 1));
    return records + ": " + VerdictWords(state);
}

bool CDecryptBar::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = TipAt(help->pos().x());
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

void CDecryptBar::paintEvent(QPaintEvent*) {
    // The version first: a change made while painting moves it again and brings a repaint.
    m_paintedVersion = m_shown->GetVersion();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int rows = height() - 2 * kCellInset;
    if (rows <= 0)
        return;
    for (const StripCell& cell : LayoutStrip(*m_shown, Usable()))
        painter.fillRect(QRect(cell.left, kCellInset, cell.width, rows), CellColour(cell.state));
}

void CDecryptBar::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
}

void CDecryptBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const bool click = m_pressed && rect().contains(at);
    m_pressed = false;
    if (!click || width() <= 0)
        return;
    m_dClickFraction = static_cast<double>(at.x()) / width();
    emit clicked(m_dClickFraction);
}

}  // namespace tvx
