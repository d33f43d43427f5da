#include "cli/test_card.h"

#include <cmath>

namespace quorvel {
namespace {

Pixel Rgb(int r, int g, int b) { return 0xFF000000u | Pixel(r) << 16 | Pixel(g) << 8 | Pixel(b); }

}  // namespace

void MakeTestCard(std::int32_t side, TImagePair& pair) {
  ClearPair(pair);
  AllocBlock(pair.src, side, side);
  const double centre = side * 0.5, ring = side / 10.0;
  for (std::int32_t row = 0; row < side; ++row) {      // display row, from the top
    for (std::int32_t col = 0; col < side; ++col) {
      const bool left = col < centre, top = row < centre;
      const bool dark = ((col * 8 / side) + (row * 8 / side)) % 2 == 1;
      const int shade = dark ? 0 : 60;
      Pixel p = top ? (left ? Rgb(200 + shade / 2, 40 + shade, 40 + shade) : Rgb(40 + shade, 170 + shade, 60 + shade))
                    : (left ? Rgb(40 + shade, 80 + shade, 200 + shade / 2) : Rgb(220, 190 + shade / 2, 30 + shade));
      const double r = std::hypot(col + 0.5 - centre, row + 0.5 - centre);
      if (std::fmod(r, ring) < side / 150.0 + 1.0) p = Rgb(20, 20, 20);
      if (std::fabs(col + 0.5 - centre) < side / 200.0 + 0.5 || std::fabs(row + 0.5 - centre) < side / 200.0 + 0.5)
        p = Rgb(255, 255, 255);
      pair.src[std::size_t(side - 1 - row) * side + col] = p;
    }
  }
  pair.width = pair.height = pair.squareSide = side;
  pair.bitDepth = 24;
  pair.loaded = 1;
}

}  // namespace quorvel
