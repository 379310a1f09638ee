#pragma once

#include <QAbstractButton>
#include <QImage>

#include <cstdint>

namespace tvx {

// Which of the three bitmaps a button shows, and whether it greys slot 1 itself.
struct BitmapChoice {
    std::uint32_t id = 0;
    bool grey = false;
};
// Pressed or latched: slot 2 (slot 1 when there is none). Disabled: slot 3, else slot 1
// greyed. Otherwise slot 1.
BitmapChoice ChooseBitmap(bool pressed, bool latched, bool disabled, std::uint32_t normal,
                          std::uint32_t down, std::uint32_t disabledId);

// Where an image goes along one axis of the button: its offset and, when it is larger than
// the button, how much of it is cut off in front so the visible part keeps the alignment.
struct ImagePlacement {
    int offset = 0;
    int sourceOffset = 0;
};
enum class Align { Start, Centre, End };
ImagePlacement PlaceImage(Align align, int extent, int imageExtent);

// The system's greying of a picture without a disabled bitmap: every other pixel, in a
// checkerboard starting at the top-left, set to the face colour.
void GreyImage(QImage& image, const QColor& face);

// A push button that shows one of three bitmaps inside a 3-D edge: slot 1 normal, slot 2
// pressed or latched (0: slot 1), slot 3 disabled (0: slot 1 greyed). Raised edge, sunken
// while held down. Greys only when the button itself is disabled, not its window.
class CImageButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CImageButton(QWidget* parent = nullptr);

    void SetBitmaps(std::uint32_t normal, std::uint32_t down, std::uint32_t disabled);
    void SetLatched(bool latched);
    bool IsLatched() const { return m_bLatched; }
    // Horizontal and vertical alignment of the picture; centred by default.
    void SetImageAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsOwnDisabled() const;

    bool m_bStretch = false;   // kept for the record: pictures are shown at natural size
    bool m_bLatched = false;
    std::uint32_t m_nBitmap = 0;
    std::uint32_t m_nBitmapDown = 0;
    std::uint32_t m_nBitmapDisabled = 0;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

}  // namespace tvx
