// `quorvel-shape sheet [--shapes DIR] -o SHEET.png [--stats]`: every shape
// of a folder as its thumbnail beside a test card warped into it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli/args.h"

namespace quorvel {

extern const char* const kSheetUsage;

struct ContactSheetRequest {
  std::optional<std::filesystem::path> folder;  // none: the default shape folder
  std::string output;
  bool stats = false;
};

ArgCommand ContactSheetCommand(ContactSheetRequest& request);
int ContactSheetRefusal(const std::string& message);
// Returns the exit status.
int RunContactSheet(const ContactSheetRequest& request);

}  // namespace quorvel
