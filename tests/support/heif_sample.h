// HEIC and AVIF files made with libheif's own encoders, for tests, seeds
// and benchmarks: the program itself only reads them.
#pragma once

#include <cstdint>
#include <filesystem>

#include "raster/pixels.h"

namespace quorvel::testing {

enum class HeifKind { kHeic, kAvif };

// Writes width x height bottom-up B G R A pixels (alpha kept when withAlpha)
// at the given lossy quality, with profile embedded when not empty. Fast
// encoder settings: these files are inputs, not results.
bool WriteHeifSample(const Pixel* pixels, std::int32_t width, std::int32_t height, bool withAlpha,
                     HeifKind kind, const ByteBlock& profile, const std::filesystem::path& path,
                     int quality = 90);

}  // namespace quorvel::testing
