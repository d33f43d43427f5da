#include "warp/job_memory.h"

#include <cmath>
#include <cstdio>

#include "raster/parallel.h"

namespace quorvel {
namespace {

constexpr std::uint64_t kPixelBytes = sizeof(Pixel);
// An assist polyline beyond its segments: the record and the heap's
// bookkeeping for its segment block.
constexpr std::uint64_t kPolylineOverhead = sizeof(TPolyline) + 32;
// Per unit of S: ray angles and ends, chords, id lines.
constexpr std::uint64_t kTableBytesPerSide = 256;

double OuterLength(const PolylineList& shape) {
  if (shape.empty()) return 0.0;
  double length = 0.0;
  for (const TSegment& s : shape[0].segments)
    length += std::hypot(static_cast<double>(s.x2) - static_cast<double>(s.x1),
                         static_cast<double>(s.y2) - static_cast<double>(s.y1));
  return length;
}

std::uint64_t Held(const PixelBlock& block) { return block.size() * kPixelBytes; }

}  // namespace

TJobNeed EstimateWarpJob(const TWarpEngine& engine, WarpKind kind, const TImagePair& pair) {
  TJobNeed need;
  if (pair.width <= 0 || pair.height <= 0) return need;
  const std::uint64_t side = static_cast<std::uint64_t>(pair.width > pair.height ? pair.width : pair.height);
  const std::uint64_t square = side * side * kPixelBytes;
  const std::uint64_t picture = static_cast<std::uint64_t>(pair.width) * pair.height * kPixelBytes;

  // One assist polyline per half pixel of the outer loop at side S, each
  // with a segment per loop.
  const std::uint64_t loops = engine.shape_polylines.size();
  std::uint64_t shape_segments = 0;
  for (const TPolyline& p : engine.shape_polylines) shape_segments += p.segments.size();
  const double outer = OuterLength(engine.shape_polylines) * static_cast<double>(side) / 300.0;
  const double assists = loops ? std::floor(2.0 * outer) + 2.0 : 0.0;
  need.assist_segments = assists * static_cast<double>(loops) >= 1.8e19
                             ? UINT64_MAX
                             : static_cast<std::uint64_t>(assists) * loops;
  const TAssistCache& slot = kind == WarpKind::Apply ? engine.job : engine.preview;
  const bool cached = slot.key_side == static_cast<std::int32_t>(side) &&
                      slot.key_shape == engine.selected && slot.key_shape != -1;
  std::uint64_t assist_bytes = 0;
  if (!cached && need.assist_segments != UINT64_MAX)
    assist_bytes = need.assist_segments * sizeof(TSegment) +
                   static_cast<std::uint64_t>(assists) * (kPolylineOverhead + sizeof(float)) +
                   shape_segments * sizeof(TSegment) + loops * kPolylineOverhead;

  // Two threads' sweep layers fit in the blocks lent to it; each further
  // thread takes a raster, and every thread but the first its written-bits.
  const std::uint64_t threads = static_cast<std::uint64_t>(ThreadsOf(engine.options));
  const std::uint64_t sweep = (threads > 2 ? (threads - 2) * square : 0) + (threads - 1) * (side * side / 8);

  const std::uint64_t total = 3 * square + picture + sweep + assist_bytes + kTableBytesPerSide * side;
  std::uint64_t held = Held(pair.square) + Held(pair.result) + Held(engine.src) + Held(engine.dest);
  for (const PixelBlock& raster : engine.sweep_rasters) held += Held(raster);
  need.bytes = total > held ? total - held : 0;
  if (need.assist_segments == UINT64_MAX) need.bytes = UINT64_MAX;
  return need;
}

std::string NotEnoughMemoryText(std::uint64_t needed, std::uint64_t room) {
  const double gb = 1024.0 * 1024.0 * 1024.0;
  const double need_gb = needed / gb, room_gb = room / gb;
  char text[256];
  std::snprintf(text, sizeof text,
                "内存不足: 需要约 %.1f GB, 可用约 %.1f GB.\r\n"
                "Not enough memory: this needs about %.1f GB, %.1f GB are available.",
                need_gb, room_gb, need_gb, room_gb);
  return text;
}

}  // namespace quorvel
