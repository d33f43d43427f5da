#include "shapes/shape_reader.h"

#include <cstdint>
#include <fstream>
#include <system_error>
#include <vector>

namespace quorvel {
namespace {

// Regular files only: a FIFO or device named *.qshp must not block the scan.
bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  return true;
}

}  // namespace

ShapeFileProblem ReadShapeFile(const std::filesystem::path& path, DecodedShapeFile& out) {
  if (path.empty()) return ShapeFileProblem::kCannotOpen;
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return ShapeFileProblem::kCannotOpen;
  return DecodeShapeFile(bytes, out);
}

void LoadShapeOutline(const std::filesystem::path& path, ShapeEntry& entry) {
  entry.outline.clear();
  DecodedShapeFile decoded;
  if (ReadShapeFile(path, decoded) == ShapeFileProblem::kNone)
    entry.outline = std::move(decoded.outline);
}

bool LoadShapePolylines(const std::filesystem::path& path, PolylineList& polylines) {
  DecodedShapeFile decoded;
  if (ReadShapeFile(path, decoded) != ShapeFileProblem::kNone) return false;
  polylines = PolylinesFromLoops(decoded.loops);
  return true;
}

PolylineList PolylinesFromLoops(const std::vector<DecodedLoop>& loops) {
  PolylineList polylines;
  polylines.reserve(loops.size());
  for (const DecodedLoop& loop : loops) {
    TPolyline polyline;
    const std::vector<TPointF>& pts = loop.points;
    if (pts.size() >= 2) {
      polyline.segments.reserve(pts.size());
      for (std::size_t k = 1; k < pts.size(); ++k) {
        TSegment seg;
        seg.x1 = pts[k - 1].x;
        seg.y1 = pts[k - 1].y;
        seg.x2 = pts[k].x;
        seg.y2 = pts[k].y;
        polyline.segments.push_back(seg);
      }
      TSegment closing;
      closing.x1 = pts.back().x;
      closing.y1 = pts.back().y;
      closing.x2 = pts.front().x;
      closing.y2 = pts.front().y;
      polyline.segments.push_back(closing);
    }
    polylines.push_back(std::move(polyline));
  }
  return polylines;
}

}  // namespace quorvel
