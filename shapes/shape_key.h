// The scrambling of a shape file's header and outline records: the byte at
// file offset i is stored as (plain + K[i mod 256]) mod 256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvel {

// Files in the field can only be read with this exact table: never change it.
extern const std::array<std::uint8_t, 256> kShapeKey;

// Subtracts the key from count bytes in place, the first byte taking key
// position key_position (mod 256). Returns the key position after the run.
std::uint32_t UnscrambleShapeBytes(std::uint8_t* bytes, std::size_t count,
                                   std::uint32_t key_position);

// The inverse, for the writer.
std::uint32_t ScrambleShapeBytes(std::uint8_t* bytes, std::size_t count,
                                 std::uint32_t key_position);

}  // namespace quorvel
