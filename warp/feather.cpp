#include <cstdint>
#include <vector>

#include "warp/mapping.h"
#include "warp/polyline.h"

namespace quorvel {

void ApplyFeather(TWarpEngine& engine, PolylineList& list) {
  std::int32_t feather = engine.feather;
  if (feather == 0 || engine.dest.empty()) return;
  if (feather > engine.width / 2) {
    feather = engine.width / 2;
    engine.feather = feather;
  }
  const std::int32_t width = engine.width;
  const std::int32_t height = engine.height;
  const float k = static_cast<float>(1.0 / (feather + 1));
  const float feather_f = static_cast<float>(feather);
  const double half_width = width * 0.5;
  ByteBlock mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  std::uint8_t* dest = BytesOf(engine.dest);

  for (TPolyline& p : list) {
    MeasurePolyline(p);
    const float length = p.length;
    if (feather_f > length || feather <= 0) continue;
    for (float s = 0.0f; s < feather_f; s = static_cast<float>(static_cast<double>(s) + 0.5)) {
      const float v = static_cast<float>(static_cast<double>(s) / length);
      TPointF q;
      if (!PointAtLength(p, static_cast<float>(static_cast<double>(p.length) * v), q)) continue;
      const double px = static_cast<float>(q.x + half_width);
      const double py = static_cast<float>(q.y + half_width);
      // Truncation, no rounding here; clamped from above, dropped below zero.
      if (!(px > -1.0) || !(py > -1.0)) continue;
      std::int32_t column = px >= width ? width - 1 : static_cast<std::int32_t>(px);
      std::int32_t row = py >= height ? height - 1 : static_cast<std::int32_t>(py);
      if (column > width - 1) column = width - 1;
      if (row > height - 1) row = height - 1;
      const std::size_t at = static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(column);
      if (mask[at]) continue;
      std::uint8_t& alpha = dest[at * 4u + 3u];
      alpha = static_cast<std::uint8_t>(
          static_cast<std::int32_t>((static_cast<double>(s) + 1.0) * k * alpha));
      mask[at] = 1;
    }
  }
}

}  // namespace quorvel
