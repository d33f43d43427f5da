// One listed shape file, as the shape folder scan records it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "warp/geometry.h"

namespace quorvel {

struct ShapeEntry {
  std::vector<TPointF> outline;  // design units (600 x 600); empty when unreadable
  std::string name;              // file name without its extension (UTF-8)
  std::filesystem::path folder;  // the folder that holds the file
  std::filesystem::path path;    // the exact path the scan found (case kept)
  bool user = false;             // from the user's own shape folder, listed after the bundled ones
};

}  // namespace quorvel
