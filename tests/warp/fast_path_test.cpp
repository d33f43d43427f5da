// The fast paths must give the plain engine's bytes exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "raster/engine_options.h"
#include "tests/support/test_shapes.h"
#include "warp/assist.h"
#include "warp/fast/fast_internal.h"
#include "warp/fast_mapping.h"
#include "warp/mapping.h"
#include "warp/job.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

using testing::Circle;
using testing::Loop;
using testing::NestedCircles;

// A five-pointed star whose loops shrink towards an off-centre point, with
// start points that drift, so rays cross segment boundaries everywhere.
PolylineList Stars(int loops) {
  PolylineList list;
  for (int l = 0; l < loops; ++l) {
    const double scale = 1.0 - 0.93 * l / std::max(1, loops - 1);
    TPolyline p;
    const int corners = 10;
    std::vector<TPointF> pts;
    for (int i = 0; i < corners; ++i) {
      const double a = 2 * M_PI * i / corners + 0.05 * l;
      const double radius = (i % 2 ? 60.0 : 149.0) * scale;
      pts.push_back({static_cast<float>(10 * (1 - scale) + radius * std::cos(a)),
                     static_cast<float>(-20 * (1 - scale) + radius * std::sin(a))});
    }
    for (int i = 0; i < corners; ++i) {
      const TPointF a = pts[i], b = pts[(i + 1) % corners];
      p.segments.push_back(TSegment{a.x, a.y, b.x, b.y, 0, 0});
    }
    list.push_back(p);
  }
  return list;
}

PolylineList ZeroOuter() {
  return {Loop({{5, 5}, {5, 5}, {5, 5}}), Circle(80, 30), Circle(10, 12)};
}

// Loops reaching beyond the frame, one without segments: samples land
// outside the rasters and must be dropped or clamped alike.
PolylineList Unruly() {
  return {Circle(190, 40), TPolyline{}, Circle(150, 7, 0.3), Loop({{0, 0}, {1, 1}})};
}

TImagePair Picture(int w, int h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  AllocBlock(pair.src, w, h);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x)
      pair.src[static_cast<std::size_t>(row) * w + x] =
          static_cast<Pixel>((x * 7 + row * 3) & 0xFF) | static_cast<Pixel>((x * row) & 0xFF) << 8 |
          static_cast<Pixel>((x ^ row) & 0xFF) << 16 | static_cast<Pixel>(255 - ((x + row) & 0x3F)) << 24;
  pair.loaded = 1;
  return pair;
}

struct Case {
  int w, h;
  int direction, angle, feather;
  WarpKind kind;
  PolylineList (*shape)();
  const char* shape_name;
};

PolylineList One() { return NestedCircles(1); }
PolylineList Two() { return NestedCircles(2, 48); }
PolylineList Many() { return Stars(12); }
PolylineList Rings() { return NestedCircles(9, 300); }

void PrintTo(const Case& c, std::ostream* os) { *os << c.w << "x" << c.h << " " << c.shape_name; }

class FastPath : public ::testing::TestWithParam<Case> {};

TEST_P(FastPath, RunWarpJobMatchesThePlainEngineByteForByte) {
  const Case& c = GetParam();
  // Two threads with the widest kernels the CPU has, three with the
  // portable ones, five with AVX2 where it has wider; four sample every
  // step, as for the largest squares.
  for (int threads : {2, 3, 4, 5}) {
    TWarpEngine plain, fast;
    plain.options = ReferenceOptions();
    fast.options.threads = threads;
    fast.options.kernels = threads == 3   ? EngineKernels::kPortable
                           : threads == 5 ? EngineKernels::kAvx2
                                          : EngineKernels::kWidest;
    fast.options.sample_ids = threads != 4;
    for (TWarpEngine* e : {&plain, &fast}) {
      e->shape_polylines = c.shape();
      e->selected = 0;
      e->direction = c.direction;
      e->angle = c.angle;
      e->feather = c.feather;
    }
    TImagePair a = Picture(c.w, c.h), b = Picture(c.w, c.h);
    ::testing::internal::CaptureStderr();
    const bool made_plain = RunWarpJob(plain, c.kind, a);
    const bool made_fast = RunWarpJob(fast, c.kind, b);
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(made_plain, made_fast);
    ASSERT_TRUE(made_fast);
    EXPECT_TRUE(plain.dest == fast.dest) << "dest, threads " << threads;
    EXPECT_TRUE(plain.src == fast.src) << "disk picture, threads " << threads;
    EXPECT_TRUE(a.result == b.result) << "result, threads " << threads;
    EXPECT_TRUE(a.square == b.square) << "warped square, threads " << threads;
    EXPECT_EQ(plain.feather, fast.feather);
    const TAssistCache& ps = AssistSlot(plain, c.kind);
    const TAssistCache& fs = AssistSlot(fast, c.kind);
    ASSERT_EQ(ps.assist.size(), fs.assist.size());
  }
}

