// Byte layout of a .qshp file, and the one coordinate step that the reader
// and the encoder share so that they can never disagree by a bit.
//
//   offset 0       44 bytes, scrambled   header: 32 reserved, int32 N, int32 P, 4 reserved
//   offset 44      16 * N, scrambled     outline records: float64 x, float64 y (600 x 600 square)
//   44 + 16 * N    plain, to end         P blocks: int32 M, float32 start x, float32 start y,
//                                        M x (int16 dx, int16 dy) in 1/10000 units
// Every value is little-endian; anything after the last block is ignored.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace quorvel {

inline constexpr std::size_t kShapeHeaderSize = 44;
inline constexpr std::size_t kShapeOutlineCountOffset = 32;
inline constexpr std::size_t kShapePolylineCountOffset = 36;
inline constexpr std::size_t kShapeOutlineRecordSize = 16;
inline constexpr std::size_t kShapeBlockHeaderSize = 12;
inline constexpr std::size_t kShapeDeltaSize = 4;
inline constexpr double kShapeDeltaScale = 10000.0;  // delta units per polyline unit

// Point k = point k-1 (or the start) + delta: float32(float32(d / 10000) + previous).
inline float DecodeShapeStep(float previous, std::int16_t delta) {
  const float step = static_cast<float>(delta / kShapeDeltaScale);
  return static_cast<float>(static_cast<double>(step) + static_cast<double>(previous));
}

inline std::uint32_t ReadLeU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
inline std::int32_t ReadLeI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(ReadLeU32(p));
}
inline std::int16_t ReadLeI16(const std::uint8_t* p) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}
inline float ReadLeF32(const std::uint8_t* p) { return std::bit_cast<float>(ReadLeU32(p)); }
inline double ReadLeF64(const std::uint8_t* p) {
  return std::bit_cast<double>(std::uint64_t{ReadLeU32(p)} | std::uint64_t{ReadLeU32(p + 4)} << 32);
}

inline void WriteLeU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void WriteLeI32(std::uint8_t* p, std::int32_t v) { WriteLeU32(p, static_cast<std::uint32_t>(v)); }
inline void WriteLeI16(std::uint8_t* p, std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
}
inline void WriteLeF32(std::uint8_t* p, float v) { WriteLeU32(p, std::bit_cast<std::uint32_t>(v)); }
inline void WriteLeF64(std::uint8_t* p, double v) {
  const auto u = std::bit_cast<std::uint64_t>(v);
  WriteLeU32(p, static_cast<std::uint32_t>(u));
  WriteLeU32(p + 4, static_cast<std::uint32_t>(u >> 32));
}

}  // namespace quorvel
