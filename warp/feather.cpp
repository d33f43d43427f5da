#include <cstdint>
#include <vector>

#include "warp/feather.h"
#include "warp/mapping.h"
#include "warp/polyline.h"

namespace quorvel {

void ApplyFeather(TWarpEngine& engine, PolylineList& list) {
  const FeatherBand band = PrepareFeather(engine);
  if (band.width == 0) return;
  const std::int32_t feather = band.width;
  const std::int32_t width = engine.width;
  const std::int32_t height = engine.height;
  const float k = band.k;
  const float feather_f = static_cast<float>(feather);
  ByteBlock mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  std::uint8_t* dest = BytesOf(engine.dest);

  for (TPolyline& p : list) {
    MeasurePolyline(p);
    const float length = p.length;
    if (feather_f > length || feather <= 0) continue;
    for (float s = 0.0f; s < feather_f; s = static_cast<float>(static_cast<double>(s) + 0.5)) {
      const float v = F(D(s) / D(length));
      TPointF q;
      if (!PointAtLength(p, F(D(p.length) * D(v)), q)) continue;
      const std::int64_t at = FeatherPixel(q, width, height);
      if (at < 0 || mask[at]) continue;
      std::uint8_t& alpha = dest[at * 4 + 3];
      alpha = FadedAlpha(s, k, alpha);
      mask[at] = 1;
    }
  }
}

}  // namespace quorvel
