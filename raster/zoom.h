// The one bicubic resampler (16.16 positions, 8.8 weights, integer only).
#pragma once

#include <cstdint>

#include "raster/engine_options.h"
#include "raster/pixels.h"

namespace quorvel {

// Largest side the resampler takes: size << 16 must fit a signed 32-bit int.
inline constexpr std::int32_t kMaxZoomSide = 32767;

// Resamples src into dst (both described blocks, any stride). Returns false
// and writes nothing for a side above kMaxZoomSide; does nothing (true) when
// either block is empty. The options choose the plain resampler or the
// threads and SIMD kernels of the fast one (SSE4.1, AVX2 with the widest
// kernels); the bytes are always those of ZoomBicubicReference.
bool ZoomBicubic(const TPixels32Desc& dst, const TPixels32Desc& src, const EngineOptions& options = {});

// The plain single-threaded resampler the fast one is checked against.
bool ZoomBicubicReference(const TPixels32Desc& dst, const TPixels32Desc& src);

// Resizes a packed block into another packed block of dst_w * dst_h pixels.
// Works through temporaries, so src and dst may be the same memory.
bool ZoomPixels(const Pixel* src, std::int32_t src_w, std::int32_t src_h,
                Pixel* dst, std::int32_t dst_w, std::int32_t dst_h, const EngineOptions& options = {});

}  // namespace quorvel
