// JPEG through libjpeg's classic API. As in the PNG worker, the functions
// that set the jump point hold only trivial locals; state lives with the
// caller.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imagefiles/codec_picture.h"
#include "imagefiles/exif_orientation.h"

namespace quorvel {
namespace {

struct JpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool tooLarge;
  bool outOfMemory;
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  errors->tooLarge = cinfo->err->msg_code == JERR_IMAGE_TOO_BIG;
  errors->outOfMemory = cinfo->err->msg_code == JERR_OUT_OF_MEMORY;
  std::longjmp(errors->jump, 1);
}

// A picture whose data runs out is refused rather than shown with the rest
// filled in grey, whether the file ends or a marker cuts a scan short: else
// a header of a few bytes stands for a grey picture of gigabytes. Other
// warnings (stray bytes between segments) are harmless.
void OnJpegMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER))
    OnJpegError(cinfo);
}

void OnJpegOutput(j_common_ptr) {}

// A progressive file re-decodes the whole picture's coefficients in every
// scan, and a scan of nothing but end-of-block runs costs a few bytes: a
// small file can hold tens of thousands of them and burn a minute. Real
// files carry a dozen or so per component.
constexpr int kMaxJpegScans = 500;

void OnJpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    cinfo->err->msg_code = 0;
    OnJpegError(cinfo);
  }
}

void InitErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.pub);
  errors.pub.error_exit = OnJpegError;
  errors.pub.emit_message = OnJpegMessage;
  errors.pub.output_message = OnJpegOutput;
  errors.tooLarge = false;
  errors.outOfMemory = false;
}

int OrientationOf(const jpeg_decompress_struct& cinfo) {
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
    if (m->marker != JPEG_APP0 + 1) continue;
    const int orientation = ExifOrientation(m->data, m->data_length);
    if (orientation != 1) return orientation;
  }
  return 1;
}

