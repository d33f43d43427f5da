#include "shapes/shape_key.h"

namespace quorvel {
namespace {

// K[i] = ((167 i + 89) mod 256) xor (i^2 mod 251).
constexpr std::array<std::uint8_t, 256> MakeShapeKey() {
  std::array<std::uint8_t, 256> key{};
  for (std::uint32_t i = 0; i < 256; ++i)
    key[i] = static_cast<std::uint8_t>(((167 * i + 89) % 256) ^ ((i * i) % 251));
  return key;
}

}  // namespace

const std::array<std::uint8_t, 256> kShapeKey = MakeShapeKey();

std::uint32_t UnscrambleShapeBytes(std::uint8_t* bytes, std::size_t count,
                                   std::uint32_t key_position) {
  std::uint32_t j = key_position % 256;
  for (std::size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<std::uint8_t>(bytes[i] - kShapeKey[j]);
    j = (j + 1) % 256;
  }
  return j;
}

std::uint32_t ScrambleShapeBytes(std::uint8_t* bytes, std::size_t count,
                                 std::uint32_t key_position) {
  std::uint32_t j = key_position % 256;
  for (std::size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<std::uint8_t>(bytes[i] + kShapeKey[j]);
    j = (j + 1) % 256;
  }
  return j;
}

}  // namespace quorvel
