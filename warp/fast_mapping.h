// The fast engine's entry points: the mapping passes, the feather and the
// assist generator on every core, byte for byte equal to the plain ones.
// The code lives in warp/fast/.
#pragma once

#include "raster/engine_options.h"
#include "warp/engine.h"

namespace quorvel {

// Blocks whose contents the sweep may overwrite, lent so that its working
// memory needs no new room: each serves, where it holds S x S pixels, as a
// raster of sample ids (bits, of any size, holds written-bits where sample
// ids are not used). Either may be null.
struct SweepSpare {
  PixelBlock* raster = nullptr;
  PixelBlock* bits = nullptr;
};

// PrepareWarp without a square to copy (the caller moves its own into src),
// dest filled on the options' threads.
void PrepareWarpFast(TWarpEngine& engine, std::int32_t side, const EngineOptions& options);
// Copies count pixels on the options' threads.
void CopyPixelsFast(Pixel* to, const Pixel* from, std::size_t count, const EngineOptions& options);

// The options' threads and kernels are used; `reference` is the caller's
// business (these are the fast passes whatever it says).
void SquareToDiskFast(TWarpEngine& engine, const EngineOptions& options = {});
// dest_is_background: every pixel of dest holds engine.background (as
// SquareToDiskFast leaves it), so dest can hold sample ids meanwhile.
void SweepRaysFast(TWarpEngine& engine, const PolylineList& list, const EngineOptions& options = {},
                   SweepSpare spare = {}, bool dest_is_background = false);
void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list, const EngineOptions& options = {},
                      SweepSpare spare = {});
void ApplyFeatherFast(TWarpEngine& engine, PolylineList& list, const EngineOptions& options = {});
void GenerateAssistPolylineFast(PolylineList& guides, PolylineList& out, const EngineOptions& options = {});

}  // namespace quorvel
