// Loading and saving 5000 x 5000 pictures: JPEG, PNG, WebP, TIFF, HEIC and
// AVIF through the codec layer, BMP through the direct reader and writer.
// The files are made once, in-process, in a temporary folder; HEIC and AVIF
// (which the program only reads) with libheif's encoders, only when their
// benchmarks run.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "imagefiles/loader.h"
#include "imagefiles/saver.h"
#include "raster/image_pair.h"
#include "tests/support/heif_sample.h"

namespace quorvel {
namespace {

constexpr std::int32_t kSide = 5000;

// Smooth gradients with a little noise: compresses like a photograph rather
// than like a flat test card.
PixelBlock MakePicture(bool withAlpha) {
  PixelBlock pixels;
  AllocBlock(pixels, kSide, kSide);
  std::uint32_t noise = 12345;
  for (std::int32_t y = 0; y < kSide; ++y)
    for (std::int32_t x = 0; x < kSide; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const std::uint32_t n = (noise >> 28) & 7;
      const std::uint32_t r = (x * 255 / kSide + n) & 0xFF;
      const std::uint32_t g = (y * 255 / kSide + n) & 0xFF;
      const std::uint32_t b = ((x + y) * 255 / (2 * kSide)) & 0xFF;
      const std::uint32_t a = withAlpha && (x - kSide / 2) * (x - kSide / 2) + (y - kSide / 2) * (y - kSide / 2) >
                                               (kSide / 2) * (kSide / 2)
                                  ? 0
                                  : 255;
      pixels[static_cast<std::size_t>(y) * kSide + x] = a << 24 | r << 16 | g << 8 | b;
    }
  return pixels;
}

struct Corpus {
  std::filesystem::path folder;
  PixelBlock opaque = MakePicture(false);
  PixelBlock withAlpha = MakePicture(true);

  Corpus() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-bench-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    WriteJpeg(opaque.data(), kSide, folder / "in.jpg", kSide);
    WritePng(withAlpha.data(), kSide, folder / "in.png", kSide);
    WriteWebp(opaque.data(), kSide, folder / "in-lossy.webp", kSide);
    WriteWebp(withAlpha.data(), kSide, folder / "in-lossless.webp", kSide);
    WriteTiff(withAlpha.data(), kSide, folder / "in.tif", kSide);
    TImagePair pair;
    pair.width = pair.height = kSide;
    pair.result = opaque;
    SaveImageFile(pair, folder / "in.bmp");
  }
  ~Corpus() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

Corpus& Files() {
  static Corpus corpus;
  return corpus;
}

// Made on first use: a 5000 x 5000 AVIF takes the encoder a while.
const std::filesystem::path& HeifFile(testing::HeifKind kind) {
  static const std::filesystem::path heic = [] {
    const auto path = Files().folder / "in.heic";
    testing::WriteHeifSample(Files().opaque.data(), kSide, kSide, false, testing::HeifKind::kHeic, {}, path);
    return path;
  }();
  static const std::filesystem::path avif = [] {
    const auto path = Files().folder / "in.avif";
    testing::WriteHeifSample(Files().opaque.data(), kSide, kSide, false, testing::HeifKind::kAvif, {}, path);
    return path;
  }();
  return kind == testing::HeifKind::kAvif ? avif : heic;
}

void LoadPath(benchmark::State& state, const std::filesystem::path& path) {
  for (auto _ : state) {
    TImagePair pair;
    if (LoadImageFile(pair, path) != 1) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(pair.src.data());
  }
}

void Load(benchmark::State& state, const char* name) { LoadPath(state, Files().folder / name); }

void BM_LoadJpeg5000(benchmark::State& state) { Load(state, "in.jpg"); }
void BM_LoadPng5000(benchmark::State& state) { Load(state, "in.png"); }
void BM_LoadBmp5000(benchmark::State& state) { Load(state, "in.bmp"); }
void BM_LoadWebpLossy5000(benchmark::State& state) { Load(state, "in-lossy.webp"); }
void BM_LoadWebpLossless5000(benchmark::State& state) { Load(state, "in-lossless.webp"); }
void BM_LoadTiff5000(benchmark::State& state) { Load(state, "in.tif"); }
void BM_LoadHeic5000(benchmark::State& state) { LoadPath(state, HeifFile(testing::HeifKind::kHeic)); }
void BM_LoadAvif5000(benchmark::State& state) { LoadPath(state, HeifFile(testing::HeifKind::kAvif)); }

// The opaque picture goes lossy at quality 90, the one with alpha lossless.
void BM_WriteWebpLossy5000(benchmark::State& state) {
  const auto path = Files().folder / "out.webp";
  for (auto _ : state)
    if (!WriteWebp(Files().opaque.data(), kSide, path, kSide)) state.SkipWithError("write failed");
}

void BM_WriteWebpLossless5000(benchmark::State& state) {
  const auto path = Files().folder / "out.webp";
  for (auto _ : state)
    if (!WriteWebp(Files().withAlpha.data(), kSide, path, kSide)) state.SkipWithError("write failed");
}

void BM_WriteTiff5000(benchmark::State& state) {
  const auto path = Files().folder / "out.tif";
  for (auto _ : state)
    if (!WriteTiff(Files().withAlpha.data(), kSide, path, kSide)) state.SkipWithError("write failed");
}

void BM_WriteJpeg5000(benchmark::State& state) {
  const auto path = Files().folder / "out.jpg";
  for (auto _ : state)
    if (!WriteJpeg(Files().opaque.data(), kSide, path, kSide)) state.SkipWithError("write failed");
}

void BM_WritePng5000(benchmark::State& state) {
  const auto path = Files().folder / "out.png";
  for (auto _ : state)
    if (!WritePng(Files().withAlpha.data(), kSide, path, kSide)) state.SkipWithError("write failed");
}

// The whole BMP save: composite over white, packing, writing.
void BM_SaveBmp5000(benchmark::State& state) {
  TImagePair pair;
  pair.width = pair.height = kSide;
  pair.result = Files().withAlpha;
  const auto path = Files().folder / "out.bmp";
  for (auto _ : state)
    if (SaveImageFile(pair, path) != 1) state.SkipWithError("save failed");
}

BENCHMARK(BM_LoadJpeg5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPng5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmp5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJpeg5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePng5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBmp5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWebpLossy5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWebpLossless5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTiff5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadHeic5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAvif5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteWebpLossy5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteWebpLossless5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTiff5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
