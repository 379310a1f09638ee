#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

namespace tvx {

// Shows one bitmap at its natural size from the top-left corner, such as the verdict icons
// beside "File Header:" and "File Length:". Blank while it has none.
class CImageStatic : public QWidget {
    Q_OBJECT

public:
    explicit CImageStatic(QWidget* parent = nullptr);

    void SetBitmap(std::uint32_t id);
    void ClearBitmap();
    std::uint32_t GetBitmapId() const { return m_bitmapId; }   // 0 while blank

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_bitmap;
    std::uint32_t m_bitmapId = 0;
};

}  // namespace tvx
