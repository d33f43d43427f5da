#include "imagefiles/codec.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imagefiles/atomic_file.h"
#include "imagefiles/bmp_layout.h"
#include "imagefiles/regular_file.h"

namespace quorvel {
namespace {

// The exchange form read back: a bottom-up 24- or 32-bit BMP image such as
// EncodeMemory and the saver build.
DecodeStatus DecodeBmpImage(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  TBmpHeader header;
  if (size < kBmpReadHeaderSize || !ParseBmpHeader(data, header))
    return DecodeStatus::kUnreadable;
  if (header.bitCount != 24 && header.bitCount != 32) return DecodeStatus::kUnreadable;
  if (header.width <= 0 || header.height <= 0) return DecodeStatus::kUnreadable;
  if (header.width > kMaxCodecSide || header.height > kMaxCodecSide)
    return DecodeStatus::kTooLarge;
  const std::uint64_t needed = BmpPixelBytesNeeded(header.width, header.height, header.bitCount);
  if (header.pixelOffset > size || size - header.pixelOffset < needed)
    return DecodeStatus::kUnreadable;
  if (!AllocCodecPicture(out, header.width, header.height, header.bitCount))
    return DecodeStatus::kUnreadable;
  const std::uint8_t* rows = data + header.pixelOffset;
  const std::size_t used = header.bitCount == 32 ? out.stride : static_cast<std::size_t>(header.width) * 3;
  for (std::int32_t j = 0; j < header.height; ++j)
    std::memcpy(out.image.data() + kBmpHeadersSize + j * out.stride, rows + j * out.stride, used);
  return DecodeStatus::kDecoded;
}

bool ReadWholeFile(const std::filesystem::path& file, ByteBlock& out) {
  FileHandle handle = OpenRegularFile(file);
  std::FILE* f = handle.get();
  if (!f) return false;
  bool ok = fseeko(f, 0, SEEK_END) == 0;
  const off_t size = ok ? ftello(f) : -1;
  return size >= 0 && fseeko(f, 0, SEEK_SET) == 0 &&
         TryAllocBytes(out, static_cast<std::size_t>(size)) &&
         std::fread(out.data(), 1, out.size(), f) == out.size();
}

}  // namespace

bool TryAllocBytes(ByteBlock& block, std::size_t size) {
  try {
    block.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    ByteBlock().swap(block);
    return false;
  } catch (const std::length_error&) {
    ByteBlock().swap(block);
    return false;
  }
}

bool TryAllocPixels(PixelBlock& block, std::int32_t width, std::int32_t height) {
  try {
    AllocBlock(block, width, height);
    return true;
  } catch (const std::bad_alloc&) {
    ReleaseBlock(block);
    return false;
  } catch (const std::length_error&) {
    ReleaseBlock(block);
    return false;
  }
}

bool AllocCodecPicture(TCodecPicture& picture, std::int32_t width, std::int32_t height,
                       std::uint16_t bitCount) {
  if (width < 1 || height < 1 || width > kMaxCodecSide || height > kMaxCodecSide) return false;
  const std::size_t stride = BmpStride(width, bitCount);
  const std::size_t imageSize = stride * static_cast<std::size_t>(height);
  ByteBlock image;
  if (!TryAllocBytes(image, kBmpHeadersSize + imageSize)) return false;
  if (!FillBmpHeaders(image.data(), width, height, bitCount, imageSize)) return false;
  // Row pads are part of the memory image handed out; keep them zero.
  const std::size_t used = static_cast<std::size_t>(width) * (bitCount / 8);
  if (used < stride) {
    for (std::int32_t j = 0; j < height; ++j)
      std::memset(image.data() + kBmpHeadersSize + j * stride + used, 0, stride - used);
  }
  picture.image = std::move(image);
  picture.width = width;
  picture.height = height;
  picture.bitCount = bitCount;
  picture.stride = stride;
  return true;
}

bool HasTransparency(const TCodecPicture& picture) {
  if (picture.bitCount != 32) return false;
  for (std::int32_t r = 0; r < picture.height; ++r) {
    const std::uint8_t* p = picture.TopRow(r) + 3;
    for (std::int32_t x = 0; x < picture.width; ++x, p += 4)
      if (*p != 255) return true;
  }
  return false;
}

void UnpremultiplyRow(std::uint8_t* bgra, std::int32_t width) {
  for (std::int32_t x = 0; x < width; ++x, bgra += 4) {
    const unsigned a = bgra[3];
    if (a == 255) continue;
    for (int c = 0; c < 3; ++c)
      bgra[c] = a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (bgra[c] * 255u + a / 2) / a));
  }
}

