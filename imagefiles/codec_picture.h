// The codec layer's held picture and the format workers behind ImageCodec.
// Each library is seen only by its own codec_<format>.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "raster/pixels.h"

namespace quorvel {

// Largest side the codec layer accepts; the resampler's limit, and it keeps
// a 32-bit memory image within the BMP's 32-bit file size field.
inline constexpr std::int32_t kMaxCodecSide = 32767;

enum class DecodeStatus { kEmpty, kDecoded, kUnreadable, kTooLarge, kOutOfMemory };

// The picture kept as the BMP memory image it is handed out as: 54 header
// bytes, then bottom-up rows padded to 4 bytes, B G R (24) or B G R A (32).
struct TCodecPicture {
  ByteBlock image;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;
  std::size_t stride = 0;
  ByteBlock iccProfile;  // as the file carried it; empty without one
  // Asked for by the loader: a decoder that can writes its rows straight
  // into pixels, 32-bit in the loader's own layout, and leaves image empty
  // (bitCount still says what the file held). A 100 MB intermediate image
  // and its conversion cost more than the decoding.
  bool wantPixels = false;
  PixelBlock pixels;
  // For encoding only: bottom-up rows held elsewhere, read instead of image
  // (a picture is written from its own block, not from a copy of it).
  const std::uint8_t* borrowedRows = nullptr;

  // Row r counted from the top of the picture.
  std::uint8_t* TopRow(std::int32_t r) {
    return image.data() + 54 + static_cast<std::size_t>(height - 1 - r) * stride;
  }
  const std::uint8_t* TopRow(std::int32_t r) const {
    const std::uint8_t* rows = borrowedRows ? borrowedRows : image.data() + 54;
    return rows + static_cast<std::size_t>(height - 1 - r) * stride;
  }
};

// Sizes picture for width x height at 24 or 32 bits and writes its headers;
// false when a side is outside [1, kMaxCodecSide] or memory runs out.
bool AllocCodecPicture(TCodecPicture& picture, std::int32_t width, std::int32_t height,
                       std::uint16_t bitCount);

// Allocates a scratch block without exceptions.
bool TryAllocBytes(ByteBlock& block, std::size_t size);

// Allocates width x height pixels without exceptions (contents undefined).
bool TryAllocPixels(PixelBlock& block, std::int32_t width, std::int32_t height);

DecodeStatus DecodePng(const std::uint8_t* data, std::size_t size, TCodecPicture& out);
DecodeStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, TCodecPicture& out);
bool EncodePng(const TCodecPicture& picture, std::FILE* file);
bool EncodeJpeg(const TCodecPicture& picture, std::FILE* file, int quality);
DecodeStatus DecodeWebp(const std::uint8_t* data, std::size_t size, TCodecPicture& out);
bool EncodeWebp(const TCodecPicture& picture, std::FILE* file, int quality);
DecodeStatus DecodeTiff(const std::uint8_t* data, std::size_t size, TCodecPicture& out);
bool EncodeTiff(const TCodecPicture& picture, std::FILE* file);
DecodeStatus DecodeHeif(const std::uint8_t* data, std::size_t size, TCodecPicture& out);

// Whether any pixel of a 32-bit picture is less than opaque.
bool HasTransparency(const TCodecPicture& picture);

// Turns 32-bit pixels stored with premultiplied colour into straight
// colour, as the rest of the system keeps them.
void UnpremultiplyRow(std::uint8_t* bgra, std::int32_t width);

}  // namespace quorvel
