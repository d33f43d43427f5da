// `quorvel-shape sheet [--shapes DIR] -o SHEET.png [--stats]`: every shape
// of a folder as its thumbnail beside a test card warped into it.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

extern const char* const kSheetUsage;

// args: everything after "sheet". Returns the exit status.
int RunContactSheet(const std::vector<std::string>& args);

}  // namespace quorvel
