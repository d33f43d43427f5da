#include "shapes/shape_writer.h"

#include <fstream>
#include <limits>
#include <system_error>

#include "shapes/shape_file_layout.h"
#include "shapes/shape_key.h"

namespace quorvel {
namespace {

constexpr std::uint64_t kMaxCount = std::numeric_limits<std::int32_t>::max();

}  // namespace

bool EncodeShapeFile(const ShapeFileContents& contents, std::vector<std::uint8_t>& bytes) {
  if (contents.outline.size() > kMaxCount || contents.blocks.size() > kMaxCount) return false;
  std::uint64_t total = kShapeHeaderSize + kShapeOutlineRecordSize * contents.outline.size();
  for (const ShapeFileBlock& block : contents.blocks) {
    if (block.deltas.size() > kMaxCount) return false;
    total += kShapeBlockHeaderSize + kShapeDeltaSize * block.deltas.size();
  }
  if (total > std::numeric_limits<std::size_t>::max()) return false;

  std::vector<std::uint8_t> out(static_cast<std::size_t>(total), 0);
  WriteLeI32(out.data() + kShapeOutlineCountOffset, static_cast<std::int32_t>(contents.outline.size()));
  WriteLeI32(out.data() + kShapePolylineCountOffset, static_cast<std::int32_t>(contents.blocks.size()));
  std::uint8_t* at = out.data() + kShapeHeaderSize;
  for (const ShapePointD& p : contents.outline) {
    WriteLeF64(at, p.x);
    WriteLeF64(at + 8, p.y);
    at += kShapeOutlineRecordSize;
  }
  ScrambleShapeBytes(out.data(), static_cast<std::size_t>(at - out.data()), 0);

  for (const ShapeFileBlock& block : contents.blocks) {
    WriteLeI32(at, static_cast<std::int32_t>(block.deltas.size()));
    WriteLeF32(at + 4, block.start_x);
    WriteLeF32(at + 8, block.start_y);
    at += kShapeBlockHeaderSize;
    for (const ShapeDelta& d : block.deltas) {
      WriteLeI16(at, d.dx);
      WriteLeI16(at + 2, d.dy);
      at += kShapeDeltaSize;
    }
  }
  bytes = std::move(out);
  return true;
}

bool WriteShapeFile(const std::filesystem::path& path, const ShapeFileContents& contents) {
  std::vector<std::uint8_t> bytes;
  if (path.empty() || !EncodeShapeFile(contents, bytes)) return false;

  std::filesystem::path temp = path;
  temp += ".partial";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  return true;
}

}  // namespace quorvel
