// Building loops from rendered outlines: methods, rings, refusals.
#include "shapebuild/loop_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "shapebuild/loop_encoder.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {
namespace {

// A side x side mask, coverage by sampling 4 x 4 points per pixel.
TCoverageMask Mask(std::int32_t side, const std::function<bool(double, double)>& filled) {
  TCoverageMask m;
  m.width = m.height = side;
  m.coverage.resize(std::size_t(side) * side);
  for (std::int32_t y = 0; y < side; ++y)
    for (std::int32_t x = 0; x < side; ++x) {
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) hits += filled(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
      m.coverage[std::size_t(y) * side + x] = std::uint8_t(hits * 255 / 16);
    }
  return m;
}

bool InDisk(double x, double y, double cx, double cy, double r) { return std::hypot(x - cx, y - cy) < r; }

std::vector<std::vector<TPointF>> Decoded(const ShapeFileContents& c) {
  std::vector<std::vector<TPointF>> loops;
  for (const ShapeFileBlock& b : c.blocks) loops.push_back(DecodeShapeBlock(b));
  return loops;
}

TEST(BuildShapeLoops, DiskGivesScaledLoopsFittedWithMarginStartingAtTheBottom) {
  const TCoverageMask m = Mask(300, [](double x, double y) { return InDisk(x, y, 150, 150, 120); });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, {}, r), ShapeBuildProblem::kNone);
  EXPECT_EQ(r.method, LoopMethod::kScaled);
  const auto loops = Decoded(r.contents);
  ASSERT_EQ(loops.size(), 8u);
  EXPECT_TRUE(CheckShapeLoops(loops).Usable());
  // Fitted to 288 units across, centred; the start straight below the
  // centre (y grows downwards), and the loop runs anticlockwise on screen,
  // towards the right first: that lays a picture upright.
  float x0 = 1e9f, x1 = -1e9f;
  for (const TPointF& p : loops[0]) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
  EXPECT_NEAR(x1 - x0, 288.0, 0.5);
  EXPECT_NEAR(loops[0][0].x, 0.0, 0.3);
  EXPECT_NEAR(loops[0][0].y, 144.0, 0.3);
  EXPECT_GT(loops[0][1].x, 0.0f);
  EXPECT_GT(loops[0][loops[0].size() / 4].x, 100.0f);
  // Start points in correspondence: the innermost loop starts below the centre too.
  EXPECT_NEAR(loops.back()[0].x, 0.0, 0.05);
  EXPECT_GT(loops.back()[0].y, 0.0f);
  // The outline is the outer loop in the design square.
  for (const ShapePointD& p : r.contents.outline) {
    EXPECT_NEAR(std::hypot(p.x - 300.0, p.y - 300.0), 288.0, 0.6);
  }
}

TEST(BuildShapeLoops, HarmonicLoopsOfAnEllipseAreUsable) {
  const TCoverageMask m = Mask(300, [](double x, double y) {
    return std::hypot((x - 150) / 130, (y - 150) / 90) < 1.0;
  });
  LoopBuildOptions options;
  options.method = LoopMethod::kHarmonic;
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, options, r), ShapeBuildProblem::kNone);
  EXPECT_EQ(r.method, LoopMethod::kHarmonic);
  const auto loops = Decoded(r.contents);
  EXPECT_GT(loops.size(), 8u);
  EXPECT_TRUE(CheckShapeLoops(loops).Usable());
}

// A thick ring cut open (a letter C): no loop about one centre sees it
// whole, and level sets leave its ends behind; offsets cut short along the
// strip close in on its middle.
TEST(BuildShapeLoops, OpenRingBuildsAsAStrip) {
  const TCoverageMask m = Mask(600, [](double x, double y) {
    return InDisk(x, y, 300, 300, 270) && !InDisk(x, y, 300, 300, 180) &&
           std::atan2(std::fabs(y - 300), x - 300) > 0.6;
  });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, {}, r), ShapeBuildProblem::kNone);
  EXPECT_EQ(r.method, LoopMethod::kStrip);
  const auto loops = Decoded(r.contents);
  EXPECT_TRUE(CheckShapeLoops(loops).Usable());
  // Fitted with its opening to the right: the loops close in on the middle
  // of the C's back, on the left, on the axis.
  double x = 0.0, y = 0.0;
  for (const TPointF& p : loops.back()) x += double(p.x), y += double(p.y);
  x /= double(loops.back().size()), y /= double(loops.back().size());
  EXPECT_LT(x, -40.0);
  EXPECT_NEAR(y, 0.0, 3.0);
}