// libjpeg delivers CMYK as Adobe writes it (inverted) when an Adobe segment
// is present, else as plain ink amounts.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::int32_t width, bool inverted) {
  for (std::int32_t i = 0; i < width; ++i, cmyk += 4, bgr += 3) {
    const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
    const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
    const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

// The profile as its APP2 segments hold it, in their numbered order; an
// incomplete set counts as none.
void ReadIccProfile(jpeg_decompress_struct* cinfo, TCodecPicture& out) {
  JOCTET* profile = nullptr;
  unsigned int length = 0;
  if (jpeg_read_icc_profile(cinfo, &profile, &length) && profile && length > 0 &&
      TryAllocBytes(out.iccProfile, length))
    std::memcpy(out.iccProfile.data(), profile, length);
  std::free(profile);
}

struct JpegDecodeState {
  const std::uint8_t* data;
  std::size_t size;
  TCodecPicture* out;
  ByteBlock stored;  // the picture as stored, when it must be turned
  ByteBlock scan;    // one CMYK scanline
  jpeg_progress_mgr progress{};
  DecodeStatus status = DecodeStatus::kUnreadable;
};

void ReadScanlines(jpeg_decompress_struct* cinfo, JpegDecodeState* st, bool cmyk, bool turned) {
  const std::int32_t width = static_cast<std::int32_t>(cinfo->output_width);
  const std::size_t packedRow = static_cast<std::size_t>(width) * 3;
  while (cinfo->output_scanline < cinfo->output_height) {
    const std::int32_t r = static_cast<std::int32_t>(cinfo->output_scanline);
    std::uint8_t* dst = turned ? st->stored.data() + r * packedRow : st->out->TopRow(r);
    JSAMPROW row = cmyk ? st->scan.data() : dst;
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    if (cmyk) CmykToBgr(row, dst, width, cinfo->saw_Adobe_marker);
  }
}

// Rows straight into the loader's block, its bottom row last.
void ReadPixelRows(jpeg_decompress_struct* cinfo, TCodecPicture& out) {
  const std::size_t width = static_cast<std::size_t>(out.width);
  while (cinfo->output_scanline < cinfo->output_height) {
    const std::size_t below = static_cast<std::size_t>(out.height) - 1 - cinfo->output_scanline;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(out.pixels.data() + below * width);
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  }
}

void RunJpegDecode(jpeg_decompress_struct* cinfo, JpegErrors* errors, JpegDecodeState* st) {
  if (setjmp(errors->jump)) {
    st->status = errors->tooLarge      ? DecodeStatus::kTooLarge
                 : errors->outOfMemory ? DecodeStatus::kOutOfMemory
                                       : DecodeStatus::kUnreadable;
    return;
  }
  jpeg_create_decompress(cinfo);
  st->progress.progress_monitor = OnJpegProgress;
  cinfo->progress = &st->progress;
  jpeg_mem_src(cinfo, st->data, static_cast<unsigned long>(st->size));
  jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(cinfo, TRUE);
  if (cinfo->image_width > kMaxCodecSide || cinfo->image_height > kMaxCodecSide) {
    st->status = DecodeStatus::kTooLarge;
    return;
  }
  const int orientation = OrientationOf(*cinfo);
  ReadIccProfile(cinfo, *st->out);
  const bool cmyk = cinfo->num_components == 4;
  const bool turned = orientation != 1;
  // The colour conversion is the same for 3 and 4 bytes out, alpha 255.
  const bool direct = st->out->wantPixels && !cmyk && !turned;
  cinfo->out_color_space = cmyk ? JCS_CMYK : direct ? JCS_EXT_BGRA : JCS_EXT_BGR;
  jpeg_start_decompress(cinfo);
  const std::int32_t width = static_cast<std::int32_t>(cinfo->output_width);
  const std::int32_t height = static_cast<std::int32_t>(cinfo->output_height);
  if (direct) {
    if (!TryAllocPixels(st->out->pixels, width, height)) {
      st->status = DecodeStatus::kOutOfMemory;
      return;
    }
    st->out->width = width;
    st->out->height = height;
    st->out->bitCount = 24;
    st->out->stride = static_cast<std::size_t>(width) * 4;
    ReadPixelRows(cinfo, *st->out);
    st->status = DecodeStatus::kDecoded;
    return;
  }
  const bool swap = OrientationSwapsSides(orientation);
  if (!AllocCodecPicture(*st->out, swap ? height : width, swap ? width : height, 24) ||
      (turned && !TryAllocBytes(st->stored, static_cast<std::size_t>(width) * height * 3)) ||
      (cmyk && !TryAllocBytes(st->scan, static_cast<std::size_t>(width) * 4))) {
    st->status = DecodeStatus::kOutOfMemory;  // the sides were checked above
    return;
  }
  ReadScanlines(cinfo, st, cmyk, turned);
  if (turned)
    OrientPixels24(st->stored.data(), width, height, orientation, st->out->TopRow(0),
                   -static_cast<std::ptrdiff_t>(st->out->stride));
  // Whatever follows the last scanline (EOI included) is not needed.
  st->status = DecodeStatus::kDecoded;
}

struct JpegEncodeState {
  std::FILE* file;
  const TCodecPicture* picture;
  int quality;
};

bool RunJpegEncode(jpeg_compress_struct* cinfo, JpegErrors* errors, JpegEncodeState* st) {
  if (setjmp(errors->jump)) return false;
  const TCodecPicture& p = *st->picture;
  jpeg_create_compress(cinfo);
  jpeg_stdio_dest(cinfo, st->file);
  cinfo->image_width = static_cast<JDIMENSION>(p.width);
  cinfo->image_height = static_cast<JDIMENSION>(p.height);
  cinfo->input_components = p.bitCount == 32 ? 4 : 3;
  cinfo->in_color_space = p.bitCount == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, st->quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  // Only the profile: an EXIF segment could turn the upright picture again.
  // 255 segments of 65519 bytes each are all a JPEG can hold.
  if (!p.iccProfile.empty() && p.iccProfile.size() <= 255u * 65519u)
    jpeg_write_icc_profile(cinfo, p.iccProfile.data(), static_cast<unsigned int>(p.iccProfile.size()));
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(p.TopRow(static_cast<std::int32_t>(cinfo->next_scanline)));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

DecodeStatus DecodeJpeg(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrors errors;
  InitErrors(errors);
  cinfo.err = &errors.pub;
  JpegDecodeState state{data, size, &out, {}, {}, {}, DecodeStatus::kUnreadable};
  RunJpegDecode(&cinfo, &errors, &state);
  jpeg_destroy_decompress(&cinfo);
  if (state.status != DecodeStatus::kDecoded) out = TCodecPicture{};
  return state.status;
}

bool EncodeJpeg(const TCodecPicture& picture, std::FILE* file, int quality) {
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrors errors;
  InitErrors(errors);
  cinfo.err = &errors.pub;
  JpegEncodeState state{file, &picture, quality};
  const bool ok = RunJpegEncode(&cinfo, &errors, &state);
  jpeg_destroy_compress(&cinfo);
  return ok && !std::ferror(file);
}

}  // namespace quorvel
