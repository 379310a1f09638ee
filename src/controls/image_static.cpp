#include "controls/image_static.h"

#include "controls/bitmaps.h"
#include "controls/system_look.h"

#include <QPainter>

namespace tvx {

CImageStatic::CImageStatic(QWidget* parent) : QWidget(parent) {
    // Painted whole every time, so nothing is erased first and the icon does not flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CImageStatic::SetBitmap(std::uint32_t id) {
    m_bitmap = LoadBitmapImage(id);
    m_bitmapId = m_bitmap.isNull() ? 0 : id;
    update();
}

void CImageStatic::ClearBitmap() {
    m_bitmap = QImage();
    m_bitmapId = 0;
    update();
}

QSize CImageStatic::sizeHint() const {
    return m_bitmap.isNull() ? QSize(20, 20) : m_bitmap.size();
}

void CImageStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ButtonFace(*this));
    if (!m_bitmap.isNull())
        painter.drawImage(QPoint(0, 0), m_bitmap);
}

}  // namespace tvx
