#include "shapes/shape_decoder.h"

#include <array>
#include <cmath>
#include <cstring>

#include "shapes/shape_file_layout.h"
#include "shapes/shape_key.h"

namespace quorvel {
namespace {

// Coordinates feed integer pixel arithmetic downstream; NaN and infinity
// would turn into undefined conversions there.
bool Finite(const TPointF& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

ShapeFileProblem DecodeShapeFile(std::span<const std::uint8_t> bytes, DecodedShapeFile& out) {
  if (bytes.size() < kShapeHeaderSize) return ShapeFileProblem::kTooShort;

  std::array<std::uint8_t, kShapeHeaderSize> header;
  std::memcpy(header.data(), bytes.data(), kShapeHeaderSize);
  std::uint32_t key = UnscrambleShapeBytes(header.data(), header.size(), 0);
  const std::int32_t n = ReadLeI32(header.data() + kShapeOutlineCountOffset);
  const std::int32_t p = ReadLeI32(header.data() + kShapePolylineCountOffset);
  if (n < 0) return ShapeFileProblem::kNegativeOutlineCount;

  // 16 * N fits in 64 bits for every int32 N, so the comparison cannot wrap.
  const std::uint64_t outline_bytes = std::uint64_t{kShapeOutlineRecordSize} * std::uint64_t(n);
  if (outline_bytes > bytes.size() - kShapeHeaderSize) return ShapeFileProblem::kOutlinePastEnd;

  DecodedShapeFile decoded;
  decoded.outline.reserve(static_cast<std::size_t>(n));
  const std::uint8_t* at = bytes.data() + kShapeHeaderSize;
  for (std::int32_t i = 0; i < n; ++i, at += kShapeOutlineRecordSize) {
    std::array<std::uint8_t, kShapeOutlineRecordSize> record;
    std::memcpy(record.data(), at, record.size());
    key = UnscrambleShapeBytes(record.data(), record.size(), key);
    decoded.outline.push_back(TPointF{static_cast<float>(ReadLeF64(record.data())),
                                      static_cast<float>(ReadLeF64(record.data() + 8))});
    if (!Finite(decoded.outline.back())) return ShapeFileProblem::kNotFinite;
  }

  // The polyline section: plain, from here to the end of the file.
  std::size_t left = bytes.size() - kShapeHeaderSize - static_cast<std::size_t>(outline_bytes);
  // A file too short for its blocks is malformed before it is too large.
  if (p > 0 && static_cast<std::uint64_t>(p) * kShapeBlockHeaderSize > left)
    return ShapeFileProblem::kPolylinesPastEnd;
  if (p > kMaxShapeLoops) return ShapeFileProblem::kTooManyLoops;
  std::size_t points = 0;
  for (std::int32_t b = 0; b < p; ++b) {
    if (left < kShapeBlockHeaderSize) return ShapeFileProblem::kPolylinesPastEnd;
    DecodedLoop loop;
    const std::int32_t m = ReadLeI32(at);
    loop.start_x = ReadLeF32(at + 4);
    loop.start_y = ReadLeF32(at + 8);
    at += kShapeBlockHeaderSize;
    left -= kShapeBlockHeaderSize;

    const std::size_t count = m > 0 ? static_cast<std::size_t>(m) : 0;
    if (count > left / kShapeDeltaSize) return ShapeFileProblem::kPolylinesPastEnd;
    points += count;
    if (points > kMaxShapePoints) return ShapeFileProblem::kTooManyPoints;
    loop.points.reserve(count);
    float cx = loop.start_x;
    float cy = loop.start_y;
    for (std::size_t k = 0; k < count; ++k, at += kShapeDeltaSize) {
      cx = DecodeShapeStep(cx, ReadLeI16(at));
      cy = DecodeShapeStep(cy, ReadLeI16(at + 2));
      loop.points.push_back(TPointF{cx, cy});
      if (!Finite(loop.points.back())) return ShapeFileProblem::kNotFinite;
    }
    left -= count * kShapeDeltaSize;
    decoded.loops.push_back(std::move(loop));
  }

  out = std::move(decoded);
  return ShapeFileProblem::kNone;
}

const char* DescribeShapeFileProblem(ShapeFileProblem problem) {
  switch (problem) {
    case ShapeFileProblem::kNone: return "no problem";
    case ShapeFileProblem::kCannotOpen: return "the file cannot be opened";
    case ShapeFileProblem::kTooShort: return "the file is shorter than its 44-byte header";
    case ShapeFileProblem::kNegativeOutlineCount: return "the outline count is negative";
    case ShapeFileProblem::kOutlinePastEnd: return "the outline records run past the end of the file";
    case ShapeFileProblem::kPolylinesPastEnd: return "the polyline blocks run past the end of the file";
    case ShapeFileProblem::kNotFinite: return "a coordinate is not a finite number";
    case ShapeFileProblem::kTooManyLoops: return "it has more loops than a shape may have";
    case ShapeFileProblem::kTooManyPoints: return "its loops have more points than a shape may have";
  }
  return "unknown problem";
}

}  // namespace quorvel
