// The feather on every core. Polylines are split into contiguous ranges;
// each range lists, in its own order, the pixels its samples reach with the
// distance that would fade them. The lists are then applied in range order,
// the first reach of a pixel deciding, exactly as one pass in order would.
#include <cstdint>
#include <vector>

#include "raster/parallel.h"
#include "warp/fast/fast_internal.h"
#include "warp/fast_mapping.h"
#include "warp/feather.h"

namespace quorvel {
namespace {

struct Reach {
  std::int64_t pixel;
  float s;
};

}  // namespace

void ApplyFeatherFast(TWarpEngine& engine, PolylineList& list, const EngineOptions& options) {
  const FeatherBand band = PrepareFeather(engine);
  if (band.width <= 0) return;
  const std::int32_t feather = band.width;
  const std::int32_t width = engine.width;
  const std::int32_t height = engine.height;
  const float k = band.k;
  const float feather_f = static_cast<float>(feather);

  const int ranges = ThreadsFor(options, static_cast<std::int64_t>(list.size()) * feather, 1 << 14);
  std::vector<std::vector<Reach>> reaches(static_cast<std::size_t>(ranges));
  ForEachRange(static_cast<std::int64_t>(list.size()), ranges, [&](std::int64_t begin, std::int64_t end, int r) {
    std::vector<Reach>& out = reaches[r];
    for (std::int64_t i = begin; i < end; ++i) {
      TPolyline& p = list[i];
      MeasurePolyline(p);
      const float length = p.length;
      if (feather_f > length) continue;
      std::size_t hint = 0;
      std::int64_t previous = -1;
      for (float s = 0.0f; s < feather_f; s = F(D(s) + 0.5)) {
        const float v = F(D(s) / D(length));
        TPointF q;
        if (!fast::PointAtLengthWalk(p, F(D(p.length) * D(v)), hint, q)) continue;
        const std::int64_t at = FeatherPixel(q, width, height);
        // A repeat of the pixel just reached can never decide anything.
        if (at < 0 || at == previous) continue;
        previous = at;
        out.push_back(Reach{at, s});
      }
    }
  });

  ByteBlock faded(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  std::uint8_t* dest = BytesOf(engine.dest);
  for (const std::vector<Reach>& range : reaches) {
    for (const Reach& reach : range) {
      if (faded[reach.pixel]) continue;
      faded[reach.pixel] = 1;
      std::uint8_t& alpha = dest[reach.pixel * 4 + 3];
      alpha = FadedAlpha(reach.s, k, alpha);
    }
  }
}

}  // namespace quorvel
