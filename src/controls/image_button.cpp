#include "controls/image_button.h"

#include "controls/bitmaps.h"
#include "controls/system_look.h"

#include <QPainter>

namespace tvx {

BitmapChoice ChooseBitmap(bool pressed, bool latched, bool disabled, std::uint32_t normal,
                          std::uint32_t down, std::uint32_t disabledId) {
    if (pressed || latched)
        return {down != 0 ? down : normal, false};
    if (disabled)
        return disabledId != 0 ? BitmapChoice{disabledId, false} : BitmapChoice{normal, true};
    return {normal, false};
}

ImagePlacement PlaceImage(Align align, int extent, int imageExtent) {
    int offset = 0;
    switch (align) {
    case Align::Start: offset = 0; break;
    case Align::End: offset = extent - imageExtent; break;
    case Align::Centre: offset = (extent - imageExtent) / 2; break;
    }
    if (offset < 0)
        return {0, -offset};
    return {offset, 0};
}

void GreyImage(QImage& image, const QColor& face) {
    const QRgb faceRgb = face.rgba();
    for (int y = 0; y < image.height(); ++y)
        for (int x = y % 2; x < image.width(); x += 2)
            image.setPixel(x, y, faceRgb);
}

CImageButton::CImageButton(QWidget* parent) : QAbstractButton(parent) {}

void CImageButton::SetBitmaps(std::uint32_t normal, std::uint32_t down, std::uint32_t disabled) {
    m_nBitmap = normal;
    m_nBitmapDown = down;
    m_nBitmapDisabled = disabled;
    updateGeometry();
    update();
}

void CImageButton::SetLatched(bool latched) {
    m_bLatched = latched;
    update();
}

void CImageButton::SetImageAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

QSize CImageButton::sizeHint() const {
    const QImage image = LoadBitmapImage(m_nBitmap);
    return image.isNull() ? QSize(24, 24) : image.size() + QSize(8, 8);
}

bool CImageButton::IsOwnDisabled() const {
    // A window disabled during a long pass disables its children too; only the button's own
    // state means "not now" to the user.
    return testAttribute(Qt::WA_ForceDisabled);
}

void CImageButton::paintEvent(QPaintEvent*) {
    const bool pressed = isDown();
    const BitmapChoice choice = ChooseBitmap(pressed, m_bLatched, IsOwnDisabled(), m_nBitmap,
                                             m_nBitmapDown, m_nBitmapDisabled);
    QImage image = LoadBitmapImage(choice.id);

    const auto alignOf = [](Qt::Alignment a, Qt::AlignmentFlag start, Qt::AlignmentFlag end) {
        return (a & start) ? Align::Start : (a & end) ? Align::End : Align::Centre;
    };
    const ImagePlacement px = PlaceImage(alignOf(m_alignment, Qt::AlignLeft, Qt::AlignRight),
                                         width(), image.width());
    const ImagePlacement py = PlaceImage(alignOf(m_alignment, Qt::AlignTop, Qt::AlignBottom),
                                         height(), image.height());

    QPainter painter(this);
    const QRect inner = DrawEdge(painter, rect(), pressed ? Edge::Sunken : Edge::Raised, *this,
                                 true, true);
    if (!image.isNull() && inner.isValid()) {
        if (choice.grey)
            GreyImage(image, ButtonFace(*this));
        painter.save();
        painter.setClipRect(inner);
        painter.drawImage(QPoint(inner.left() + px.offset, inner.top() + py.offset), image,
                          QRect(px.sourceOffset, py.sourceOffset, image.width() - px.sourceOffset,
                                image.height() - py.sourceOffset));
        painter.restore();
    }
    if (hasFocus() && inner.isValid()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(inner.adjusted(0, 0, -1, -1));
    }
}

}  // namespace tvx
