// HEIC and AVIF through libheif, with the decoders it is built with: the
// primary picture, turned and cropped as its file says (libheif applies the
// transformations), brought to 8 bits a sample.
#include <libheif/heif.h>

#include <cstring>

#include "imagefiles/codec_picture.h"

namespace quorvel {
namespace {

void InitLibheif() {
  static const bool initialised = [] {
    heif_init(nullptr);
    return true;
  }();
  (void)initialised;
}

void ReadIccProfile(const heif_image_handle* handle, TCodecPicture& out) {
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
  if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return;
  const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
  if (size == 0 || !TryAllocBytes(out.iccProfile, size)) return;
  if (heif_image_handle_get_raw_color_profile(handle, out.iccProfile.data()).code != heif_error_Ok)
    ByteBlock().swap(out.iccProfile);
}

bool CopyPlane(const heif_image* image, bool alpha, TCodecPicture& out) {
  if (heif_image_get_width(image, heif_channel_interleaved) != out.width ||
      heif_image_get_height(image, heif_channel_interleaved) != out.height ||
      heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8)
    return false;
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  if (!plane || stride <= 0) return false;
  const int bytes = alpha ? 4 : 3;
  for (std::int32_t r = 0; r < out.height; ++r) {
    const std::uint8_t* s = plane + static_cast<std::ptrdiff_t>(r) * stride;
    std::uint8_t* d = out.TopRow(r);
    for (std::int32_t x = 0; x < out.width; ++x, s += bytes, d += bytes) {
      d[0] = s[2], d[1] = s[1], d[2] = s[0];
      if (alpha) d[3] = s[3];
    }
  }
  return true;
}

struct HeifObjects {
  heif_context* context = nullptr;
  heif_image_handle* handle = nullptr;
  heif_decoding_options* options = nullptr;
  heif_image* image = nullptr;
  ~HeifObjects() {
    if (image) heif_image_release(image);
    if (options) heif_decoding_options_free(options);
    if (handle) heif_image_handle_release(handle);
    if (context) heif_context_free(context);
  }
};

}  // namespace

DecodeStatus DecodeHeif(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  InitLibheif();
  HeifObjects h;
  h.context = heif_context_alloc();
  if (!h.context) return DecodeStatus::kUnreadable;
  // libheif then refuses a larger picture while reading its boxes.
  heif_context_set_maximum_image_size_limit(h.context, kMaxCodecSide);
  const heif_error read = heif_context_read_from_memory_without_copy(h.context, data, size, nullptr);
  if (read.code != heif_error_Ok)
    return read.subcode == heif_suberror_Security_limit_exceeded ? DecodeStatus::kTooLarge
                                                                 : DecodeStatus::kUnreadable;
  if (heif_context_get_primary_image_handle(h.context, &h.handle).code != heif_error_Ok)
    return DecodeStatus::kUnreadable;
  const int width = heif_image_handle_get_width(h.handle);
  const int height = heif_image_handle_get_height(h.handle);
  if (width > kMaxCodecSide || height > kMaxCodecSide) return DecodeStatus::kTooLarge;
  const bool alpha = heif_image_handle_has_alpha_channel(h.handle) != 0;
  h.options = heif_decoding_options_alloc();
  if (!h.options) return DecodeStatus::kUnreadable;
  h.options->convert_hdr_to_8bit = 1;
  const heif_error decoded =
      heif_decode_image(h.handle, &h.image, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, h.options);
  if (decoded.code != heif_error_Ok || !h.image) return DecodeStatus::kUnreadable;
  // The decoded size is what counts: a crop may have made it smaller.
  const int w = heif_image_get_width(h.image, heif_channel_interleaved);
  const int ht = heif_image_get_height(h.image, heif_channel_interleaved);
  if (!AllocCodecPicture(out, w, ht, alpha ? 32 : 24) || !CopyPlane(h.image, alpha, out)) {
    out = TCodecPicture{};
    return DecodeStatus::kUnreadable;
  }
  if (alpha && heif_image_handle_is_premultiplied_alpha(h.handle))
    for (std::int32_t r = 0; r < out.height; ++r) UnpremultiplyRow(out.TopRow(r), out.width);
  ReadIccProfile(h.handle, out);
  return DecodeStatus::kDecoded;
}

}  // namespace quorvel
