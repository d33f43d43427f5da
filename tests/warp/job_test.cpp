#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <utility>

#include "tests/support/test_shapes.h"
#include "warp/job.h"

namespace quorvel {
namespace {

constexpr Pixel kStampColour = 0xFF2040C8u;  // opaque

struct Stamps {
  PixelBlock large, small;
  TStamps set;
  Stamps() {
    large.assign(100 * 30, kStampColour);
    small.assign(15 * 15, kStampColour);
    set.large = TPixels32Desc{BytesOf(large), 400, 100, 30};
    set.small = TPixels32Desc{BytesOf(small), 60, 15, 15};
  }
};

TImagePair Picture(int w, int h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  pair.squareSide = std::max(w, h);
  AllocBlock(pair.src, w, h);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x)
      pair.src[row * w + x] = 0xFF000000u | static_cast<Pixel>(x * 255 / w) << 16 |
                              static_cast<Pixel>(row * 255 / h) << 8 | 0x40;
  pair.loaded = 1;
  return pair;
}

// Corners (column, memory row) of the stamp tiles laid on an all-zero result.
std::set<std::pair<int, int>> StampCorners(int w, int h, int* stamped = nullptr) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  pair.result.assign(static_cast<std::size_t>(w) * h, 0);
  Stamps stamps;
  StampResult(pair, &stamps.set);
  std::set<std::pair<int, int>> corners;
  int count = 0;
  auto on = [&](int x, int row) {
    return x >= 0 && row >= 0 && x < w && row < h && pair.result[row * w + x] != 0;
  };
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      if (!on(x, row)) continue;
      ++count;
      if (!on(x - 1, row) && !on(x, row - 1)) corners.insert({x, row});
    }
  if (stamped) *stamped = count;
  return corners;
}

TEST(StampResult, GridIsCentredWithOneMoreStampPer800By600) {
  using Set = std::set<std::pair<int, int>>;
  int stamped = 0;
  EXPECT_EQ(StampCorners(1000, 500, &stamped), (Set{{360, 235}, {540, 235}}));
  EXPECT_EQ(stamped, 2 * 100 * 30);
  EXPECT_EQ(StampCorners(100, 80, &stamped), (Set{{42, 32}}));
  EXPECT_EQ(stamped, 15 * 15);
  EXPECT_EQ(StampCorners(201, 61, &stamped), (Set{{50, 15}}));
  EXPECT_EQ(stamped, 100 * 30);
  StampCorners(201, 60, &stamped);
  EXPECT_EQ(stamped, 15 * 15);
  StampCorners(200, 61, &stamped);
  EXPECT_EQ(stamped, 15 * 15);
}

TEST(StampResult, LargestPictureGetsSevenBySevenCompactBlock) {
  int stamped = 0;
  const auto corners = StampCorners(5000, 5000, &stamped);
  EXPECT_EQ(corners.size(), 7u * 9u);
  EXPECT_EQ(stamped, 63 * 3000);
  EXPECT_EQ(*corners.begin(), std::make_pair(1910, 2125));
  EXPECT_EQ(corners.rbegin()->first, 1910 + 6 * 180);
}

TEST(StampResult, TilesLargerThanThePictureAreClipped) {
  int stamped = 0;
  StampCorners(10, 12, &stamped);
  EXPECT_EQ(stamped, 10 * 12);
}

TEST(StampResult, NothingWithoutStamps) {
  TImagePair pair;
  pair.width = 300;
  pair.height = 300;
  pair.result.assign(300 * 300, 0);
  StampResult(pair, nullptr);
  for (Pixel p : pair.result) ASSERT_EQ(p, 0u);
}

TEST(RunWarpJob, ApplyFillsACircleAndLeavesTheOutsideTransparent) {
  TWarpEngine engine;
  engine.shape_polylines = testing::NestedCircles(6);
  engine.selected = 0;
  TImagePair pair = Picture(120, 90);
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(RunWarpJob(engine, WarpKind::Apply, pair));
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::regex_search(log, std::regex("GenerateAssistPolyline_Dis time = \\d+\\.\n"))) << log;
  EXPECT_TRUE(std::regex_search(log, std::regex("MapAllPixels time = \\d+ ms\\.\n"))) << log;

  ASSERT_EQ(pair.result.size(), 120u * 90u);
  EXPECT_EQ(pair.squareSide, 120);
  for (auto [x, row] : {std::pair{0, 0}, {119, 0}, {0, 89}, {119, 89}})
    EXPECT_EQ(pair.result[row * 120 + x] >> 24, 0u) << x << "," << row;
  // Between the outer and the innermost loop every pixel is opaque picture;
  // inside the innermost loop (radius 2.4 pixels here) nothing is mapped.
  for (int row = 20; row < 70; ++row)
    for (int x = 40; x < 80; ++x) {
      if (std::abs(x - 60) < 6 && std::abs(row - 45) < 6) continue;
      ASSERT_EQ(pair.result[row * 120 + x] >> 24, 255u) << x << "," << row;
    }
  EXPECT_LT(pair.result[45 * 120 + 60] >> 24, 255u);
  // The picture's centre lands on the innermost loop, near the middle.
  const Pixel near_centre = pair.result[45 * 120 + 57];
  const Pixel source = pair.src[45 * 120 + 60];
  for (int shift : {8, 16})
    EXPECT_NEAR(static_cast<int>((near_centre >> shift) & 0xFF),
                static_cast<int>((source >> shift) & 0xFF), 12);
  EXPECT_EQ(engine.job.key_side, 120);
  EXPECT_EQ(engine.preview.key_side, 0);
}

