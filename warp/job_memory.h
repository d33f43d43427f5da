// What a warp job will need, known before it starts: memory, and the size
// of the assist list the shape gives at the job's working side.
#pragma once

#include <cstdint>
#include <string>

#include "raster/image_pair.h"
#include "warp/assist.h"
#include "warp/engine.h"

namespace quorvel {

struct TJobNeed {
  std::uint64_t bytes = 0;            // beyond the blocks pair and engine hold now
  std::uint64_t assist_segments = 0;  // of the assist list for (S, shape)
};

// Far above what bundled shapes give at the largest picture (some tens of
// millions): each segment costs 24 bytes, and a shape of countless loops or
// an endless outer boundary would ask for many gigabytes.
inline constexpr std::uint64_t kMaxAssistSegments = std::uint64_t{1} << 27;

// The job's peak: the square work copy, the engine's two rasters, the
// sweep's extra rasters for the worker threads, the assist list, the
// result; less what the blocks pair and engine already hold, which the job
// reuses or releases first.
TJobNeed EstimateWarpJob(const TWarpEngine& engine, WarpKind kind, const TImagePair& pair);

// "内存不足..." with both figures in GB, Chinese first, as every message.
std::string NotEnoughMemoryText(std::uint64_t needed, std::uint64_t room);

inline constexpr const char kMsgOutOfMemory[] =
    "内存不足, 变形未完成.\r\nNot enough memory: the warp was not finished.";
inline constexpr const char kMsgShapeTooComplex[] =
    "形状太复杂, 无法用于这么大的图片.\r\nThe shape is too complex for a picture this large.";

}  // namespace quorvel
