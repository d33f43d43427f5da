// `quorvel-shape build SOURCE.svg -o FILE.qshp [options]`.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

std::string BuildUsage();

// args: everything after "build". Returns the exit status.
int RunShapeBuild(const std::vector<std::string>& args);

}  // namespace quorvel
