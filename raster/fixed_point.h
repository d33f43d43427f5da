// The resampler's fixed-point rules, in one place.
//
// Positions are 16.16: the integer pixel in the high 16 bits, the fraction in
// the low 16, of which only the top 8 bits (x >> 8 & 255) pick a weight.
// Weights are 8.8 (256 = 1.0); a tap sum is weight_row * weight_col * byte,
// so the byte result is sum >> 16, clamped through ClampTable.
#pragma once

#include <cstdint>

namespace quorvel {

// Entry i = trunc(f(i / 256) * 256 + 0.5) for the a = -1 cubic kernel f,
// computed in double; negative values therefore round toward zero (entry 384
// is -31). Valid indices 0..512.
extern const std::int32_t* const BicubicWeightTable;

// Index -256..511 -> byte: 0 for <= 0, itself for 1..254, 255 for >= 255.
// Every resampler sum >> 16 stays inside that range.
extern const std::uint8_t* const ClampTable;

}  // namespace quorvel
