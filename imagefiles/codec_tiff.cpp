// TIFF through libtiff, first page only. Strip-organised 8- and 16-bit RGB,
// grey and palette pictures are read sample by sample, so that straight
// alpha comes back exactly as written; every other layout libtiff knows
// (tiles, planes, YCbCr, CMYK, low bit depths) goes through its RGBA reader,
// whose premultiplied colour is straightened again. libtiff reports through
// handlers tied to each handle, never to the terminal.
#include <tiffio.h>

#include <sys/types.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "imagefiles/codec_picture.h"
#include "imagefiles/exif_orientation.h"

namespace quorvel {
namespace {

// No single buffer libtiff sizes from a file grows past this.
constexpr tmsize_t kMaxTiffAlloc = tmsize_t{1} << 30;

struct MemorySource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

tmsize_t ReadMemory(thandle_t h, void* buf, tmsize_t count) {
  auto* src = static_cast<MemorySource*>(h);
  if (count < 0 || src->pos > src->size) return 0;
  const std::size_t n = std::min(static_cast<std::size_t>(count), src->size - src->pos);
  std::memcpy(buf, src->data + src->pos, n);
  src->pos += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t RefuseWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t SeekMemory(thandle_t h, toff_t off, int whence) {
  auto* src = static_cast<MemorySource*>(h);
  const std::uint64_t base = whence == SEEK_CUR ? src->pos : whence == SEEK_END ? src->size : 0;
  // Past the end is allowed, as for a file; reads there find nothing.
  src->pos = static_cast<std::size_t>(std::min<std::uint64_t>(base + off, SIZE_MAX / 2));
  return src->pos;
}
int CloseNothing(thandle_t) { return 0; }
toff_t MemorySize(thandle_t h) { return static_cast<MemorySource*>(h)->size; }
int MapMemory(thandle_t h, void** base, toff_t* size) {
  auto* src = static_cast<MemorySource*>(h);
  *base = const_cast<std::uint8_t*>(src->data);
  *size = src->size;
  return 1;
}
void UnmapNothing(thandle_t, void*, toff_t) {}

tmsize_t ReadFile(thandle_t h, void* buf, tmsize_t count) {
  return static_cast<tmsize_t>(std::fread(buf, 1, static_cast<std::size_t>(count), static_cast<std::FILE*>(h)));
}
tmsize_t WriteFile(thandle_t h, void* buf, tmsize_t count) {
  return static_cast<tmsize_t>(std::fwrite(buf, 1, static_cast<std::size_t>(count), static_cast<std::FILE*>(h)));
}
toff_t SeekFile(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<std::FILE*>(h);
  if (fseeko(f, static_cast<off_t>(off), whence) != 0) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(ftello(f));
}
toff_t FileSize(thandle_t h) {
  auto* f = static_cast<std::FILE*>(h);
  const off_t here = ftello(f);
  fseeko(f, 0, SEEK_END);
  const off_t end = ftello(f);
  fseeko(f, here, SEEK_SET);
  return static_cast<toff_t>(end);
}
int MapNothing(thandle_t, void**, toff_t*) { return 0; }

int NoteError(TIFF*, void* failed, const char*, const char*, va_list) {
  if (failed) *static_cast<bool*>(failed) = true;
  return 1;
}
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* OpenTiff(const char* mode, thandle_t handle, bool* failed, bool memory) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAlloc);
  TIFFOpenOptionsSetErrorHandlerExtR(options, NoteError, failed);
  TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
  TIFF* tif = memory ? TIFFClientOpenExt("picture", mode, handle, ReadMemory, RefuseWrite, SeekMemory,
                                         CloseNothing, MemorySize, MapMemory, UnmapNothing, options)
                     : TIFFClientOpenExt("picture", mode, handle, ReadFile, WriteFile, SeekFile,
                                         CloseNothing, FileSize, MapNothing, UnmapNothing, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

struct TiffLayout {
  std::uint32_t width = 0, height = 0;
  std::uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, orientation = 1;
  int colours = 0;           // colour samples before the extra ones
  bool alpha = false;
  bool premultiplied = false;
};

bool ReadLayout(TIFF* tif, TiffLayout& l) {
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height))
    return false;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) return false;
  l.colours = l.photometric == PHOTOMETRIC_RGB ? 3 : 1;
  std::uint16_t extraCount = 0;
  std::uint16_t* extra = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  if (extraCount > 0 && extra && l.samples > l.colours) {
    // Unspecified extra samples are taken as associated alpha, as libtiff's
    // own reader takes them.
    l.alpha = true;
    l.premultiplied = extra[0] != EXTRASAMPLE_UNASSALPHA;
  } else if (l.photometric == PHOTOMETRIC_RGB && l.samples == 4) {
    l.alpha = l.premultiplied = true;
  }
  if (l.orientation < 1 || l.orientation > 8) l.orientation = 1;
  return true;
}