TEST(RunWarpJob, PreviewUsesItsOwnSlotAndWritesNoTimings) {
  TWarpEngine engine;
  engine.shape_polylines = testing::NestedCircles(3);
  engine.selected = 2;
  TImagePair pair = Picture(60, 100);
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(RunWarpJob(engine, WarpKind::Preview, pair));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(engine.preview.key_side, 100);
  EXPECT_EQ(engine.preview.key_shape, 2);
  EXPECT_TRUE(engine.job.assist.empty());
  EXPECT_EQ(pair.result.size(), 60u * 100u);
}

TEST(RunWarpJob, FeatherFadesTheRimOnApplyOnly) {
  TWarpEngine plain, feathered;
  plain.shape_polylines = feathered.shape_polylines = testing::NestedCircles(4);
  plain.selected = feathered.selected = 0;
  feathered.feather = 6;
  TImagePair a = Picture(100, 100), b = Picture(100, 100), c = Picture(100, 100);
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(RunWarpJob(plain, WarpKind::Apply, a));
  ASSERT_TRUE(RunWarpJob(feathered, WarpKind::Apply, b));
  ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(RunWarpJob(feathered, WarpKind::Preview, c));
  long alpha_plain = 0, alpha_feathered = 0;
  for (std::size_t i = 0; i < a.result.size(); ++i) {
    alpha_plain += a.result[i] >> 24;
    alpha_feathered += b.result[i] >> 24;
  }
  EXPECT_LT(alpha_feathered, alpha_plain);
  EXPECT_EQ(c.result, a.result);  // the preview ignores the feather
}

TEST(RunWarpJob, NoShapeMeansNoResultAndNothingChanged) {
  TWarpEngine engine;
  TImagePair pair = Picture(50, 50);
  pair.result.assign(50 * 50, 0x12345678u);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(RunWarpJob(engine, WarpKind::Apply, pair));
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("GenerateAssistPolyline_Dis time = "), std::string::npos);
  EXPECT_EQ(log.find("MapAllPixels"), std::string::npos);
  for (Pixel p : pair.result) ASSERT_EQ(p, 0x12345678u);

  TImagePair empty;
  EXPECT_FALSE(RunWarpJob(engine, WarpKind::Preview, empty));
}

TEST(RunWarpJob, StampsAreLaidWhenGiven) {
  TWarpEngine engine;
  engine.shape_polylines = testing::NestedCircles(3);
  engine.selected = 0;
  TImagePair pair = Picture(100, 80);
  Stamps stamps;
  ASSERT_TRUE(RunWarpJob(engine, WarpKind::Preview, pair, &stamps.set));
  // The small stamp's corner at (42, 32): opaque stamp over the result.
  const Pixel p = pair.result[32 * 100 + 42];
  EXPECT_EQ(p & 0xFF, (0xC8u * 255u) >> 8);
}

TEST(RunWarpJob, TheSameInputsGiveTheSameBytesWithAWarmCache) {
  TWarpEngine engine;
  engine.shape_polylines = testing::NestedCircles(5);
  engine.selected = 0;
  engine.angle = 37;
  engine.direction = 1;
  TImagePair first = Picture(73, 64), second = Picture(73, 64);
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(RunWarpJob(engine, WarpKind::Apply, first));
  ASSERT_TRUE(RunWarpJob(engine, WarpKind::Apply, second));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(first.result, second.result);
  EXPECT_EQ(first.square, second.square);
}

TEST(RunWarpJob, GivingBuffersBackEarlyKeepsTheResultBytes) {
  for (const bool reference : {false, true}) {
    TWarpEngine kept, given;
    for (TWarpEngine* e : {&kept, &given}) {
      e->shape_polylines = testing::NestedCircles(5);
      e->selected = 0;
      e->angle = 23;
      e->feather = 3;
      e->options.reference = reference;
    }
    given.options.keep_buffers = false;
    TImagePair a = Picture(90, 61), b = Picture(90, 61);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(RunWarpJob(kept, WarpKind::Apply, a));
    ASSERT_TRUE(RunWarpJob(given, WarpKind::Apply, b));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(a.result, b.result);
    EXPECT_FALSE(a.src.empty());
    EXPECT_TRUE(b.src.empty());
    EXPECT_TRUE(given.src.empty() && given.dest.empty() && given.sweep_rasters.empty());
  }
}

}  // namespace
}  // namespace quorvel
