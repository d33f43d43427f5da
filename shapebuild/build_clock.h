// The clock of the build's time limit: processor time of this process, so
// that a build refused on an idle machine is refused on a busy one too, and
// one that passes there passes here.
#pragma once

#include <ctime>

namespace quorvel {

inline double BuildClockSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace quorvel
