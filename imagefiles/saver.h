// Writing a warp result: BMP and JPEG laid over white, PNG with its alpha.
#pragma once

#include <cstdint>
#include <filesystem>

#include "raster/image_pair.h"
#include "raster/pixels.h"

namespace quorvel {

// Writes pair.result to path by its ending: "bmp" (and any unknown or
// read-only ending, which gets ".bmp" appended) a 24-bit BMP, "jpg" a JPEG
// at quality 90, both of the result laid over white; "png", "webp" and
// "tif"/"tiff" the result with its alpha. pair.iccProfile goes into every
// format but BMP.
// Returns 1 when written; 0 without a result, or when writing failed, which
// shows a message and leaves an existing file as it was.
int SaveImageFile(TImagePair& pair, std::filesystem::path path);

// Writes pair.result as fileType (kFileTypeBmp, kFileTypeJpg, kFileTypePng,
// kFileTypeWebp, kFileTypeTiff)
// whatever path's ending; otherwise as SaveImageFile. Running out of memory
// is reported as the reason the save failed.
int SaveImageFileAs(TImagePair& pair, const std::filesystem::path& path, int fileType);

// pair.composite = every result pixel BlendOver PaneBackColor.
void ComposeOverWhite(TImagePair& pair);

// Writes a 24-bit BMP of width x height from rows of width * 3 packed
// bytes, bottom row first. Returns 1, or 0 when the file was not written.
int WriteBmp24(const std::uint8_t* rows, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width);

// Writes bottom-up 32-bit pixels as a JPEG at quality 90 (alpha dropped).
// A non-empty profile is embedded, in this and the writers below.
bool WriteJpeg(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width, const ByteBlock& profile = ByteBlock());

// Writes bottom-up 32-bit pixels as an RGBA PNG, alpha kept.
bool WritePng(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
              std::int32_t width, const ByteBlock& profile = ByteBlock());

// Writes bottom-up 32-bit pixels as a WebP: lossless with alpha when some
// pixel is not opaque, else lossy at quality 90.
bool WriteWebp(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width, const ByteBlock& profile = ByteBlock());

// Writes bottom-up 32-bit pixels as an 8-bit RGBA TIFF, deflated.
bool WriteTiff(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width, const ByteBlock& profile = ByteBlock());

}  // namespace quorvel
