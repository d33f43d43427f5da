// `quorvel-shape build` on SVG text: the drawing rendered into a mask, the
// loops built from it and encoded as a shape file. Small mask and grid, and
// one try of each loop method, so that the fuzzer gets through many
// drawings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/svg_mask.h"
#include "fuzz/fuzz_support.h"
#include "shapebuild/loop_builder.h"
#include "shapebuild/shape_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  static SvgRenderingScope qt;
  const auto path = fuzz::ScratchFile(data, size, ".svg");
  TCoverageMask mask;
  std::string error;
  if (!RenderSvgMask(path.string(), 200, mask, error)) return 0;
  LoopBuildOptions options;
  options.grid = 101;
  options.variants = 1;
  options.time_limit = 40;  // well inside run.sh's per-input timeout, even under the sanitizers
  LoopBuildResult result;
  if (BuildShapeLoops(mask, options, result) != ShapeBuildProblem::kNone) return 0;
  std::vector<std::uint8_t> bytes;
  if (!EncodeShapeFile(result.contents, bytes)) __builtin_trap();  // built loops always fit
  return 0;
}
