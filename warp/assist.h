// Assist polylines: paths that join the point at the same length fraction t
// of every shape loop, from the outer boundary to the innermost loop.
#pragma once

#include "warp/engine.h"

namespace quorvel {

// Overwrites segments 0..n-2 of q (which must hold n = guides.size()
// segments) with the chain through the points at fraction t of every guide.
// A guide without segments contributes the previous guide's point, or (0, 0)
// for the outer one.
void AssistPolylineAt(const PolylineList& guides, float t, TPolyline& q);

// One assist polyline per half pixel of the outer guide's length, plus one at
// t = 1. Measures every guide. With no guides, out is left untouched.
void GenerateAssistPolyline_Dis(PolylineList& guides, PolylineList& out);

enum class WarpKind { Apply, Preview };

// The engine's cache slot for one kind of warp.
TAssistCache& AssistSlot(TWarpEngine& engine, WarpKind kind);

// Brings the slot up to date for (engine.width, engine.selected); call after
// PrepareWarp has set the working side. The options choose the plain or the
// fast generator (same polylines).
void RefreshAssistCache(TWarpEngine& engine, TAssistCache& slot, const EngineOptions& options = {});

}  // namespace quorvel
