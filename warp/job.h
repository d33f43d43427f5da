// The warp job: picture -> square work copy -> warp -> result of the
// picture's own size -> stamp grid.
#pragma once

#include <functional>

#include "raster/image_pair.h"
#include "raster/pixels.h"
#include "warp/assist.h"
#include "warp/engine.h"

namespace quorvel {

// The two stamp pictures (32-bit with alpha, bottom-up) a main window owns:
// large 100 x 30, small 15 x 15.
struct TStamps {
  TPixels32Desc large;
  TPixels32Desc small;
};

// Gives back the engine's src, dest and sweep rasters; the next job makes
// them again.
void ReleaseEngineRasters(TWarpEngine& engine);

// pair.square = pair.src stretched to S x S, S = max(width, height).
bool MakeWorkSquare(TImagePair& pair, const EngineOptions& options = {});

// pair.result = pair.square stretched back to width x height.
bool MakeResult(TImagePair& pair, const EngineOptions& options = {});

// Lays the stamp grid over pair.result; with no stamps (no main window)
// nothing is laid.
void StampResult(TImagePair& pair, const TStamps* stamps);

// Asked between the job's passes with the number of passes done (1 to
// kWarpJobPasses - 1); false stops the job there. It may run on any thread.
using WarpPassCheck = std::function<bool(int passes_done)>;
// Work square, assist cache, square to disk, ray sweep, feather, result.
inline constexpr int kWarpJobPasses = 6;

enum class WarpOutcome {
  kWarped,
  kNoShape,          // no picture, no shape, or a shape without loops
  kNoMemory,         // refused before it started, or memory ran out on the way
  kShapeTooComplex,  // the assist list would exceed kMaxAssistSegments
  kStopped,          // the pass check said stop
};

// The whole job of one kind on one pair; true when a result was produced.
// engine.options, read once at the start, decide how every pass runs.
// Apply uses the job cache slot, writes the two timing lines to stderr and
// applies the feather; Preview uses the preview slot and does neither.
// A job that cannot fit in memory, or whose shape would give too large an
// assist list, is refused before anything changes; memory running out on
// the way drops the pair's square and result and the engine's rasters. The
// pair's picture stays either way, and Apply says why through ShowMessage.
// With engine.options.keep_buffers false the pair's picture is given back
// once the work square is made, and the engine's src, dest and sweep
// rasters once the warped square is copied out.
// A job stopped by between returns false; the pair's square and result then
// hold nothing of use, while the engine's cache slot stays sound.
bool RunWarpJob(TWarpEngine& engine, WarpKind kind, TImagePair& pair,
                const TStamps* stamps = nullptr, WarpOutcome* outcome = nullptr,
                const WarpPassCheck* between = nullptr);

}  // namespace quorvel
