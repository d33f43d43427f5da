// Writes small seed files for the fuzz targets into the folder given:
// bmp/, png/, jpeg/, webp/, tiff/, heif/ and shape/ below it. Real-world samples come from the
// shared test data instead; these add the shapes and the exact layouts our
// own writers produce.
#include <cmath>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <filesystem>
#include <string>
#include <vector>

#include "imagefiles/saver.h"
#include "raster/image_pair.h"
#include "shapebuild/loop_encoder.h"
#include "shapebuild/shape_writer.h"
#include "tests/support/heif_sample.h"
#include "tests/support/icc_sample.h"
#include "tests/support/jpeg_scans.h"

namespace {

using namespace quorvel;
namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

TImagePair Pattern(std::int32_t w, std::int32_t h, bool alpha) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  AllocBlock(pair.src, w, h);
  AllocBlock(pair.result, w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      pair.result[y * w + x] = (alpha ? static_cast<Pixel>((x * 17) & 0xFF) << 24 : 0xFF000000u) |
                               static_cast<Pixel>(x * 9 & 0xFF) << 16 |
                               static_cast<Pixel>(y * 13 & 0xFF) << 8 |
                               static_cast<Pixel>((x + y) * 5 & 0xFF);
  pair.loaded = 1;
  return pair;
}

bool WritePictures(const fs::path& root) {
  bool ok = true;
  const struct { std::int32_t w, h; } sizes[] = {{15, 15}, {17, 16}, {1, 1}, {40, 3}};
  int n = 0;
  for (const auto& s : sizes) {
    for (bool alpha : {false, true}) {
      TImagePair pair = Pattern(s.w, s.h, alpha);
      const std::string stem = "own-" + std::to_string(n++);
      ok &= WritePng(pair.result.data(), s.h, root / "png" / (stem + ".png"), s.w);
      ok &= WriteJpeg(pair.result.data(), s.h, root / "jpeg" / (stem + ".jpg"), s.w);
      if (s.w >= 15 && s.h >= 15) ok &= SaveImageFile(pair, root / "bmp" / (stem + ".bmp")) == 1;
      // Every other seed of the new formats carries a profile.
      const ByteBlock profile = n % 2 ? testing::MakeIccProfile(stem) : ByteBlock();
      ok &= WriteWebp(pair.result.data(), s.h, root / "webp" / (stem + ".webp"), s.w, profile);
      ok &= WriteTiff(pair.result.data(), s.h, root / "tiff" / (stem + ".tif"), s.w, profile);
      if (s.w >= 8 && s.h >= 8)
        for (auto kind : {testing::HeifKind::kHeic, testing::HeifKind::kAvif})
          ok &= testing::WriteHeifSample(pair.result.data(), s.w, s.h, alpha, kind, profile,
                                         root / "heif" / (stem + (kind == testing::HeifKind::kAvif ? ".avif" : ".heic")),
                                         50);
    }
  }
  return ok;
}

// A small progressive JPEG with one scan repeated far beyond the decoder's
// scan limit: the shape of a file made to burn decoding time.
bool WriteScanBomb(const fs::path& path) {
  constexpr int kSide = 16;
  std::vector<std::uint8_t> rgb(kSide * kSide * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 37);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = kSide;
  cinfo.image_height = kSide;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = rgb.data() + cinfo.next_scanline * kSide * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  const std::vector<std::uint8_t> progressive(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  const std::vector<std::uint8_t> bomb = quorvel::test::RepeatShortestScan(progressive, 2000);
  return !bomb.empty() && bomb.size() <= 65536 && WriteFile(path, bomb);
}

ShapeFileBlock Circle(double radius, int count) {
  std::vector<ShapePointD> points;
  for (int i = 0; i < count; ++i) {
    const double a = 6.283185307179586 * i / count;
    points.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  ShapeFileBlock block;
  if (!EncodeShapeLoop(points, block)) std::abort();
  return block;
}

bool WriteShapes(const fs::path& root) {
  ShapeFileContents rings;
  for (int i = 0; i < 24; ++i) {
    const double a = 6.283185307179586 * i / 24;
    rings.outline.push_back({300 + 290 * std::cos(a), 300 + 290 * std::sin(a)});
  }
  for (double r : {150.0, 100.0, 50.0, 5.0}) rings.blocks.push_back(Circle(r, 24));
  ShapeFileContents square;
  square.outline = {{0, 0}, {600, 0}, {600, 600}, {0, 600}};
  const ShapePointD corners[] = {{-150, -150}, {150, -150}, {150, 150}, {-150, 150}};
  ShapeFileBlock outer;
  if (!EncodeShapeLoop(corners, outer)) return false;
  square.blocks = {outer, Circle(1.0, 3)};
  ShapeFileContents empty;

  bool ok = true;
  const std::pair<const char*, const ShapeFileContents*> files[] = {
      {"rings", &rings}, {"square", &square}, {"empty", &empty}};
  for (const auto& [name, contents] : files) {
    std::vector<std::uint8_t> bytes;
    ok &= EncodeShapeFile(*contents, bytes);
    ok &= WriteFile(root / "shape" / (std::string(name) + ".qshp"), bytes);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
    return 1;
  }
  const fs::path root = argv[1];
  for (const char* sub : {"bmp", "png", "jpeg", "webp", "tiff", "heif", "shape"})
    fs::create_directories(root / sub);
  if (!WritePictures(root) || !WriteShapes(root) || !WriteScanBomb(root / "jpeg" / "scan-bomb.jpg")) {
    std::fprintf(stderr, "make_fuzz_seeds: could not write the seeds\n");
    return 1;
  }
  return 0;
}
