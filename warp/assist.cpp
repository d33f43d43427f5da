#include "warp/assist.h"

#include <cstddef>

#include "warp/arithmetic.h"
#include "warp/assist_chain.h"
#include "warp/fast_mapping.h"
#include "warp/polyline.h"

namespace quorvel {

void AssistPolylineAt(const PolylineList& guides, float t, TPolyline& q) {
  AssistChainAt(guides, t, q, [&guides](std::size_t i, float s, TPointF& point) {
    return PointAtLength(guides[i], s, point);
  });
}

void GenerateAssistPolyline_Dis(PolylineList& guides, PolylineList& out) {
  const std::size_t n = guides.size();
  if (n == 0) return;
  for (TPolyline& guide : guides) MeasurePolyline(guide);
  out.clear();

  const float l0 = guides[0].length;
  const float step = F(0.5 / D(l0));  // +inf for a zero-length boundary

  TPolyline q;
  q.segments.assign(n, TSegment{});
  float t = 0.0f;
  do {
    AssistPolylineAt(guides, t, q);
    MeasurePolyline(q);
    q.t = t;
    q.arc = F(D(t) * D(l0));
    out.push_back(q);
    t = F(D(t) + D(step));
  } while (t <= 1.0f);

  AssistPolylineAt(guides, 1.0f, q);
  MeasurePolyline(q);
  q.t = 1.0f;
  q.arc = l0;
  out.push_back(q);
}

TAssistCache& AssistSlot(TWarpEngine& engine, WarpKind kind) {
  return kind == WarpKind::Apply ? engine.job : engine.preview;
}

void RefreshAssistCache(TWarpEngine& engine, TAssistCache& slot, const EngineOptions& options) {
  if (slot.key_side == engine.width && slot.key_shape == engine.selected && slot.key_shape != -1)
    return;
  ScalePolylines(slot.guides, engine.shape_polylines, engine.width);
  if (options.reference)
    GenerateAssistPolyline_Dis(slot.guides, slot.assist);
  else
    GenerateAssistPolylineFast(slot.guides, slot.assist, options);
  slot.key_side = engine.width;
  slot.key_shape = engine.selected;
}

}  // namespace quorvel
