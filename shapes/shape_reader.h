// Reading shape files from disk into the shape list and the outline model.
#pragma once

#include <filesystem>

#include "shapes/shape_decoder.h"
#include "warp/geometry.h"
#include "warp/shape_entry.h"

namespace quorvel {

// Reads and decodes the whole file. out is written only on kNone.
[[nodiscard]] ShapeFileProblem ReadShapeFile(const std::filesystem::path& path,
                                             DecodedShapeFile& out);

// Replaces entry.outline by the file's outline points; leaves it empty when
// the file cannot be opened or is malformed.
void LoadShapeOutline(const std::filesystem::path& path, ShapeEntry& entry);

// Replaces polylines by the file's closed loops (M points give M segments,
// the closing one last; M < 2 gives none). Returns false, leaving polylines
// untouched, for an empty path or an unreadable or malformed file.
[[nodiscard]] bool LoadShapePolylines(const std::filesystem::path& path, PolylineList& polylines);

// The loops as the outline model holds them.
PolylineList PolylinesFromLoops(const std::vector<DecodedLoop>& loops);

}  // namespace quorvel
