// A shape file from anywhere: decoded in memory, read by the two readers the
// folder scan and the selection use, its thumbnail drawn, and, when
// accepted, warped into, as selecting it in the window would (a preview of a
// small picture).
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_support.h"
#include "raster/image_pair.h"
#include "shapes/shape_decoder.h"
#include "shapes/shape_reader.h"
#include "shapes/thumbnail.h"
#include "warp/engine.h"
#include "warp/job.h"

namespace {

void WarpSmallPicture(quorvel::TWarpEngine& engine, std::uint8_t angle_seed) {
  using namespace quorvel;
  TImagePair pair;
  pair.width = 24;
  pair.height = 17;
  AllocBlock(pair.src, pair.width, pair.height);
  for (std::size_t i = 0; i < pair.src.size(); ++i)
    pair.src[i] = 0xFF000000u | static_cast<Pixel>(i * 2654435761u >> 8);
  pair.loaded = 1;
  engine.selected = 0;
  engine.angle = angle_seed % 361;
  engine.direction = angle_seed & 1;
  RunWarpJob(engine, WarpKind::Preview, pair);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  fuzz::SilenceMessages();
  DecodedShapeFile decoded;
  const ShapeFileProblem problem = DecodeShapeFile(std::span(data, size), decoded);

  const auto path = fuzz::ScratchFile(data, size, ".qshp");
  ShapeEntry entry;
  LoadShapeOutline(path, entry);
  TWarpEngine engine;
  engine.shapes.push_back(entry);
  TThumbnailSurface surface;
  PrepareThumbnailSurface(surface);
  static std::uint8_t thumbnail[kThumbnailSide * kThumbnailSide * 4];
  DrawShapeThumbnail(engine, surface, 0, thumbnail);
  const bool loaded = LoadShapePolylines(path, engine.shape_polylines);
  // The file and memory paths must agree on what they accept.
  if (loaded != (problem == ShapeFileProblem::kNone)) __builtin_trap();
  if (loaded && size > 0) WarpSmallPicture(engine, data[size - 1]);
  return 0;
}