bool IsPlainLayout(TIFF* tif, const TiffLayout& l) {
  if (TIFFIsTiled(tif) || l.planar != PLANARCONFIG_CONTIG) return false;
  if (l.bits != 8 && l.bits != 16) return false;
  if (l.samples < l.colours || l.samples > l.colours + 4) return false;
  switch (l.photometric) {
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: return true;
    case PHOTOMETRIC_PALETTE: return l.bits == 8 && !l.alpha;
    default: return false;
  }
}

struct Palette {
  std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  int shift = 8;  // some writers store 8-bit entries in the 16-bit fields
};

bool ReadPalette(TIFF* tif, Palette& p) {
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &p.r, &p.g, &p.b)) return false;
  bool wide = false;
  for (int i = 0; i < 256; ++i) wide |= p.r[i] > 255 || p.g[i] > 255 || p.b[i] > 255;
  p.shift = wide ? 8 : 0;
  return true;
}

// One stored row of samples into B G R (A) bytes.
void ConvertRow(const std::uint8_t* in, const TiffLayout& l, const Palette& pal, std::uint8_t* out,
                int outBytes) {
  const int step = l.samples;
  for (std::uint32_t x = 0; x < l.width; ++x, out += outBytes) {
    std::uint8_t v[4];
    for (int c = 0; c < l.colours + (l.alpha ? 1 : 0); ++c) {
      const std::size_t at = static_cast<std::size_t>(x) * step + c;
      if (l.bits == 8) {
        v[c] = in[at];
      } else {
        std::uint16_t wide;
        std::memcpy(&wide, in + 2 * at, 2);
        v[c] = static_cast<std::uint8_t>((wide * 255u + 32767u) / 65535u);
      }
    }
    if (l.photometric == PHOTOMETRIC_RGB) {
      out[0] = v[2], out[1] = v[1], out[2] = v[0];
    } else if (l.photometric == PHOTOMETRIC_PALETTE) {
      out[0] = static_cast<std::uint8_t>(pal.b[v[0]] >> pal.shift);
      out[1] = static_cast<std::uint8_t>(pal.g[v[0]] >> pal.shift);
      out[2] = static_cast<std::uint8_t>(pal.r[v[0]] >> pal.shift);
    } else {
      const std::uint8_t grey = l.photometric == PHOTOMETRIC_MINISWHITE ? 255 - v[0] : v[0];
      out[0] = out[1] = out[2] = grey;
    }
    if (outBytes == 4) out[3] = v[l.colours];
  }
}

// Rows land at row0 + r * step: step is negative for the bottom-up block.
bool ReadPlainRows(TIFF* tif, const TiffLayout& l, std::uint8_t* row0, std::ptrdiff_t step, int outBytes) {
  Palette pal;
  if (l.photometric == PHOTOMETRIC_PALETTE && !ReadPalette(tif, pal)) return false;
  ByteBlock scan;
  const tmsize_t scanSize = TIFFScanlineSize(tif);
  const std::size_t needed = static_cast<std::size_t>(l.width) * l.samples * (l.bits / 8);
  if (scanSize <= 0 || static_cast<std::size_t>(scanSize) < needed ||
      !TryAllocBytes(scan, static_cast<std::size_t>(scanSize)))
    return false;
  for (std::uint32_t r = 0; r < l.height; ++r) {
    if (TIFFReadScanline(tif, scan.data(), r, 0) != 1) return false;
    std::uint8_t* out = row0 + static_cast<std::ptrdiff_t>(r) * step;
    ConvertRow(scan.data(), l, pal, out, outBytes);
    if (outBytes == 4 && l.premultiplied) UnpremultiplyRow(out, static_cast<std::int32_t>(l.width));
  }
  return true;
}

// libtiff's reader in the stored row order (its orientation handling only
// flips); ABGR words become B G R (A) bytes with straight colour.
bool ReadThroughRgba(TIFF* tif, const TiffLayout& l, std::uint8_t* row0, std::ptrdiff_t step,
                     int outBytes) {
  char message[1024];
  TIFFRGBAImage img;
  if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&img, tif, 0, message)) return false;
  img.req_orientation = img.orientation;
  PixelBlock raster;
  bool ok = img.width == l.width && img.height == l.height;
  try {
    if (ok) raster.resize(static_cast<std::size_t>(l.width) * l.height);
  } catch (...) {
    ok = false;
  }
  ok = ok && TIFFRGBAImageGet(&img, raster.data(), l.width, l.height) == 1;
  TIFFRGBAImageEnd(&img);
  if (!ok) return false;
  for (std::uint32_t r = 0; r < l.height; ++r) {
    std::uint8_t* const first = row0 + static_cast<std::ptrdiff_t>(r) * step;
    std::uint8_t* out = first;
    const std::uint32_t* in = raster.data() + static_cast<std::size_t>(r) * l.width;
    for (std::uint32_t x = 0; x < l.width; ++x, out += outBytes) {
      out[0] = static_cast<std::uint8_t>(TIFFGetB(in[x]));
      out[1] = static_cast<std::uint8_t>(TIFFGetG(in[x]));
      out[2] = static_cast<std::uint8_t>(TIFFGetR(in[x]));
      if (outBytes == 4) out[3] = static_cast<std::uint8_t>(TIFFGetA(in[x]));
    }
    if (outBytes == 4) UnpremultiplyRow(first, static_cast<std::int32_t>(l.width));
  }
  return true;
}

