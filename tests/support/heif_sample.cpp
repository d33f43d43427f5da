#include "tests/support/heif_sample.h"

#include <libheif/heif.h>

namespace quorvel::testing {

bool WriteHeifSample(const Pixel* pixels, std::int32_t width, std::int32_t height, bool withAlpha,
                     HeifKind kind, const ByteBlock& profile, const std::filesystem::path& path,
                     int quality) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  heif_image_handle* handle = nullptr;
  bool ok = context &&
            heif_context_get_encoder_for_format(
                context, kind == HeifKind::kAvif ? heif_compression_AV1 : heif_compression_HEVC, &encoder)
                    .code == heif_error_Ok &&
            heif_encoder_set_lossy_quality(encoder, quality).code == heif_error_Ok;
  if (ok) {
    // Speed over size; an encoder without the parameter keeps its default.
    if (kind == HeifKind::kAvif)
      heif_encoder_set_parameter_integer(encoder, "speed", 9);
    else
      heif_encoder_set_parameter_string(encoder, "preset", "ultrafast");
  }
  ok = ok && heif_image_create(width, height, heif_colorspace_RGB,
                               withAlpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                               &image).code == heif_error_Ok &&
       heif_image_add_plane(image, heif_channel_interleaved, width, height, 8).code == heif_error_Ok;
  if (ok) {
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int bytes = withAlpha ? 4 : 3;
    for (std::int32_t y = 0; y < height; ++y) {
      const Pixel* row = pixels + static_cast<std::size_t>(height - 1 - y) * width;
      std::uint8_t* d = plane + static_cast<std::ptrdiff_t>(y) * stride;
      for (std::int32_t x = 0; x < width; ++x, d += bytes) {
        d[0] = static_cast<std::uint8_t>(row[x] >> 16);
        d[1] = static_cast<std::uint8_t>(row[x] >> 8);
        d[2] = static_cast<std::uint8_t>(row[x]);
        if (withAlpha) d[3] = static_cast<std::uint8_t>(row[x] >> 24);
      }
    }
    if (!profile.empty())
      ok = heif_image_set_raw_color_profile(image, "prof", profile.data(), profile.size()).code == heif_error_Ok;
  }
  ok = ok && heif_context_encode_image(context, image, encoder, nullptr, &handle).code == heif_error_Ok &&
       heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
  if (handle) heif_image_handle_release(handle);
  if (image) heif_image_release(image);
  if (encoder) heif_encoder_release(encoder);
  if (context) heif_context_free(context);
  return ok;
}

}  // namespace quorvel::testing

// libx265 keeps a few blocks of its encoder until the process ends, and
// libheif's AV1 plug-in leaves dav1d's data behind on a broken frame; the
// leak checker of the sanitizer builds would count them against the tests.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\nleak:libdav1d.so\n"; }
