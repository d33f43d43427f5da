// EXIF orientation: how a stored JPEG picture is turned to be shown upright.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

// The Orientation tag (1..8) of IFD0 in an APP1 segment's payload (starting
// "Exif\0\0"); 1 when the segment is not EXIF, is malformed, or holds no
// valid tag.
int ExifOrientation(const std::uint8_t* payload, std::size_t size);

// True when the orientation swaps width and height (5..8).
inline bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// Writes the upright picture of src (top-down rows of width * 3 packed
// bytes) to dst, whose top row starts at dstTop and whose next row lies
// dstStep bytes further (negative for a bottom-up block). dst has the
// oriented size: sides swapped for 5..8.
void OrientPixels24(const std::uint8_t* src, std::int32_t width, std::int32_t height,
                    int orientation, std::uint8_t* dstTop, std::ptrdiff_t dstStep);
// The same for 4 bytes a pixel (B G R A).
void OrientPixels32(const std::uint8_t* src, std::int32_t width, std::int32_t height,
                    int orientation, std::uint8_t* dstTop, std::ptrdiff_t dstStep);

}  // namespace quorvel
