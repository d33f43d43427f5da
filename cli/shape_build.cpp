#include "cli/shape_build.h"

#include <cctype>
#include <cstdio>

#include "cli/exit_status.h"
#include "cli/png_outline.h"
#include "cli/svg_mask.h"
#include "shapebuild/build_clock.h"
#include "shapebuild/loop_builder.h"
#include "shapebuild/loop_methods.h"
#include "shapebuild/shape_writer.h"

namespace quorvel {

std::string BuildUsage() {
  std::string usage = "  quorvel-shape build SOURCE.svg|SOURCE.png -o FILE.qshp [options]\n"
                      "      a PNG's shape is where it is opaque, or for an opaque picture where it\n"
                      "      is dark; its outline is traced with potrace\n"
                      "      --method " + LoopMethodChoices() + "\n"
                      "                         how the loops are made; auto tries in turn:\n";
  for (const LoopMethodEntry& e : LoopMethodTable())
    usage += std::string("                           ") + e.name + ": " + e.help + "\n";
  usage +=
      "      --loops N          number of loops (default: 8 scaled, 42 distance, up to 86 strip,\n"
      "                         harmonic and up to 200 disk as --spacing asks)\n"
      "      --spacing D        widest gap between harmonic loops, frame units (default 3;\n"
      "                         disk loops start at half of it next to the rim)\n"
      "      --grid N           harmonic grid nodes per side (default 401)\n"
      "      --margin D         free design units on the longer side (default 12)\n"
      "      --resolution PX    mask side the drawing is rendered at (default 1600)\n"
      "      --time-limit S     give up after S seconds (processor time) of drawing\n"
      "                         and tries (default 30)\n"
      "      --strict           refuse an outline in several pieces or with small holes\n"
      "                         (default: build from the largest piece, fill small holes)\n"
      "      -v                 say which method was used and how the loops checked out\n"
      "                         (crossings, and the test warp's reach, fold and spill)\n"
      "      --help             print this and exit\n";
  return usage;
}

namespace {

bool IsPngName(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".png";
}

std::string QualityFigures(const WarpQuality& q) {
  char text[160];
  std::snprintf(text, sizeof text, "reach %.2f %%, fold %.3f %%, spill %.3f %% at S = %d (%s)", q.reach * 100.0,
                q.fold * 100.0, q.spill * 100.0, kQualitySide, q.Acceptable() ? "acceptable" : "not acceptable");
  return text;
}

}  // namespace

std::vector<ArgOption> ShapeBuildOptions(ShapeBuildRequest& request) {
  LoopBuildOptions& o = request.options;
  return {
      ChoiceArg("--method", [&o](const std::string& text) { return ParseLoopMethod(text, o.method); },
                "--method is " + LoopMethodChoices()),
      WholeArg("--loops", o.loops, 2, 200, "--loops takes 2 to 200"),
      DecimalArg("--spacing", o.spacing, 0.5, 50, "--spacing takes 0.5 to 50"),
      WholeArg("--grid", o.grid, 101, 1201, "--grid takes 101 to 1201"),
      DecimalArg("--margin", o.margin, 0, 200, "--margin takes 0 to 200"),
      WholeArg("--resolution", request.resolution, 200, 4000, "--resolution takes 200 to 4000"),
      DecimalArg("--time-limit", o.time_limit, 1, 3600, "--time-limit takes 1 to 3600 seconds"),
      FlagArg("-v", request.verbose),
      FlagArg("--strict", o.strict),
  };
}

ArgCommand ShapeBuildCommand(ShapeBuildRequest& request) {
  ArgCommand build;
  build.name = build.who = "build";
  build.options = ShapeBuildOptions(request);
  build.options.push_back(Once(TextArg("-o", request.output, "-o takes one output file")));
  build.words = &request.sources;
  build.max_words = 1;
  build.unknown = [](const std::string& word) { return "unknown option '" + word + "'"; };
  build.surplus = [](const std::string&) { return std::string("build takes one SVG or PNG file"); };
  return build;
}

int ShapeBuildRefusal(const std::string& message) {
  std::fprintf(stderr, "quorvel-shape build: %s\nUsage:\n%s", message.c_str(), BuildUsage().c_str());
  return kExitUsage;
}

int RunShapeBuild(const ShapeBuildRequest& request) {
  if (request.sources.empty() || request.output.empty())
    return ShapeBuildRefusal("build needs SOURCE.svg|png and -o FILE.qshp");
  const std::string& input = request.sources.front();
  const std::string& output = request.output;
  LoopBuildOptions options = request.options;
  const bool verbose = request.verbose;

  SvgRenderingScope qt;
  TCoverageMask mask;
  std::string error;
  // The time limit covers drawing the outline and every try after it.
  const double start = BuildClockSeconds();
  const double deadline = start + options.time_limit;
  const std::int32_t side = request.resolution;
  if (!(IsPngName(input) ? TracePngMask(input, side, mask, error) : RenderSvgMask(input, side, mask, error, deadline))) {
    std::fprintf(stderr, "quorvel-shape: %s: %s\n", input.c_str(), error.c_str());
    return kExitShapeUnusable;
  }
  options.time_limit -= BuildClockSeconds() - start;
  LoopBuildResult result;
  const ShapeBuildProblem problem = BuildShapeLoops(mask, options, result);
  for (const std::string& notice : result.notices)
    std::fprintf(stderr, "quorvel-shape: %s: %s\n", input.c_str(), notice.c_str());
  if (problem != ShapeBuildProblem::kNone) {
    std::fprintf(stderr, "quorvel-shape: %s: %s\n", input.c_str(), DescribeShapeBuildProblem(problem));
    if (problem == ShapeBuildProblem::kNoLoops || problem == ShapeBuildProblem::kOutOfTime) {
      std::fprintf(stderr, "  last try (%s): nested %s, one orientation %s", LoopMethodName(result.method),
                   result.check.nested ? "yes" : "no", result.check.same_orientation ? "yes" : "no");
      if (result.check.nested && result.check.same_orientation)
        std::fprintf(stderr, ", %zu%s crossing assist pairs", result.check.assist_crossings,
                     result.check.assist_crossings >= kCrossingLimit ? " or more" : "");
      std::fprintf(stderr, "\n");
      if (verbose && result.quality.measured)
        std::fprintf(stderr, "  best measured try: %s\n", QualityFigures(result.quality).c_str());
    }
    for (const TPointF& p : result.check.first_crossings)
      if (verbose) std::fprintf(stderr, "  crossing near (%.3f, %.3f) at S = 300\n",
                                 static_cast<double>(p.x), static_cast<double>(p.y));
    return kExitShapeUnusable;
  }
  if (!WriteShapeFile(output, result.contents)) {
    std::fprintf(stderr, "quorvel-shape: %s: cannot be written\n", output.c_str());
    return kExitOutputNotWritten;
  }
  if (verbose) {
    const std::string& shown = request.shown.empty() ? output : request.shown;
    std::printf("%s: %s, %zu loops, %zu outline points, ", shown.c_str(), LoopMethodName(result.method),
                result.contents.blocks.size(), result.contents.outline.size());
    // Assist polylines are only generated for strictly nested loops.
    if (!result.check.nested)
      std::printf("loops touching or crossing one another\n");
    else if (result.check.assist_crossings == 0)
      std::printf("%zu assist polylines at S = 300, none crossing\n", result.check.assist_count);
    else
      std::printf("%zu assist polylines at S = 300, %zu%s crossing pairs\n", result.check.assist_count,
                  result.check.assist_crossings, result.check.assist_crossings >= kCrossingLimit ? " or more" : "");
    if (result.quality.measured) std::printf("  test warp: %s\n", QualityFigures(result.quality).c_str());
  }
  return kExitSuccess;
}

}  // namespace quorvel
