#include "warp/job.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "raster/blend.h"
#include "raster/memory_room.h"
#include "raster/message_sink.h"
#include "raster/zoom.h"
#include "warp/fast_mapping.h"
#include "warp/job_memory.h"
#include "warp/mapping.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void LayStamp(TImagePair& pair, const TPixels32Desc& stamp, std::int32_t sw, std::int32_t sh,
              std::int32_t corner_x, std::int32_t corner_y) {
  if (!stamp.pixels || stamp.width < sw || stamp.height < sh) return;
  for (std::int32_t v = 0; v < sh; ++v) {
    const std::int32_t row = corner_y + v;
    if (row < 0 || row >= pair.height) continue;
    const Pixel* from = reinterpret_cast<const Pixel*>(stamp.pixels + v * static_cast<std::ptrdiff_t>(stamp.stride));
    Pixel* to = pair.result.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(pair.width);
    for (std::int32_t u = 0; u < sw; ++u) {
      const std::int32_t column = corner_x + u;
      if (column < 0 || column >= pair.width) continue;
      to[column] = BlendOver(from[u], to[column]);
    }
  }
}

// Refuses, before anything is touched, a job that would not fit.
WarpOutcome CheckJob(const TWarpEngine& engine, WarpKind kind, const TImagePair& pair) {
  if (pair.src.empty()) return WarpOutcome::kWarped;  // nothing to do; the job says so
  const TJobNeed need = EstimateWarpJob(engine, kind, pair);
  if (need.assist_segments > kMaxAssistSegments) return WarpOutcome::kShapeTooComplex;
  const std::uint64_t room = MemoryRoom();
  if (need.bytes > room) {
    if (kind == WarpKind::Apply) ShowMessage(NotEnoughMemoryText(need.bytes, room));
    return WarpOutcome::kNoMemory;
  }
  return WarpOutcome::kWarped;
}

// After memory ran out part way: nothing half-made may be shown or reused,
// and what the job took goes back.
void DropJobMemory(TWarpEngine& engine, TImagePair& pair) {
  ReleaseBlock(pair.square);
  ReleaseBlock(pair.result);
  ReleaseEngineRasters(engine);
  for (TAssistCache* slot : {&engine.job, &engine.preview}) {
    PolylineList().swap(slot->guides);
    PolylineList().swap(slot->assist);
    slot->key_side = 0;
    slot->key_shape = -1;
  }
}

WarpOutcome RunJob(TWarpEngine& engine, const EngineOptions& options, WarpKind kind, TImagePair& pair,
                   const TStamps* stamps, const WarpPassCheck* between);

}  // namespace

bool RunWarpJob(TWarpEngine& engine, WarpKind kind, TImagePair& pair, const TStamps* stamps,
                WarpOutcome* outcome, const WarpPassCheck* between) {
  // The one place the job's way of running is read; everything below is
  // handed these options.
  const EngineOptions options = engine.options;
  WarpOutcome result = CheckJob(engine, kind, pair);
  if (result == WarpOutcome::kWarped) {
    try {
      result = RunJob(engine, options, kind, pair, stamps, between);
    } catch (const std::bad_alloc&) {
      DropJobMemory(engine, pair);
      result = WarpOutcome::kNoMemory;
      if (kind == WarpKind::Apply) ShowMessage(kMsgOutOfMemory);
    }
  } else if (result == WarpOutcome::kShapeTooComplex && kind == WarpKind::Apply) {
    ShowMessage(kMsgShapeTooComplex);
  }
  if (outcome) *outcome = result;
  return result == WarpOutcome::kWarped;
}

void ReleaseEngineRasters(TWarpEngine& engine) {
  ReleaseBlock(engine.src);
  ReleaseBlock(engine.dest);
  std::vector<PixelBlock>().swap(engine.sweep_rasters);
}

bool MakeWorkSquare(TImagePair& pair, const EngineOptions& options) {
  if (pair.src.empty()) return false;
  const std::int32_t side = pair.width > pair.height ? pair.width : pair.height;
  pair.squareSide = side;
  AllocBlock(pair.square, side, side);
  return ZoomPixels(pair.src.data(), pair.width, pair.height, pair.square.data(), side, side, options);
}

