// Turning a picture file, or a picture held in memory, into a TImagePair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "raster/image_pair.h"

namespace quorvel {

// Loads a BMP (24 or 32 bits, 15..5000 a side), PNG, JPG, WebP, TIFF, HEIC
// or AVIF file into pair, with the file's ICC profile (none for BMP).
// Returns 1 on success. On failure it returns 0, shows why through
// ShowMessage, and leaves the pair's picture as it was; pair.path and
// pair.fileType record the attempt once the file exists.
int LoadImageFile(TImagePair& pair, const std::filesystem::path& path);

// Decodes a PNG (formatCode 2) or JPEG (3) held in memory into pair.src,
// width, height and bitDepth, and marks the pair loaded. Returns 0 with the
// pair untouched for any other code, an empty block or an undecodable one.
// Shows no message: the blocks come from the program itself.
int LoadPngResource(int formatCode, const std::uint8_t* data, std::size_t size, TImagePair& pair);

}  // namespace quorvel
