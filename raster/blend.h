// The alpha blend used wherever a picture is laid over a background.
#pragma once

#include "raster/pixels.h"

namespace quorvel {

// Opaque white: laid under every picture that is shown or saved.
inline constexpr Pixel PaneBackColor = 0xFFFFFFFFu;

// out = (s * a + d * (255 - a)) >> 8 per byte, alpha included, a = alpha of
// s. The >> 8 (not / 255) is deliberate: opaque 255 comes out as 254.
inline Pixel BlendOver(Pixel s, Pixel d) {
  const Pixel a = s >> 24;
  const Pixel n = 255 - a;
  // Two channels per 0x00FF00FF lane pair; each sum is at most 65025.
  const Pixel rb = ((s & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * n) >> 8;
  const Pixel ga = (((s >> 8) & 0x00FF00FFu) * a + ((d >> 8) & 0x00FF00FFu) * n) >> 8;
  return (rb & 0x00FF00FFu) | ((ga & 0x00FF00FFu) << 8);
}

}  // namespace quorvel
