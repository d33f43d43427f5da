// ImageCodec: the layer through which PNG and JPEG pictures are read and
// written, with BMP memory images as the exchange form. It holds at most one
// decoded picture; failures are results, never messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "imagefiles/codec_picture.h"

namespace quorvel {

// Format codes at the interface.
inline constexpr int kFormatBmp = 1;
inline constexpr int kFormatJpeg = 3;
inline constexpr int kFormatPng = 4;
inline constexpr int kFormatWebp = 5;
inline constexpr int kFormatTiff = 6;
inline constexpr int kFormatHeif = 7;  // HEIC and AVIF; decoded only

inline constexpr int kJpegQuality = 90;

class ImageCodec {
 public:
  ImageCodec() = default;

  // Decodes a file (or block) of the given format. When that fails, a file
  // of another codec format (not BMP) whose content says so is decoded as
  // what it is. A picture
  // above kMaxCodecSide a side is refused from its header, before its pixels
  // are allocated. A previous picture is dropped first.
  DecodeStatus DecodeFile(const std::filesystem::path& file, int format);
  DecodeStatus DecodeMemory(const std::uint8_t* data, std::size_t size, int format);

  DecodeStatus Status() const { return status_; }
  bool HasPicture() const { return status_ == DecodeStatus::kDecoded; }
  std::int32_t Width() const { return picture_.width; }
  std::int32_t Height() const { return picture_.height; }
  // Whether the held picture carries alpha (it is then held at 32 bits).
  bool HasAlpha() const { return picture_.bitCount == 32; }

  // The ICC profile the decoded file carried (empty without one), and the
  // one EncodeFile embeds; the pixels are never converted.
  const ByteBlock& IccProfile() const { return picture_.iccProfile; }
  void SetIccProfile(const ByteBlock& profile) { picture_.iccProfile = profile; }

  // Lets later decodes deliver their pixels as TakePixels hands them out,
  // where the format's decoder can.
  void WantPixels(bool wanted) { wantPixels_ = wanted; }

  // The held picture's 32-bit pixels (width * height, bottom-up, B G R A)
  // when the decoder wrote them so; the codec is then left empty. False,
  // and nothing taken, for a picture held as a memory image.
  [[nodiscard]] bool TakePixels(PixelBlock& out);

  // Copies the held picture out as a BMP memory image: 24 bits when opaque,
  // 32 with alpha kept. out must be empty on entry.
  [[nodiscard]] bool EncodeMemory(int format, ByteBlock& out) const;

  // The same memory image without a copy: the held picture is handed over
  // and the codec is left empty. For callers done with the codec.
  [[nodiscard]] bool TakeMemoryImage(ByteBlock& out);

  // Writes the held picture to file: kFormatJpeg at kJpegQuality (alpha
  // dropped); kFormatPng keeping alpha; kFormatWebp lossless when some pixel
  // is not opaque, else lossy at kJpegQuality; kFormatTiff as 8-bit RGBA,
  // deflated. The ICC profile goes along; no orientation is written. The file is replaced only once the
  // new one is complete.
  [[nodiscard]] bool EncodeFile(const std::filesystem::path& file, int format) const;

 private:
  DecodeStatus DecodeAs(const std::uint8_t* data, std::size_t size, int format);

  TCodecPicture picture_;
  DecodeStatus status_ = DecodeStatus::kEmpty;
  bool wantPixels_ = false;
};

// Writes bottom-up 32-bit pixels (B, G, R, A, rows packed) to file as
// EncodeFile writes a 32-bit picture, reading them where they are.
[[nodiscard]] bool EncodePixelsFile(const Pixel* pixels, std::int32_t width, std::int32_t height,
                                    const ByteBlock& profile, const std::filesystem::path& file,
                                    int format);

// The format a block's first bytes announce (kFormatPng, kFormatJpeg,
// kFormatBmp, kFormatWebp, kFormatTiff, kFormatHeif), or 0.
int SniffFormat(const std::uint8_t* data, std::size_t size);

}  // namespace quorvel
