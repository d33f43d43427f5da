// WebP through libwebp: still pictures decoded straight into the held
// picture, an animation by its first frame; the profile rides in the ICCP
// chunk, read through the demuxer and written through the muxer.
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>

#include "imagefiles/codec_picture.h"

namespace quorvel {
namespace {

void ReadIccProfile(const WebPDemuxer* demux, TCodecPicture& out) {
  if (!(WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG)) return;
  WebPChunkIterator chunk;
  if (WebPDemuxGetChunk(demux, "ICCP", 1, &chunk) && chunk.chunk.size > 0 &&
      TryAllocBytes(out.iccProfile, chunk.chunk.size))
    std::memcpy(out.iccProfile.data(), chunk.chunk.bytes, chunk.chunk.size);
  WebPDemuxReleaseChunkIterator(&chunk);
}

// Straight into the bottom-up block: libwebp writes it flipped.
bool DecodeStill(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return false;
  config.output.colorspace = out.bitCount == 32 ? MODE_BGRA : MODE_BGR;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = out.image.data() + 54;
  config.output.u.RGBA.stride = static_cast<int>(out.stride);
  config.output.u.RGBA.size = out.stride * static_cast<std::size_t>(out.height);
  config.options.flip = 1;
  const bool ok = WebPDecode(data, size, &config) == VP8_STATUS_OK &&
                  config.output.width == out.width && config.output.height == out.height;
  WebPFreeDecBuffer(&config.output);
  return ok;
}

bool DecodeFirstFrame(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return false;
  options.color_mode = MODE_BGRA;
  const WebPData webp{data, size};
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
  if (!decoder) return false;
  WebPAnimInfo info;
  std::uint8_t* canvas = nullptr;
  int timestamp = 0;
  const bool ok = WebPAnimDecoderGetInfo(decoder, &info) &&
                  static_cast<std::int32_t>(info.canvas_width) == out.width &&
                  static_cast<std::int32_t>(info.canvas_height) == out.height &&
                  WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) && canvas;
  if (ok) {
    const std::size_t row = static_cast<std::size_t>(out.width) * 4;
    for (std::int32_t r = 0; r < out.height; ++r) std::memcpy(out.TopRow(r), canvas + r * row, row);
  }
  WebPAnimDecoderDelete(decoder);
  return ok;
}

// Fills an ARGB picture from the held one; B G R A bytes are ARGB words on
// this little-endian layout.
bool FillArgb(const TCodecPicture& p, WebPPicture& pic) {
  pic.use_argb = 1;
  pic.width = p.width;
  pic.height = p.height;
  if (!WebPPictureAlloc(&pic)) return false;
  for (std::int32_t r = 0; r < p.height; ++r) {
    const std::uint8_t* s = p.TopRow(r);
    std::uint32_t* d = pic.argb + static_cast<std::ptrdiff_t>(r) * pic.argb_stride;
    if (p.bitCount == 32) {
      std::memcpy(d, s, static_cast<std::size_t>(p.width) * 4);
      continue;
    }
    for (std::int32_t x = 0; x < p.width; ++x, s += 3)
      d[x] = 0xFF000000u | static_cast<std::uint32_t>(s[2]) << 16 |
             static_cast<std::uint32_t>(s[1]) << 8 | s[0];
  }
  return true;
}

bool WriteWithProfile(const WebPMemoryWriter& encoded, const ByteBlock& profile, std::FILE* file) {
  if (profile.empty()) return std::fwrite(encoded.mem, 1, encoded.size, file) == encoded.size;
  WebPMux* mux = WebPMuxNew();
  if (!mux) return false;
  const WebPData image{encoded.mem, encoded.size};
  const WebPData icc{profile.data(), profile.size()};
  WebPData assembled;
  WebPDataInit(&assembled);
  bool ok = WebPMuxSetImage(mux, &image, 0) == WEBP_MUX_OK &&
            WebPMuxSetChunk(mux, "ICCP", &icc, 0) == WEBP_MUX_OK &&
            WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
  ok = ok && std::fwrite(assembled.bytes, 1, assembled.size, file) == assembled.size;
  WebPDataClear(&assembled);
  WebPMuxDelete(mux);
  return ok;
}

}  // namespace

DecodeStatus DecodeWebp(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return DecodeStatus::kUnreadable;
  const WebPData webp{data, size};
  WebPDemuxer* demux = WebPDemux(&webp);
  if (!demux) return DecodeStatus::kUnreadable;
  const std::uint32_t width = WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
  const std::uint32_t height = WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
  ReadIccProfile(demux, out);
  WebPDemuxDelete(demux);
  if (width > kMaxCodecSide || height > kMaxCodecSide) return DecodeStatus::kTooLarge;
  // An animation's canvas may show through its frames: kept with alpha.
  const bool alpha = features.has_alpha || features.has_animation;
  ByteBlock profile = std::move(out.iccProfile);
  const bool ok = AllocCodecPicture(out, static_cast<std::int32_t>(width),
                                    static_cast<std::int32_t>(height), alpha ? 32 : 24) &&
                  (features.has_animation ? DecodeFirstFrame(data, size, out) : DecodeStill(data, size, out));
  if (!ok) {
    out = TCodecPicture{};
    return DecodeStatus::kUnreadable;
  }
  out.iccProfile = std::move(profile);
  return DecodeStatus::kDecoded;
}

bool EncodeWebp(const TCodecPicture& picture, std::FILE* file, int quality) {
  WebPConfig config;
  if (!WebPConfigInit(&config)) return false;
  if (HasTransparency(picture)) {
    // The fastest lossless level, as for PNG: a saved result is written
    // once, and on a 5000 x 5000 picture level 1 already takes three times
    // as long.
    if (!WebPConfigLosslessPreset(&config, 0)) return false;
    config.exact = 1;  // colour under transparent pixels kept, as PNG keeps it
  } else {
    config.quality = static_cast<float>(quality);
  }
  WebPPicture pic;
  if (!WebPPictureInit(&pic)) return false;
  WebPMemoryWriter encoded;
  WebPMemoryWriterInit(&encoded);
  bool ok = FillArgb(picture, pic);
  if (ok) {
    pic.writer = WebPMemoryWrite;
    pic.custom_ptr = &encoded;
    ok = WebPEncode(&config, &pic) != 0;
  }
  WebPPictureFree(&pic);
  ok = ok && WriteWithProfile(encoded, picture.iccProfile, file);
  WebPMemoryWriterClear(&encoded);
  return ok;
}

}  // namespace quorvel
