#include "imagefiles/bmp_reader.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "imagefiles/bmp_layout.h"
#include "imagefiles/regular_file.h"

namespace quorvel {
namespace {

bool SideInBmpRange(std::int32_t side) { return side >= kMinBmpSide && side <= kMaxBmpSide; }

// Allocation failure is an unreadable picture, not an exception.
bool TryAlloc(PixelBlock& block, std::int32_t width, std::int32_t height) {
  try {
    AllocBlock(block, width, height);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Bytes of pixel data the file really offers at the header's pixel offset.
std::int64_t PixelBytesOffered(const TBmpHeader& header, std::int64_t actualSize) {
  const std::int64_t offset = header.pixelOffset;
  if (offset > actualSize) return 0;
  const std::int64_t promised = static_cast<std::int64_t>(header.fileSize) - offset;
  return std::min(promised, actualSize - offset);
}

// Reads and converts a band of rows at a time: a whole-file buffer would be
// one more large block to allocate and touch.
bool Read24BitRows(std::FILE* f, const TBmpHeader& header, std::uint64_t needed, Pixel* out) {
  const std::size_t stride = static_cast<std::size_t>(BmpStride(header.width, 24));
  const std::int32_t bandRows = static_cast<std::int32_t>(std::max<std::size_t>(1, (1u << 20) / stride));
  std::unique_ptr<std::uint8_t[]> band(new (std::nothrow) std::uint8_t[bandRows * stride]);
  if (!band) return false;
  for (std::int32_t j = 0; j < header.height; j += bandRows) {
    const std::int32_t rows = std::min(bandRows, header.height - j);
    // The last band may lack the pad after the picture's last row.
    const std::size_t bytes = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(rows) * stride, needed - j * stride));
    if (std::fread(band.get(), 1, bytes, f) != bytes) return false;
    ConvertBmpRows(band.get(), header.width, rows, 24, out + static_cast<std::size_t>(j) * header.width);
  }
  return true;
}

BmpVerdict ReadPixelData(std::FILE* f, const TBmpHeader& header, TDecodedPicture& out) {
  constexpr BmpVerdict kUnreadable = BmpVerdict::kUnreadable;
  if (fseeko(f, 0, SEEK_END) != 0) return kUnreadable;
  const std::int64_t actualSize = ftello(f);
  const std::uint64_t needed =
      BmpPixelBytesNeeded(header.width, header.height, header.bitCount);
  const std::int64_t offered = PixelBytesOffered(header, actualSize);
  if (offered <= 0 || static_cast<std::uint64_t>(offered) < needed) return kUnreadable;
  if (fseeko(f, header.pixelOffset, SEEK_SET) != 0) return kUnreadable;

  TDecodedPicture picture;
  if (!TryAlloc(picture.pixels, header.width, header.height)) return BmpVerdict::kOutOfMemory;
  if (header.bitCount == 32) {
    // 32-bit rows are the block's own layout: read them in place.
    if (std::fread(picture.pixels.data(), 1, needed, f) != needed) return kUnreadable;
  } else if (!Read24BitRows(f, header, needed, picture.pixels.data())) {
    return kUnreadable;
  }
  picture.width = header.width;
  picture.height = header.height;
  picture.bitDepth = header.bitCount;
  out = std::move(picture);
  return BmpVerdict::kRead;
}

}  // namespace

BmpVerdict ReadBmpFile(const std::filesystem::path& path, TDecodedPicture& out) {
  FileHandle f = OpenRegularFile(path);
  if (!f) return BmpVerdict::kUnreadable;
  std::uint8_t head[kBmpReadHeaderSize];
  TBmpHeader header;
  if (std::fread(head, 1, kBmpFileHeaderSize, f.get()) != kBmpFileHeaderSize ||
      head[0] != 'B' || head[1] != 'M')
    return BmpVerdict::kUnreadable;
  const std::size_t rest = kBmpReadHeaderSize - kBmpFileHeaderSize;
  if (std::fread(head + kBmpFileHeaderSize, 1, rest, f.get()) != rest)
    return BmpVerdict::kUnreadable;
  ParseBmpHeader(head, header);
  if (header.bitCount != 24 && header.bitCount != 32) return BmpVerdict::kBadBitDepth;
  if (!SideInBmpRange(header.width) || !SideInBmpRange(header.height))
    return BmpVerdict::kBadSize;
  return ReadPixelData(f.get(), header, out);
}

bool ReadBmpMemoryImage(const std::uint8_t* data, std::size_t size, TDecodedPicture& out) {
  TBmpHeader header;
  if (!data || size < kBmpReadHeaderSize || !ParseBmpHeader(data, header)) return false;
  if (header.bitCount != 24 && header.bitCount != 32) return false;
  if (header.width <= 0 || header.height <= 0) return false;
  const std::uint64_t needed = BmpPixelBytesNeeded(header.width, header.height, header.bitCount);
  const std::uint64_t offset = header.pixelOffset;
  if (offset > size || size - offset < needed || header.fileSize > size) return false;

  TDecodedPicture picture;
  if (!TryAlloc(picture.pixels, header.width, header.height)) return false;
  ConvertBmpRows(data + offset, header.width, header.height, header.bitCount,
                 picture.pixels.data());
  picture.width = header.width;
  picture.height = header.height;
  picture.bitDepth = header.bitCount;
  out = std::move(picture);
  return true;
}

}  // namespace quorvel