int SniffFormat(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return kFormatPng;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return kFormatJpeg;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return kFormatBmp;
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0)
    return kFormatWebp;
  // Classic and big TIFF, either byte order.
  if (size >= 4 && ((data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0) ||
                    (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43))))
    return kFormatTiff;
  // An ISO media file whose major brand is a still-picture one.
  if (size >= 12 && std::memcmp(data + 4, "ftyp", 4) == 0) {
    static const char* const kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx",
                                          "mif1", "msf1", "avif", "avis"};
    for (const char* brand : kBrands)
      if (std::memcmp(data + 8, brand, 4) == 0) return kFormatHeif;
  }
  return 0;
}

DecodeStatus ImageCodec::DecodeFile(const std::filesystem::path& file, int format) {
  picture_ = TCodecPicture{};
  ByteBlock bytes;
  if (!ReadWholeFile(file, bytes)) return status_ = DecodeStatus::kUnreadable;
  return DecodeMemory(bytes.data(), bytes.size(), format);
}

DecodeStatus ImageCodec::DecodeMemory(const std::uint8_t* data, std::size_t size, int format) {
  picture_ = TCodecPicture{};
  if (!data || size == 0) return status_ = DecodeStatus::kUnreadable;
  status_ = DecodeAs(data, size, format);
  if (status_ == DecodeStatus::kUnreadable) {
    // Only the compressed formats stand in for each other: a BMP file never
    // reaches the codec's BMP reader, which skips the loader's BMP checks.
    const int actual = SniffFormat(data, size);
    if (actual != format && actual != 0 && actual != kFormatBmp && format != kFormatBmp)
      status_ = DecodeAs(data, size, actual);
  }
  if (status_ != DecodeStatus::kDecoded) picture_ = TCodecPicture{};
  return status_;
}

DecodeStatus ImageCodec::DecodeAs(const std::uint8_t* data, std::size_t size, int format) {
  picture_ = TCodecPicture{};
  picture_.wantPixels = wantPixels_;
  switch (format) {
    case kFormatPng: return DecodePng(data, size, picture_);
    case kFormatJpeg: return DecodeJpeg(data, size, picture_);
    case kFormatBmp: return DecodeBmpImage(data, size, picture_);
    case kFormatWebp: return DecodeWebp(data, size, picture_);
    case kFormatTiff: return DecodeTiff(data, size, picture_);
    case kFormatHeif: return DecodeHeif(data, size, picture_);
    default: return DecodeStatus::kUnreadable;
  }
}

bool ImageCodec::EncodeMemory(int format, ByteBlock& out) const {
  if (format != kFormatBmp || !HasPicture() || !out.empty() || !picture_.pixels.empty()) return false;
  if (!TryAllocBytes(out, picture_.image.size())) return false;
  std::memcpy(out.data(), picture_.image.data(), out.size());
  return true;
}

bool ImageCodec::TakePixels(PixelBlock& out) {
  if (!HasPicture() || picture_.pixels.empty()) return false;
  out = std::move(picture_.pixels);
  picture_ = TCodecPicture{};
  status_ = DecodeStatus::kEmpty;
  return true;
}

bool ImageCodec::TakeMemoryImage(ByteBlock& out) {
  if (!HasPicture() || !out.empty() || !picture_.pixels.empty()) return false;
  out = std::move(picture_.image);
  picture_ = TCodecPicture{};
  status_ = DecodeStatus::kEmpty;
  return true;
}

namespace {

bool EncodePictureFile(const TCodecPicture& picture, const std::filesystem::path& file, int format) {
  if (format == kFormatJpeg)
    return WriteFileAtomically(file, [&](std::FILE* f) { return EncodeJpeg(picture, f, kJpegQuality); });
  if (format == kFormatPng)
    return WriteFileAtomically(file, [&](std::FILE* f) { return EncodePng(picture, f); });
  if (format == kFormatWebp)
    return WriteFileAtomically(file, [&](std::FILE* f) { return EncodeWebp(picture, f, kJpegQuality); });
  if (format == kFormatTiff)
    return WriteFileAtomically(file, [&](std::FILE* f) { return EncodeTiff(picture, f); });
  return false;
}

}  // namespace

bool ImageCodec::EncodeFile(const std::filesystem::path& file, int format) const {
  if (!HasPicture() || !picture_.pixels.empty()) return false;
  return EncodePictureFile(picture_, file, format);
}

bool EncodePixelsFile(const Pixel* pixels, std::int32_t width, std::int32_t height,
                      const ByteBlock& profile, const std::filesystem::path& file, int format) {
  if (!pixels || width < 1 || height < 1 || width > kMaxCodecSide || height > kMaxCodecSide) return false;
  TCodecPicture view;
  view.borrowedRows = reinterpret_cast<const std::uint8_t*>(pixels);
  view.width = width;
  view.height = height;
  view.bitCount = 32;
  view.stride = static_cast<std::size_t>(width) * 4;
  view.iccProfile = profile;
  return EncodePictureFile(view, file, format);
}

}  // namespace quorvel
