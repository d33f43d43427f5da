#include "app/surface_image.h"

#include <algorithm>

namespace quorvel {

QImage SurfaceImage(const TPaneSurface& surface, const QRect& rect) {
  QImage image(rect.size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  const QRect inside = rect.intersected(QRect(0, 0, surface.width, surface.height));
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    const Pixel* from = surface.pixels.data() +
                        static_cast<std::size_t>(surface.height - 1 - y) * static_cast<std::size_t>(surface.width);
    auto* to = reinterpret_cast<Pixel*>(image.scanLine(y - rect.top()));
    // Blended pixels carry alpha 254; RGB32 wants 255 there.
    for (int x = inside.left(); x <= inside.right(); ++x) to[x - rect.left()] = from[x] | 0xFF000000u;
  }
  return image;
}

}  // namespace quorvel
