#include "report/page_flow.h"

#include <utility>

namespace tvx::report {

QFont ReportFont(int pixels, bool bold) {
    QFont font("DejaVu Sans");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    // No ligatures: the PDF's text stays the letters themselves, for search and copying.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

PageFlow::PageFlow(QPagedPaintDevice& device, QPainter& painter, QString footer)
    : m_device(device), m_painter(painter), m_footer(std::move(footer)) {
    Footer();
}

bool PageFlow::Reserve(int height) {
    return height <= Room() || NewPage();
}

bool PageFlow::NewPage() {
    if (!m_device.newPage())
        return false;
    ++m_page;
    m_y = kMargin;
    Footer();
    return true;
}

void PageFlow::Footer() {
    m_painter.setFont(ReportFont(14));
    m_painter.setPen(Qt::darkGray);
    const QRect foot(kMargin, kPageHeight - kMargin + 20, kContentWidth, 24);
    m_painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, m_footer);
    m_painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, QString("Page %1").arg(m_page));
    m_painter.setPen(Qt::black);
}

}  // namespace tvx::report