const Case kCases[] = {
    {15, 15, 0, 0, 0, WarpKind::Apply, One, "one"},
    {16, 15, 1, 1, 3, WarpKind::Apply, Two, "two"},
    {100, 100, 0, 90, 0, WarpKind::Preview, Many, "many"},
    {99, 60, 1, 359, 3, WarpKind::Apply, Many, "many"},
    {101, 101, 0, 360, 99, WarpKind::Apply, Rings, "rings"},
    {64, 200, 0, 0, 0, WarpKind::Apply, ZeroOuter, "zero_outer"},
    {257, 130, 1, 90, 0, WarpKind::Apply, Unruly, "unruly"},
    {333, 333, 0, 1, 99, WarpKind::Apply, Many, "many"},
    {640, 480, 1, 359, 0, WarpKind::Apply, Rings, "rings"},
    {1001, 700, 0, 360, 3, WarpKind::Apply, Many, "many"},
    {1500, 1500, 1, 90, 3, WarpKind::Apply, Rings, "rings"},
};

INSTANTIATE_TEST_SUITE_P(Cases, FastPath, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           const Case& c = info.param;
                           return std::to_string(c.w) + "x" + std::to_string(c.h) + "_" +
                                  (c.direction ? "h" : "v") + std::to_string(c.angle) + "_f" +
                                  std::to_string(c.feather) +
                                  (c.kind == WarpKind::Apply ? "_apply_" : "_preview_") + c.shape_name;
                         });

std::uint64_t Digest(const PixelBlock& block) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (const Pixel p : block)
    for (int k = 0; k < 4; ++k) h = (h ^ ((p >> (8 * k)) & 0xFF)) * 1099511628211ull;
  return h;
}

// The plain engine's own bytes, pinned: a change of rounding in code both
// engines share would pass the comparison above unnoticed.
TEST(ReferenceBytes, DestAndResultOfFixedJobsAreUnchanged) {
  const std::uint64_t pinned[][2] = {
#include "tests/warp/pinned_digests.inc"
  };
  ASSERT_EQ(std::size(pinned), std::size(kCases));
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const Case& c = kCases[i];
    TWarpEngine plain;
    plain.options = ReferenceOptions();
    plain.shape_polylines = c.shape();
    plain.selected = 0;
    plain.direction = c.direction;
    plain.angle = c.angle;
    plain.feather = c.feather;
    TImagePair pair = Picture(c.w, c.h);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(RunWarpJob(plain, c.kind, pair));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(Digest(plain.dest), pinned[i][0]) << "dest of case " << i;
    EXPECT_EQ(Digest(pair.result), pinned[i][1]) << "result of case " << i;
  }
}

// The largest squares need more id layers than threads, each counting its
// rays from its own first; a small layer size makes that happen at a side
// the plain engine can check.
TEST(FastSweep, ManySmallIdLayersGiveThePlainBytes) {
  for (EngineKernels kernels : {EngineKernels::kWidest, EngineKernels::kAvx2, EngineKernels::kPortable}) {
    for (std::size_t rays_per_layer : {1u, 7u, 500u}) {
      TWarpEngine plain, fast;
      TImagePair pair = Picture(211, 211);
      for (TWarpEngine* e : {&plain, &fast}) {
        e->shape_polylines = Many();
        e->selected = 0;
        e->angle = 33;
        PrepareWarp(*e, 211, pair.src.data());
        RefreshAssistCache(*e, e->job, ReferenceOptions());
        SquareToDisk(*e);
      }
      SweepRays(plain, plain.job.assist);
      EngineOptions options;
      options.threads = 2;
      options.kernels = kernels;
      fast::SweepRaysByIds(fast, fast.job.assist, options, {}, true, rays_per_layer);
      EXPECT_TRUE(plain.dest == fast.dest) << rays_per_layer << " rays a layer";
    }
  }
}

TEST(FastAssist, MatchesThePlainGeneratorOnEveryField) {
  for (PolylineList (*shape)() : {One, Two, Many, Rings, ZeroOuter, Unruly}) {
    for (int side : {15, 100, 999, 2000}) {
      PolylineList g1, g2, plain, fast;
      ScalePolylines(g1, shape(), side);
      g2 = g1;
      GenerateAssistPolyline_Dis(g1, plain);
      EngineOptions three;
      three.threads = 3;
      GenerateAssistPolylineFast(g2, fast, three);
      ASSERT_EQ(plain.size(), fast.size()) << side;
      for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(plain[i].t, fast[i].t) << i;
        ASSERT_EQ(plain[i].arc, fast[i].arc) << i;
        ASSERT_EQ(plain[i].length, fast[i].length) << i;
        ASSERT_EQ(plain[i].segments.size(), fast[i].segments.size());
        for (std::size_t k = 0; k < plain[i].segments.size(); ++k) {
          const TSegment& a = plain[i].segments[k];
          const TSegment& b = fast[i].segments[k];
          ASSERT_TRUE(a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 &&
                      a.length == b.length && a.cum_length == b.cum_length)
              << "polyline " << i << " segment " << k << " side " << side;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quorvel