void ReadIccProfile(TIFF* tif, TCodecPicture& out) {
  std::uint32_t length = 0;
  void* profile = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &length, &profile) && profile && length > 0 &&
      TryAllocBytes(out.iccProfile, length))
    std::memcpy(out.iccProfile.data(), profile, length);
}

DecodeStatus DecodeOpened(TIFF* tif, const bool& failed, TCodecPicture& out) {
  TiffLayout l;
  if (!ReadLayout(tif, l) || l.width == 0 || l.height == 0) return DecodeStatus::kUnreadable;
  if (l.width > kMaxCodecSide || l.height > kMaxCodecSide) return DecodeStatus::kTooLarge;
  const bool plain = IsPlainLayout(tif, l);
  const int outBytes = l.alpha ? 4 : 3;
  const auto w = static_cast<std::int32_t>(l.width);
  const auto h = static_cast<std::int32_t>(l.height);
  const bool swap = OrientationSwapsSides(l.orientation);
  if (!AllocCodecPicture(out, swap ? h : w, swap ? w : h, l.alpha ? 32 : 24)) return DecodeStatus::kUnreadable;
  // Upright pictures go straight into the block, bottom-up; the others are
  // read as stored and turned after.
  const bool turned = l.orientation != 1;
  ByteBlock stored;
  if (turned && !TryAllocBytes(stored, static_cast<std::size_t>(l.width) * l.height * outBytes))
    return DecodeStatus::kUnreadable;
  std::uint8_t* rows = turned ? stored.data() : out.TopRow(0);
  const std::ptrdiff_t step = turned ? static_cast<std::ptrdiff_t>(l.width) * outBytes
                                     : -static_cast<std::ptrdiff_t>(out.stride);
  const bool ok = plain ? ReadPlainRows(tif, l, rows, step, outBytes)
                       : ReadThroughRgba(tif, l, rows, step, outBytes);
  if (!ok || failed) return DecodeStatus::kUnreadable;
  if (turned) {
    if (outBytes == 4)
      OrientPixels32(stored.data(), w, h, l.orientation, out.TopRow(0), -static_cast<std::ptrdiff_t>(out.stride));
    else
      OrientPixels24(stored.data(), w, h, l.orientation, out.TopRow(0), -static_cast<std::ptrdiff_t>(out.stride));
  }
  ReadIccProfile(tif, out);
  return DecodeStatus::kDecoded;
}

}  // namespace

DecodeStatus DecodeTiff(const std::uint8_t* data, std::size_t size, TCodecPicture& out) {
  MemorySource source{data, size, 0};
  bool failed = false;
  // Not mapped ("m"): libtiff then reads strips through ReadMemory, which
  // ran hostile files four times faster than reading them in place.
  TIFF* tif = OpenTiff("rm", &source, &failed, true);
  if (!tif) return DecodeStatus::kUnreadable;
  const DecodeStatus status = DecodeOpened(tif, failed, out);
  TIFFClose(tif);
  if (status != DecodeStatus::kDecoded) out = TCodecPicture{};
  return status;
}

bool EncodeTiff(const TCodecPicture& p, std::FILE* file) {
  bool failed = false;
  TIFF* tif = OpenTiff("w", file, &failed, false);
  if (!tif) return false;
  const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
  const std::size_t rowBytes = static_cast<std::size_t>(p.width) * 4;
  // Strips of about a megabyte: large enough for deflate, small enough for
  // a reader to stream.
  const std::uint32_t rowsPerStrip = static_cast<std::uint32_t>(std::max<std::size_t>(1, (std::size_t{1} << 20) / rowBytes));
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
  TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  // As for PNG: the fastest level, a saved result is written once.
  TIFFSetField(tif, TIFFTAG_ZIPQUALITY, 1);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  if (!p.iccProfile.empty())
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(p.iccProfile.size()), p.iccProfile.data());
  ByteBlock scan;
  bool ok = TryAllocBytes(scan, rowBytes);
  for (std::int32_t r = 0; ok && r < p.height; ++r) {
    const std::uint8_t* s = p.TopRow(r);
    std::uint8_t* d = scan.data();
    const int inBytes = p.bitCount / 8;
    for (std::int32_t x = 0; x < p.width; ++x, s += inBytes, d += 4) {
      d[0] = s[2], d[1] = s[1], d[2] = s[0];
      d[3] = inBytes == 4 ? s[3] : 255;
    }
    ok = TIFFWriteScanline(tif, scan.data(), static_cast<std::uint32_t>(r), 0) == 1;
  }
  ok = ok && TIFFWriteDirectory(tif) == 1;
  TIFFClose(tif);
  return ok && !failed && !std::ferror(file);
}

}  // namespace quorvel
