// Scaled copies of a picture kept inside its TImagePair.
#pragma once

#include <cstdint>

#include "raster/image_pair.h"

namespace quorvel {

enum class PreviewOf { Source = 0, Result = 1 };

// Fits the source (or the result) into a preview of width x height; never
// larger than the picture. Returns 1 on success, 0 otherwise.
int MakePreview(TImagePair& pair, std::int32_t width, std::int32_t height, PreviewOf which);

// Fills small.src with main's picture scaled to at most about 100 x 100 (the
// quick preview's input). Returns 1 on success, 0 otherwise.
int MakeSmallSource(TImagePair& small, const TImagePair& main);

}  // namespace quorvel