bool MakeResult(TImagePair& pair, const EngineOptions& options) {
  pair.squareSide = pair.width > pair.height ? pair.width : pair.height;
  const std::size_t count = static_cast<std::size_t>(pair.width) * static_cast<std::size_t>(pair.height);
  if (pair.result.size() != count) AllocBlock(pair.result, pair.width, pair.height);
  return ZoomPixels(pair.square.data(), pair.squareSide, pair.squareSide, pair.result.data(),
                    pair.width, pair.height, options);
}

void StampResult(TImagePair& pair, const TStamps* stamps) {
  if (!stamps || pair.result.empty()) return;
  const std::int32_t w = pair.width;
  const std::int32_t h = pair.height;
  const bool small = h <= 60 || w <= 200;
  const TPixels32Desc& stamp = small ? stamps->small : stamps->large;
  const std::int32_t sw = small ? 15 : 100;
  const std::int32_t sh = small ? 15 : 30;
  const std::int32_t rows = h / 600 + 1;
  const std::int32_t cols = w / 800 + 1;
  const std::int32_t x0 = (w - cols * (sw + 80) + 80) / 2;
  const std::int32_t y0 = (h - rows * (sh + 60) + 60) / 2;
  for (std::int32_t i = 0; i < rows; ++i)
    for (std::int32_t j = 0; j < cols; ++j)
      LayStamp(pair, stamp, sw, sh, x0 + j * (sw + 80), y0 + i * (sh + 60));
}

namespace {

// The reference passes or the fast ones, chosen here only.
WarpOutcome RunJob(TWarpEngine& engine, const EngineOptions& options, WarpKind kind, TImagePair& pair,
                   const TStamps* stamps, const WarpPassCheck* between) {
  const bool apply = kind == WarpKind::Apply;
  const bool plain = options.reference;
  auto go_on = [between](int passes_done) { return !between || (*between)(passes_done); };
  if (!MakeWorkSquare(pair, options)) return WarpOutcome::kNoShape;
  if (!options.keep_buffers) ReleaseBlock(pair.src);
  if (!go_on(1)) return WarpOutcome::kStopped;
  const std::int32_t side = pair.squareSide;
  if (plain) {
    PrepareWarp(engine, side, pair.square.data());
  } else {
    // The square moves into the engine instead of being copied; the pair
    // keeps the engine's old block, lent to the mapping below.
    PrepareWarpFast(engine, side, options);
    engine.src.swap(pair.square);
  }

  const Clock::time_point t0 = Clock::now();
  TAssistCache& slot = AssistSlot(engine, kind);
  RefreshAssistCache(engine, slot, options);
  Clock::time_point t1;
  if (apply) {
    std::fprintf(stderr, "GenerateAssistPolyline_Dis time = %d.\n", MillisecondsSince(t0));
    t1 = Clock::now();
  }
  if (slot.guides.empty() || slot.assist.empty()) return WarpOutcome::kNoShape;
  if (!go_on(2)) return WarpOutcome::kStopped;

  // The two passes of MapAllPixels, with a stop between them.
  if (plain)
    SquareToDisk(engine);
  else
    SquareToDiskFast(engine, options);
  if (!go_on(3)) return WarpOutcome::kStopped;
  if (plain) {
    SweepRays(engine, slot.assist);
  } else {
    // The square's block holds nothing of use now, and the result is
    // remade from scratch below: both lend their memory to the sweep.
    // SquareToDiskFast leaves dest all background.
    SweepRaysFast(engine, slot.assist, options, SweepSpare{&pair.square, &pair.result}, true);
#if defined(__GLIBC__)
    // The passes' tables would otherwise stay resident while the result is
    // made and saved.
    malloc_trim(0);
#endif
  }
  if (!go_on(4)) return WarpOutcome::kStopped;
  if (apply) {
    std::fprintf(stderr, "MapAllPixels time = %d ms.\n", MillisecondsSince(t1));
    if (plain)
      ApplyFeather(engine, slot.assist);
    else
      ApplyFeatherFast(engine, slot.assist, options);
  }
  if (!go_on(5)) return WarpOutcome::kStopped;
  if (plain)
    std::memcpy(pair.square.data(), engine.dest.data(), engine.dest.size() * sizeof(Pixel));
  else
    CopyPixelsFast(pair.square.data(), engine.dest.data(), engine.dest.size(), options);
  if (!options.keep_buffers) ReleaseEngineRasters(engine);
  if (!MakeResult(pair, options)) return WarpOutcome::kNoShape;
  StampResult(pair, stamps);
  return WarpOutcome::kWarped;
}

}  // namespace
}  // namespace quorvel
