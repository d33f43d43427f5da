// PNG through libpng. Every function that calls libpng after a setjmp keeps
// only trivial locals and works on state owned by its caller, so the jump
// back from an error skips no destructor.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

#include "imagefiles/codec_picture.h"

namespace quorvel {
namespace {

struct PngSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > src->size - src->pos) png_error(png, "file ends early");
  std::memcpy(out, src->data + src->pos, count);
  src->pos += count;
}

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

struct PngDecodeState {
  PngSource source;
  TCodecPicture* out;
  std::vector<png_bytep> rows;
  DecodeStatus status = DecodeStatus::kUnreadable;
};

bool PointRowsAt(std::vector<png_bytep>& rows, TCodecPicture& picture) noexcept {
  try {
    rows.resize(static_cast<std::size_t>(picture.height));
  } catch (...) {
    return false;
  }
  for (std::int32_t r = 0; r < picture.height; ++r) rows[r] = picture.TopRow(r);
  return true;
}

// A profile libpng finds broken is dropped with a warning, not an error.
void ReadIccProfile(png_structp png, png_infop info, TCodecPicture& out) {
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 length = 0;
  if (png_get_iCCP(png, info, &name, &compression, &profile, &length) == PNG_INFO_iCCP &&
      profile && length > 0 && TryAllocBytes(out.iccProfile, length))
    std::memcpy(out.iccProfile.data(), profile, length);
}

void RunPngDecode(png_structp png, png_infop info, PngDecodeState* st) {
  if (setjmp(png_jmpbuf(png))) {
    st->status = DecodeStatus::kUnreadable;
    return;
  }
  // Let any legal size through libpng so that the size refusal is ours.
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_read_fn(png, &st->source, ReadFromMemory);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (width > kMaxCodecSide || height > kMaxCodecSide) {
    st->status = DecodeStatus::kTooLarge;
    return;
  }
  ReadIccProfile(png, info, *st->out);
  const int colorType = png_get_color_type(png, info);
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 ||
                     png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  // Palette, low-depth grey and tRNS become 8-bit RGB(A); gamma is not
  // applied, the stored samples are the picture.
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != (alpha ? 4 : 3))
    png_error(png, "unexpected sample layout");
  if (!AllocCodecPicture(*st->out, static_cast<std::int32_t>(width),
                         static_cast<std::int32_t>(height), alpha ? 32 : 24) ||
      !PointRowsAt(st->rows, *st->out)) {
    st->status = DecodeStatus::kOutOfMemory;  // the sides were checked above
    return;
  }
  png_read_image(png, st->rows.data());
  // Chunks after the image data (IEND included) are not needed.
  st->status = DecodeStatus::kDecoded;
}

struct PngEncodeState {
  std::FILE* file;
  const TCodecPicture* picture;
  std::vector<png_bytep> rows;
};

bool RunPngEncode(png_structp png, png_infop info, PngEncodeState* st) {
  if (setjmp(png_jmpbuf(png))) return false;
  const TCodecPicture& p = *st->picture;
  png_init_io(png, st->file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height),
               8, p.bitCount == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // A saved result is written once and read rarely: zlib's default effort
  // and trying all five row filters cost seconds on a large picture for a
  // little size. One filter and zlib's fastest level cut it to a seventh.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(png, 1);
  // A profile libpng refuses (one for grey pictures, say) is left out
  // rather than failing the save.
  png_set_benign_errors(png, 1);
  if (!p.iccProfile.empty())
    png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, p.iccProfile.data(),
                 static_cast<png_uint_32>(p.iccProfile.size()));
  png_write_info(png, info);
  png_set_bgr(png);
  png_write_image(png, st->rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

DecodeStatus DecodePng(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!png) return DecodeStatus::kUnreadable;
  png_infop info = png_create_info_struct(png);
  PngDecodeState state{{data, size, 0}, &out, {}, DecodeStatus::kUnreadable};
  if (info) RunPngDecode(png, info, &state);
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (state.status != DecodeStatus::kDecoded) out = TCodecPicture{};
  return state.status;
}

bool EncodePng(const TCodecPicture& picture, std::FILE* file) {
  PngEncodeState state{file, &picture, {}};
  try {
    state.rows.resize(static_cast<std::size_t>(picture.height));
  } catch (...) {
    return false;
  }
  for (std::int32_t r = 0; r < picture.height; ++r)
    state.rows[r] = const_cast<png_bytep>(picture.TopRow(r));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  const bool ok = info && RunPngEncode(png, info, &state);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return ok;
}

}  // namespace quorvel