// A thin ring cut open is still beyond every method: it is refused rather
// than written with crossing assist polylines.
TEST(BuildShapeLoops, ThinOpenRingIsRefusedWithTheReason) {
  const TCoverageMask m = Mask(200, [](double x, double y) {
    return InDisk(x, y, 100, 100, 90) && !InDisk(x, y, 100, 100, 80) && std::atan2(std::fabs(y - 100), x - 100) > 0.6;
  });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, {}, r), ShapeBuildProblem::kNoLoops);
  EXPECT_FALSE(r.check.Usable());
  EXPECT_TRUE(r.contents.blocks.empty());

  // Out of time before the first try: refused as such, nothing built.
  LoopBuildOptions hurried;
  hurried.time_limit = 0.0;
  LoopBuildResult late;
  ASSERT_EQ(BuildShapeLoops(m, hurried, late), ShapeBuildProblem::kOutOfTime);
  EXPECT_TRUE(late.contents.blocks.empty());
}

TEST(BuildShapeLoops, RingEndsOnItsHole) {
  const TCoverageMask m = Mask(300, [](double x, double y) {
    return InDisk(x, y, 150, 150, 130) && !InDisk(x, y, 150, 150, 60);
  });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, {}, r), ShapeBuildProblem::kNone);
  EXPECT_EQ(r.method, LoopMethod::kHarmonic);
  const auto loops = Decoded(r.contents);
  ASSERT_GE(loops.size(), 3u);
  // The hole, fitted like the rest: radius 60 * 288 / 260.
  for (const TPointF& p : loops.back()) EXPECT_NEAR(std::hypot(p.x, p.y), 60.0 * 288.0 / 260.0, 0.6);
  EXPECT_TRUE(CheckShapeLoops(loops).Usable());
}

TEST(BuildShapeLoops, Refusals) {
  LoopBuildResult r;
  EXPECT_EQ(BuildShapeLoops(Mask(100, [](double, double) { return false; }), {}, r),
            ShapeBuildProblem::kNoFilledArea);
  EXPECT_EQ(BuildShapeLoops(TCoverageMask{}, {}, r), ShapeBuildProblem::kNoFilledArea);
  EXPECT_EQ(BuildShapeLoops(Mask(200, [](double x, double y) {
                              return InDisk(x, y, 50, 100, 40) || InDisk(x, y, 150, 100, 40);
                            }), {}, r),
            ShapeBuildProblem::kSeveralPieces);
  EXPECT_EQ(BuildShapeLoops(Mask(200, [](double x, double y) {
                              return InDisk(x, y, 100, 100, 90) && !InDisk(x, y, 60, 100, 25) &&
                                     !InDisk(x, y, 140, 100, 25);
                            }), {}, r),
            ShapeBuildProblem::kSeveralHoles);
}

// A traced blob, its border jagged at several scales and notched too
// deeply to be seen whole from any point: the smooth method's first good
// try is taken although its assist paths cross here and there, rather
// than every later method being tried for a set that crosses nowhere.
TEST(BuildShapeLoops, JaggedBlobStopsAtAnExcellentSmoothTry) {
  // The angle wobbles faster than the radius, so the border overhangs.
  PolygonD border;
  for (int i = 0; i < 720; ++i) {
    const double u = 2 * M_PI * i / 720;
    const double r = 90 * (1 + 0.08 * std::sin(2 * u + 1) + 0.03 * std::sin(17 * u) + 0.02 * std::sin(57 * u + 2));
    const double t = u + 0.03 * std::sin(45 * u);
    border.push_back({120 + 1.2 * r * std::cos(t), 120 + r * std::sin(t)});
  }
  const TCoverageMask m = Mask(240, [&border](double x, double y) { return PointInPolygon(border, {x, y}); });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, {}, r), ShapeBuildProblem::kNone);
  EXPECT_EQ(r.method, LoopMethod::kSmooth);
  EXPECT_GT(r.check.assist_crossings, 0u);
  EXPECT_TRUE(r.quality.Excellent());
  EXPECT_GE(r.quality.reach, kMinReach);
}

