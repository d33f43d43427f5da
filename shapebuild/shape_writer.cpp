#include "shapebuild/shape_writer.h"

#include <cstdio>
#include <limits>

#include "imagefiles/atomic_file.h"
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

  // The same exclusive temporary and rename as a saved picture: no fixed
  // name that a planted link or a second writer could share.
  return WriteFileAtomically(path, [&bytes](std::FILE* f) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  });
}

}  // namespace quorvel
