// TWarpEngine: the shape list, the selected shape's polylines, the two
// assist caches, the working rasters and the warp parameters.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/engine_options.h"
#include "raster/pixels.h"
#include "warp/geometry.h"
#include "warp/shape_entry.h"

namespace quorvel {

inline constexpr Pixel kWarpBackground = 0x00FFFFFFu;  // white, alpha 0

// One cache of assist polylines, keyed by working side and selected shape.
struct TAssistCache {
  PolylineList guides;            // shape polylines scaled to the working square
  PolylineList assist;            // assist polylines, increasing t
  std::int32_t key_side = 0;      // S they were built for
  std::int32_t key_shape = -1;    // selected shape they were built for; -1: never
};

struct TWarpEngine {
  std::int32_t width = 0;           // working rasters (= S while a warp runs)
  std::int32_t height = 0;
  std::int32_t bytes_per_pixel = 0; // 4 once a warp has been prepared
  PixelBlock dest;                  // written by the mapping
  PixelBlock src;                   // read by the mapping

  std::vector<ShapeEntry> shapes;   // filled by the shape folder scan
  std::int32_t selected = -1;       // index into shapes; -1 while none loaded

  PolylineList shape_polylines;     // the selected shape, polyline frame
  TAssistCache preview;             // preview_guides, preview_assist, preview_key_*
  TAssistCache job;                 // job_guides, job_assist, job_key_*

  Pixel background = kWarpBackground;
  std::int32_t angle = 0;           // whole degrees, 0..360
  std::int32_t direction = 0;       // 1 horizontal, 0 vertical
  std::int32_t feather = 0;         // alpha band width in pixels; 0 = none

  // Working memory of the fast sweep, kept from one warp to the next: the
  // rasters of ray ranges beyond the one a caller lends.
  std::vector<PixelBlock> sweep_rasters;

  // How the next job runs: the plain engine or the fast paths, threads,
  // kernels. RunWarpJob reads it once, at its start, and passes it down.
  EngineOptions options;
};

}  // namespace quorvel