// A thin crescent on a coarse grid: the disk map's depth is nearly flat in
// the horns, and a try gives up rather than space out thousands of loops.
TEST(BuildShapeLoops, ThinCrescentDiskTriesKeepToTheirLoopBudget) {
  const TCoverageMask m = Mask(200, [](double x, double y) {
    return InDisk(x, y, 100, 100, 86.66) && !InDisk(x, y, 170.7, 100, 66.66);
  });
  LoopBuildOptions options;
  options.method = LoopMethod::kDisk;
  options.grid = 101;
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, options, r), ShapeBuildProblem::kNone);
  EXPECT_LE(r.contents.blocks.size(), 160u);
}

TEST(BuildShapeLoops, SpecksAreDroppedAndPinholesFilled) {
  const TCoverageMask m = Mask(200, [](double x, double y) {
    return (InDisk(x, y, 100, 100, 80) && !InDisk(x, y, 100, 100, 2)) || InDisk(x, y, 195, 5, 2);
  });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(m, {}, r), ShapeBuildProblem::kNone);
  EXPECT_EQ(r.method, LoopMethod::kScaled);  // no ring: the pinhole is filled
}

TEST(BuildShapeLoops, LargestPieceKeptAndSmallHolesFilledWithNoticesUnlessStrict) {
  // A disk and an island of a sixth of its area.
  const TCoverageMask islands = Mask(240, [](double x, double y) {
    return InDisk(x, y, 100, 120, 80) || InDisk(x, y, 215, 120, 80 / std::sqrt(6.0));
  });
  LoopBuildResult r;
  ASSERT_EQ(BuildShapeLoops(islands, {}, r), ShapeBuildProblem::kNone);
  ASSERT_EQ(r.notices.size(), 1u);
  EXPECT_NE(r.notices[0].find("dropped 1 other piece"), std::string::npos) << r.notices[0];
  LoopBuildOptions strict;
  strict.strict = true;
  EXPECT_EQ(BuildShapeLoops(islands, strict, r), ShapeBuildProblem::kSeveralPieces);

  // Two holes of about 1 % of the area each: filled, one notice; strict
  // keeps them and so refuses.
  const TCoverageMask holes = Mask(240, [](double x, double y) {
    return InDisk(x, y, 120, 120, 100) && !InDisk(x, y, 80, 120, 10) && !InDisk(x, y, 160, 120, 10);
  });
  LoopBuildResult h;
  ASSERT_EQ(BuildShapeLoops(holes, {}, h), ShapeBuildProblem::kNone);
  EXPECT_EQ(h.method, LoopMethod::kScaled);  // no ring left
  ASSERT_EQ(h.notices.size(), 1u);
  EXPECT_NE(h.notices[0].find("filled 2 small holes"), std::string::npos) << h.notices[0];
  EXPECT_EQ(BuildShapeLoops(holes, strict, h), ShapeBuildProblem::kSeveralHoles);
}

TEST(PolygonOps, StarKernelOfAnLShapeIsItsCorner) {
  const PolygonD l{{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}};
  ASSERT_GT(SignedArea(l), 0.0);
  const PolygonD kernel = StarKernel(l, 0.0);
  ASSERT_FALSE(kernel.empty());
  EXPECT_NEAR(SignedArea(kernel), 16.0, 1e-9);
  const PolygonD u{{0, 0}, {10, 0}, {10, 10}, {7, 10}, {7, 3}, {3, 3}, {3, 10}, {0, 10}};
  EXPECT_TRUE(StarKernel(u, 0.0).empty() || SignedArea(StarKernel(u, 0.0)) < 1e-9);
  EXPECT_TRUE(StarKernel(u, 0.5).empty());
}

}  // namespace
}  // namespace quorvel
