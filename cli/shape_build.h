// `quorvel-shape build SOURCE.svg -o FILE.qshp [options]`.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

extern const char* const kBuildUsage;

// args: everything after "build". Returns the exit status.
int RunShapeBuild(const std::vector<std::string>& args);

}  // namespace quorvel
