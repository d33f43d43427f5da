// A test card: a picture whose every part is easy to tell apart once warped
// (coloured quadrants, a checkerboard, rings about the centre, a cross).
#pragma once

#include <cstdint>

#include "raster/image_pair.h"

namespace quorvel {

// Fills pair.src with a side x side opaque card and marks the pair loaded.
void MakeTestCard(std::int32_t side, TImagePair& pair);

}  // namespace quorvel
