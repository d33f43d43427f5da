#include "imagefiles/loader.h"

#include <algorithm>
#include <new>
#include <system_error>

#include "imagefiles/bmp_reader.h"
#include "imagefiles/codec.h"
#include "imagefiles/file_names.h"
#include "imagefiles/messages.h"
#include "raster/message_sink.h"

namespace quorvel {
namespace {

const char* MessageFor(BmpVerdict verdict) {
  switch (verdict) {
    case BmpVerdict::kBadBitDepth: return kMsgBadBitDepth;
    case BmpVerdict::kBadSize: return kMsgBadBmpSize;
    case BmpVerdict::kOutOfMemory: return kMsgLoadNoMemory;
    default: return kMsgUnreadable;
  }
}

const char* MessageFor(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::kTooLarge: return kMsgTooLarge;
    case DecodeStatus::kOutOfMemory: return kMsgLoadNoMemory;
    default: return kMsgUnreadable;
  }
}

// The codec hands its picture over as a BMP memory image, read like a file.
// Taken rather than copied: a fresh 100 MB block costs more than decoding.
DecodeStatus TakeFromCodec(ImageCodec& codec, TDecodedPicture& out, ByteBlock& profile) {
  if (!codec.HasPicture()) return codec.Status();
  profile = codec.IccProfile();
  const std::int32_t width = codec.Width(), height = codec.Height();
  if (codec.TakePixels(out.pixels)) {
    out.width = width;
    out.height = height;
    out.bitDepth = codec.HasAlpha() ? 32 : 24;
    return DecodeStatus::kDecoded;
  }
  ByteBlock image;
  if (!codec.TakeMemoryImage(image)) return DecodeStatus::kUnreadable;
  // The codec's own image is always consistent: only memory can fail here.
  if (!ReadBmpMemoryImage(image.data(), image.size(), out)) return DecodeStatus::kOutOfMemory;
  return DecodeStatus::kDecoded;
}

// Only now, with everything read, does the old picture go.
void GivePicture(TImagePair& pair, TDecodedPicture& picture, ByteBlock& profile) {
  pair.src = std::move(picture.pixels);
  pair.iccProfile = std::move(profile);
  pair.width = picture.width;
  pair.height = picture.height;
  pair.bitDepth = picture.bitDepth;
}

int CodecFormatFor(int fileType) {
  switch (fileType) {
    case kFileTypePng: return kFormatPng;
    case kFileTypeJpg: return kFormatJpeg;
    case kFileTypeWebp: return kFormatWebp;
    case kFileTypeTiff: return kFormatTiff;
    case kFileTypeHeif: return kFormatHeif;
    default: return 0;
  }
}

int LoadInto(TImagePair& pair, const std::filesystem::path& path);

}  // namespace

int LoadImageFile(TImagePair& pair, const std::filesystem::path& path) {
  try {
    return LoadInto(pair, path);
  } catch (const std::bad_alloc&) {
    // Raised before the picture was handed over: the pair keeps its own.
    ShowMessage(kMsgLoadNoMemory);
    return 0;
  }
}

namespace {

int LoadInto(TImagePair& pair, const std::filesystem::path& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) {
    ShowMessage(kMsgUnreadable);
    return 0;
  }
  pair.path = path;
  pair.fileType = ImageFileType(path.native());

  TDecodedPicture picture;
  ByteBlock profile;
  if (pair.fileType == kFileTypeBmp) {
    const BmpVerdict verdict = ReadBmpFile(path, picture);
    if (verdict != BmpVerdict::kRead) {
      ShowMessage(MessageFor(verdict));
      return 0;
    }
  } else if (const int format = CodecFormatFor(pair.fileType)) {
    ImageCodec codec;
    codec.WantPixels(true);
    codec.DecodeFile(path, format);
    const DecodeStatus status = TakeFromCodec(codec, picture, profile);
    if (status != DecodeStatus::kDecoded) {
      ShowMessage(MessageFor(status));
      return 0;
    }
  } else {
    ShowMessage(kMsgUnreadable);
    return 0;
  }

  GivePicture(pair, picture, profile);
  pair.loaded = 1;
  pair.squareSide = std::max(pair.width, pair.height);
  DropDerived(pair);
  ExtractFileTitle(pair.title, path.native());
  return 1;
}

}  // namespace

int LoadPngResource(int formatCode, const std::uint8_t* data, std::size_t size, TImagePair& pair) {
  if (!data || size == 0) return 0;
  if (formatCode != kFileTypePng && formatCode != kFileTypeJpg) return 0;
  ImageCodec codec;
  codec.DecodeMemory(data, size, formatCode == kFileTypePng ? kFormatPng : kFormatJpeg);
  TDecodedPicture picture;
  ByteBlock profile;
  if (TakeFromCodec(codec, picture, profile) != DecodeStatus::kDecoded) return 0;
  GivePicture(pair, picture, profile);
  pair.loaded = 1;
  return 1;
}

}  // namespace quorvel
