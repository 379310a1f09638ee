#include "controls/bitmaps.h"

#include <QString>

#include <map>

// The resource file is compiled into this static library; nothing references its objects, so
// it is registered by hand before the first look-up.
static void RegisterProgramResources() { Q_INIT_RESOURCE(tessivox); }

namespace tvx {
namespace {

std::map<std::uint32_t, QImage>& Cache() {
    static std::map<std::uint32_t, QImage> cache;
    return cache;
}

}  // namespace

QImage LoadBitmapImage(std::uint32_t id) {
    static const bool registered = (RegisterProgramResources(), true);
    (void)registered;
    auto& cache = Cache();
    if (const auto it = cache.find(id); it != cache.end())
        return it->second;
    QImage image(QStringLiteral(":/bitmaps/%1").arg(id));
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    cache.emplace(id, image);
    return image;
}

void RegisterBitmap(std::uint32_t id, const QImage& image) {
    Cache()[id] = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace tvx
