// quorvel-cli: the whole warp without a window, picture file + shape file
// -> saved result, with the same core calls the window makes.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/warp_options.h"
#include "cli/warp_run.h"
#include "raster/parallel.h"
#include "raster/zoom.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
#include "warp/engine.h"

namespace quorvel {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  quorvel-cli warp INPUT -s SHAPE -o OUTPUT [options]\n"
    "  quorvel-cli warp INPUT... -s SHAPE -o FOLDER [options]\n"
    "  quorvel-cli shapes [--shapes DIR]\n"
    "  quorvel-cli --help | --version\n"
    "\n"
    "Warps a BMP, PNG, JPG, WebP, TIFF, HEIC or AVIF picture into a shape and\n"
    "saves the result; the output type follows the name's ending: .bmp (24-bit,\n"
    "over white), .jpg, .jpeg, .jpe or .jfif (quality 90, over white), .png,\n"
    ".webp and .tif (keep the transparent outside); any other ending is refused.\n"
    "The picture's colour profile is kept. Batch results of one name are refused.\n"
    "\n"
    "  -s SHAPE              a .qshp file, or the name or index of a shape in the\n"
    "                        shape folder (see `quorvel-cli shapes`)\n"
    "  -o OUTPUT             the result file; a folder when several inputs are given\n"
    "  --angle 0..360        turns the picture inside the shape (default 0)\n"
    "  --direction vertical|horizontal   which way the picture is squeezed (default vertical)\n"
    "  --feather 0..99       fades the rim over this many pixels (default 0)\n"
    "  --preview             warp the small (at most 100 x 100) preview copy instead\n"
    "  --shapes DIR          the shape folder (default: quorvel-shapes beside this program,\n"
    "                        then your own, $XDG_DATA_HOME/quorvel/shapes)\n"
    "  --ext bmp|jpg|png|webp|tif   the ending of batch results (default: the input's own,\n"
    "                        png for one it cannot write)\n"
    "  --jobs N              pictures warped at once in a batch (default 1)\n"
    "  --threads N           threads of the warp engine (default: every core)\n"
    "  --reference           the plain single-threaded engine (same bytes, slower)\n"
    "\n"
    "Exit status: 0 success, 1 usage, 2 picture refused, 3 shape unusable,\n"
    "4 output not written.\n";

int ListShapes(const WarpOptions& options) {
  TWarpEngine engine;
  const std::string where = ScanWarpShapes(engine, options);
  if (engine.shapes.empty()) {
    std::fprintf(stderr, "quorvel-cli: no shapes in %s\n", where.c_str());
    return kExitShapeUnusable;
  }
  for (std::size_t i = 0; i < engine.shapes.size(); ++i)
    std::printf("%zu\t%s\t%s\t%s\n", i, engine.shapes[i].name.c_str(), engine.shapes[i].path.string().c_str(),
                engine.shapes[i].user ? "user" : "bundled");
  return kExitSuccess;
}

int Warp(const WarpOptions& options) {
  std::string error;
  if (!CheckWarpOutputs(options, error)) {
    std::fprintf(stderr, "quorvel-cli: %s\n%s", error.c_str(), kUsage);
    return kExitUsage;
  }
  TWarpEngine engine;
  if (const int status = LoadWarpShape(engine, options); status != kExitSuccess) return status;
  if (IsBatch(options)) return WarpBatch(engine, options);
  return WarpPicture(engine, options, options.inputs[0], options.output);
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  using namespace quorvel;
  const std::vector<std::string> args(argv + 1, argv + argc);
  CliRequest request;
  std::string error;
  if (!ParseCliArguments(args, request, error)) {
    std::fprintf(stderr, "quorvel-cli: %s\n%s", error.c_str(), kUsage);
    return kExitUsage;
  }
  switch (request.command) {
    case CliCommand::Help:
      std::fputs(kUsage, stdout);
      return kExitSuccess;
    case CliCommand::Version:
      std::printf("quorvel-cli %s\n", QUORVEL_VERSION);
      return kExitSuccess;
    case CliCommand::Shapes:
      return ListShapes(request.warp);
    case CliCommand::Warp:
      return Warp(request.warp);
  }
  return kExitUsage;
}
