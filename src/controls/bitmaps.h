#pragma once

#include <QImage>

#include <cstdint>

namespace tvx {

// The program's bitmaps by resource id (":/bitmaps/<id>"), loaded once and then shared.
// A null image when no bitmap has the id: the control that asked stays blank.
// Window thread only.
QImage LoadBitmapImage(std::uint32_t id);

// Puts a picture under an id ahead of the program's own, for pictures made while running.
void RegisterBitmap(std::uint32_t id, const QImage& image);

}  // namespace tvx
