// The 50 x 50 shape thumbnails: a shape's outline drawn with a blue pen two
// pixels wide on white, as plain pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/pixels.h"
#include "warp/engine.h"

namespace quorvel {

inline constexpr std::int32_t kThumbnailSide = 50;
inline constexpr std::size_t kThumbnailBytes = kThumbnailSide * kThumbnailSide * 4;  // 10000

// The drawing surface: 50 x 50 pixels, bottom-up, layout of raster/pixels.h.
struct TThumbnailSurface {
  PixelBlock bits;
};

void PrepareThumbnailSurface(TThumbnailSurface& surface);

// Draws the outline of shape index modulo the shape count into the surface
// and copies it to pixels_out (10000 bytes, B G R A, top row first). False,
// drawing nothing, when the buffer or the surface is missing or the shape
// list is empty.
bool DrawShapeThumbnail(const TWarpEngine& engine, TThumbnailSurface& surface, std::int32_t index,
                        std::uint8_t* pixels_out);

// The pixel an outline coordinate (design units) lands on.
std::int32_t ThumbnailPixel(float design);

}  // namespace quorvel
