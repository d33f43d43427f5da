// Writing .qshp files: header and outline scrambled, polyline blocks plain.
// Used by the shape tools; the warp program itself only reads shape files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quorvel {

struct ShapePointD {
  double x = 0.0;
  double y = 0.0;
};

struct ShapeDelta {
  std::int16_t dx = 0;  // 1/10000 unit
  std::int16_t dy = 0;
};

// One polyline block as stored: decoding starts at (start_x, start_y).
struct ShapeFileBlock {
  float start_x = 0.0f;
  float start_y = 0.0f;
  std::vector<ShapeDelta> deltas;
};

struct ShapeFileContents {
  std::vector<ShapePointD> outline;  // design square, stored as float64
  std::vector<ShapeFileBlock> blocks;
};

// False when a count does not fit the file's int32 fields.
[[nodiscard]] bool EncodeShapeFile(const ShapeFileContents& contents,
                                   std::vector<std::uint8_t>& bytes);

// Writes through a temporary file in the same folder and renames it over
// path, so a failed write leaves an existing file as it was.
[[nodiscard]] bool WriteShapeFile(const std::filesystem::path& path,
                                  const ShapeFileContents& contents);

}  // namespace quorvel
