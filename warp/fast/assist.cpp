// The t values come from a float32 running sum, so they are listed first,
// one after the other; the polylines for them are independent and are built
// in contiguous ranges, each guide walked forward from where it last was.
#include <vector>

#include "raster/parallel.h"
#include "warp/assist_chain.h"
#include "warp/fast/fast_internal.h"
#include "warp/fast_mapping.h"

namespace quorvel {
namespace {

void AssistAtWalk(const PolylineList& guides, float t, std::vector<std::size_t>& hints, TPolyline& q) {
  AssistChainAt(guides, t, q, [&](std::size_t i, float s, TPointF& point) {
    return fast::PointAtLengthWalk(guides[i], s, hints[i], point);
  });
}

}  // namespace

void GenerateAssistPolylineFast(PolylineList& guides, PolylineList& out, const EngineOptions& options) {
  const std::size_t n = guides.size();
  if (n == 0) return;
  for (TPolyline& guide : guides) MeasurePolyline(guide);

  const float l0 = guides[0].length;
  const float step = F(0.5 / D(l0));
  std::vector<float> ts;
  float t = 0.0f;
  do {
    ts.push_back(t);
    t = F(D(t) + D(step));
  } while (t <= 1.0f);

  const std::size_t count = ts.size() + 1;  // and the closing one at t = 1
  out.clear();
  // Every polyline's memory comes from this thread: a fresh allocator arena
  // in a worker would first have to fault in its pages, which on a virtual
  // machine costs more than the work.
  out.resize(count);
  for (TPolyline& q : out) q.segments.assign(n, TSegment{});
  ForEachRange(static_cast<std::int64_t>(count),
               ThreadsFor(options, static_cast<std::int64_t>(count * n), 1 << 14),
               [&](std::int64_t begin, std::int64_t end, int) {
                 std::vector<std::size_t> hints(n, 0);
                 for (std::int64_t i = begin; i < end; ++i) {
                   const bool last = static_cast<std::size_t>(i) == ts.size();
                   const float ti = last ? 1.0f : ts[i];
                   TPolyline& q = out[i];
                   AssistAtWalk(guides, ti, hints, q);
                   MeasurePolyline(q);
                   q.t = ti;
                   q.arc = last ? l0 : F(D(ti) * D(l0));
                 }
               });
}

}  // namespace quorvel
