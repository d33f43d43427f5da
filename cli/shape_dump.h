// The text form of a shape file that `quorvel-shape dump` prints and `pack`
// reads, one item per line:
//   outline N      then N lines "x y"      (optional for pack)
//   polylines P    then P times: "polyline M" and M lines "x y"
// Numbers are printed with %.9g so float32 values read back exactly. Blank
// lines and lines starting with '#' mean nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shapes/shape_decoder.h"
#include "shapebuild/shape_writer.h"

namespace quorvel {

struct ShapeDump {
  bool has_outline = false;
  std::vector<ShapePointD> outline;
  std::vector<std::vector<ShapePointD>> loops;
};

// The decoded points of every loop; the start coordinates are not shown.
std::string FormatShapeDump(const DecodedShapeFile& file);

// False with error = "line L: what was wrong" when text is not a dump.
[[nodiscard]] bool ParseShapeDump(std::string_view text, ShapeDump& dump, std::string& error);

}  // namespace quorvel
