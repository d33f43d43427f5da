// `quorvel-shape build SOURCE.svg -o FILE.qshp [options]`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/args.h"
#include "shapebuild/loop_options.h"

namespace quorvel {

struct ShapeBuildRequest {
  std::vector<std::string> sources;  // the one SVG or PNG outline
  std::string output;
  std::string shown;  // what -v calls the shape, if not output
  LoopBuildOptions options{.time_limit = kDefaultBuildSeconds};
  std::int32_t resolution = 1600;  // mask side the drawing is rendered at
  bool verbose = false;
};

std::string BuildUsage();

// The build options (all but -o), which `add` takes too.
std::vector<ArgOption> ShapeBuildOptions(ShapeBuildRequest& request);
ArgCommand ShapeBuildCommand(ShapeBuildRequest& request);

// Prints message and the build usage to standard error; returns the usage status.
int ShapeBuildRefusal(const std::string& message);

// Returns the exit status.
int RunShapeBuild(const ShapeBuildRequest& request);

}  // namespace quorvel
