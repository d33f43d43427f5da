#include "imagefiles/saver.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imagefiles/atomic_file.h"
#include "imagefiles/bmp_layout.h"
#include "imagefiles/codec.h"
#include "imagefiles/file_names.h"
#include "imagefiles/messages.h"
#include "raster/blend.h"
#include "raster/message_sink.h"

namespace quorvel {
namespace {

bool HasResult(const TImagePair& pair) {
  return pair.width > 0 && pair.height > 0 &&
         pair.result.size() >= static_cast<std::size_t>(pair.width) * pair.height;
}

// The 32-bit memory image the codec layer reads: headers, then the pixels
// in their memory order.
bool BuildMemoryImage(const Pixel* pixels, std::int32_t height, std::int32_t width,
                      ByteBlock& image) {
  if (!pixels || width <= 0 || height <= 0) return false;
  const std::size_t pixelBytes = static_cast<std::size_t>(width) * height * 4;
  if (!TryAllocBytes(image, pixelBytes + kBmpHeadersSize)) return false;
  if (!FillBmpHeaders(image.data(), width, height, 32, pixelBytes)) return false;
  std::memcpy(image.data() + kBmpHeadersSize, pixels, pixelBytes);
  return true;
}

enum class Written { kYes, kNo, kNoMemory };

bool WriteBmp24FromPixels(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
                          std::int32_t width);

Written WriteThroughCodec(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
                          std::int32_t width, int format, const ByteBlock& profile) {
  ByteBlock image;
  if (!BuildMemoryImage(pixels, height, width, image)) return Written::kNoMemory;
  ImageCodec codec;
  const DecodeStatus status = codec.DecodeMemory(image.data(), image.size(), kFormatBmp);
  if (status != DecodeStatus::kDecoded)
    return status == DecodeStatus::kOutOfMemory ? Written::kNoMemory : Written::kNo;
  ByteBlock().swap(image);
  codec.SetIccProfile(profile);
  return codec.EncodeFile(path, format) ? Written::kYes : Written::kNo;
}

Written WriteResult(TImagePair& pair, const std::filesystem::path& path, int type) {
  if (type == kFileTypeBmp) {
    ComposeOverWhite(pair);
    return WriteBmp24FromPixels(pair.composite.data(), pair.height, path, pair.width) ? Written::kYes
                                                                                      : Written::kNo;
  }
  if (type == kFileTypeJpg) {
    ComposeOverWhite(pair);
    // The encoder reads the composite's rows where they are.
    return EncodePixelsFile(pair.composite.data(), pair.width, pair.height, pair.iccProfile, path, kFormatJpeg)
               ? Written::kYes
               : Written::kNo;
  }
  // The outside of the shape stays transparent: no white underneath.
  const int format = type == kFileTypePng    ? kFormatPng
                     : type == kFileTypeWebp ? kFormatWebp
                     : type == kFileTypeTiff ? kFormatTiff
                                             : 0;
  if (format == 0) return Written::kNo;
  return WriteThroughCodec(pair.result.data(), pair.height, path, pair.width, format, pair.iccProfile);
}

bool WriteBmp24Rows(std::FILE* f, const std::uint8_t* rows, std::int32_t height,
                    std::int32_t width, const std::uint8_t* headers) {
  static const std::uint8_t kZeros[4] = {0, 0, 0, 0};
  const std::size_t used = static_cast<std::size_t>(width) * 3;
  const std::size_t pad = (4 - used % 4) % 4;
  if (std::fwrite(headers, 1, kBmpHeadersSize, f) != kBmpHeadersSize) return false;
  for (std::int32_t j = 0; j < height; ++j) {
    if (std::fwrite(rows + j * used, 1, used, f) != used) return false;
    if (pad && std::fwrite(kZeros, 1, pad, f) != pad) return false;
  }
  return true;
}

// The 24-bit rows packed a band at a time on their way out: a packed copy
// of the whole picture would be one more large block to take and touch.
bool WriteBmp24PixelRows(std::FILE* f, const Pixel* pixels, std::int32_t height, std::int32_t width,
                         const std::uint8_t* headers) {
  const std::size_t used = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = (used + 3) / 4 * 4;
  const std::int32_t bandRows = static_cast<std::int32_t>(std::max<std::size_t>(1, (std::size_t{1} << 20) / stride));
  // Zeroed once: the row pads are never written over.
  std::vector<std::uint8_t> band(static_cast<std::size_t>(bandRows) * stride, 0);
  if (std::fwrite(headers, 1, kBmpHeadersSize, f) != kBmpHeadersSize) return false;
  for (std::int32_t j = 0; j < height; j += bandRows) {
    const std::int32_t rows = std::min(bandRows, height - j);
    for (std::int32_t r = 0; r < rows; ++r) {
      const std::uint8_t* c = reinterpret_cast<const std::uint8_t*>(pixels + static_cast<std::size_t>(j + r) * width);
      std::uint8_t* d = band.data() + static_cast<std::size_t>(r) * stride;
      for (std::int32_t x = 0; x < width; ++x, c += 4, d += 3) std::memcpy(d, c, 3);
    }
    const std::size_t bytes = static_cast<std::size_t>(rows) * stride;
    if (std::fwrite(band.data(), 1, bytes, f) != bytes) return false;
  }
  return true;
}

bool WriteBmp24FromPixels(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
                          std::int32_t width) {
  const std::uint64_t imageSize = BmpStride(width, 24) * static_cast<std::uint64_t>(height);
  std::uint8_t headers[kBmpHeadersSize];
  if (!FillBmpHeaders(headers, width, height, 24, imageSize)) return false;
  return WriteFileAtomically(path, [&](std::FILE* f) { return WriteBmp24PixelRows(f, pixels, height, width, headers); });
}

}  // namespace

void ComposeOverWhite(TImagePair& pair) {
  AllocBlock(pair.composite, pair.width, pair.height);
  const std::size_t count = pair.composite.size();
  for (std::size_t i = 0; i < count; ++i)
    pair.composite[i] = BlendOver(pair.result[i], PaneBackColor);
}

int WriteBmp24(const std::uint8_t* rows, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width) {
  if (!rows || width <= 0 || height <= 0) return 0;
  const std::uint64_t imageSize = BmpStride(width, 24) * static_cast<std::uint64_t>(height);
  std::uint8_t headers[kBmpHeadersSize];
  if (!FillBmpHeaders(headers, width, height, 24, imageSize)) return 0;
  return WriteFileAtomically(path, [&](std::FILE* f) {
           return WriteBmp24Rows(f, rows, height, width, headers);
         })
             ? 1
             : 0;
}

bool WriteJpeg(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width, const ByteBlock& profile) {
  return WriteThroughCodec(pixels, height, path, width, kFormatJpeg, profile) == Written::kYes;
}

bool WritePng(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
              std::int32_t width, const ByteBlock& profile) {
  return WriteThroughCodec(pixels, height, path, width, kFormatPng, profile) == Written::kYes;
}

bool WriteWebp(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width, const ByteBlock& profile) {
  return WriteThroughCodec(pixels, height, path, width, kFormatWebp, profile) == Written::kYes;
}

bool WriteTiff(const Pixel* pixels, std::int32_t height, const std::filesystem::path& path,
               std::int32_t width, const ByteBlock& profile) {
  return WriteThroughCodec(pixels, height, path, width, kFormatTiff, profile) == Written::kYes;
}

int SaveImageFile(TImagePair& pair, std::filesystem::path path) {
  if (!HasResult(pair)) return 0;
  int type = ImageFileType(path.native());
  if (type == kFileTypeNone || type == kFileTypeHeif) {
    path += ".bmp";
    type = kFileTypeBmp;
  }
  return SaveImageFileAs(pair, path, type);
}

int SaveImageFileAs(TImagePair& pair, const std::filesystem::path& path, int fileType) {
  if (!HasResult(pair)) return 0;
  Written written = Written::kNo;
  try {
    written = WriteResult(pair, path, fileType);
  } catch (const std::bad_alloc&) {
    written = Written::kNoMemory;
  }
  if (written == Written::kYes) return 1;
  ShowMessage(written == Written::kNoMemory ? kMsgSaveNoMemory : kMsgSaveFailed);
  return 0;
}

}  // namespace quorvel
