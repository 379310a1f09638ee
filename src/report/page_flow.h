#pragma once

#include <QFont>
#include <QPainter>
#include <QPagedPaintDevice>
#include <QString>

namespace tvx::report {

// Things laid down an A4 page from the top, a new page begun when the next does not fit. The
// page is drawn in pixels of 1/144 inch, which is also what the controls paint in.
class PageFlow {
public:
    static constexpr int kDpi = 144;
    static constexpr int kPageWidth = 1190;    // A4, 210 mm
    static constexpr int kPageHeight = 1683;   // 297 mm
    static constexpr int kMargin = 95;
    static constexpr int kContentWidth = kPageWidth - 2 * kMargin;

    // `footer` goes at the foot of every page beside its number, so a page that is separated
    // from the others still names its image.
    PageFlow(QPagedPaintDevice& device, QPainter& painter, QString footer);

    QPainter& Painter() { return m_painter; }
    int Left() const { return kMargin; }
    int Top() const { return m_y; }
    int Page() const { return m_page; }
    int Room() const { return kPageHeight - kMargin - m_y; }

    // Moves to a new page unless `height` fits on this one; false when the device refused.
    bool Reserve(int height);
    void Advance(int height) { m_y += height; }
    bool NewPage();

private:
    void Footer();

    QPagedPaintDevice& m_device;
    QPainter& m_painter;
    int m_y = kMargin;
    int m_page = 1;
    QString m_footer;
};

// A sans-serif font `pixels` high on the report's pages.
QFont ReportFont(int pixels, bool bold = false);

}  // namespace tvx::report
