// Every shape of the bundled library, as built into the shape folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "shapebuild/loop_checks.h"
#include "shapes/shape_reader.h"
#include "warp/job.h"

namespace quorvel {
namespace {

TEST(BundledShapes, LoopsAreNestedOneWayRoundAndTheirAssistPolylinesNeverCross) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(QUORVEL_SHAPE_FOLDER)) {
    if (entry.path().extension() != ".qshp") continue;
    ++count;
    DecodedShapeFile file;
    ASSERT_EQ(ReadShapeFile(entry.path(), file), ShapeFileProblem::kNone) << entry.path();
    std::vector<std::vector<TPointF>> loops;
    for (const DecodedLoop& loop : file.loops) loops.push_back(loop.points);
    ASSERT_GE(loops.size(), 2u) << entry.path();
    const LoopCheckReport check = CheckShapeLoops(loops, 300);
    EXPECT_TRUE(check.nested) << entry.path();
    EXPECT_TRUE(check.same_orientation) << entry.path();
    EXPECT_EQ(check.assist_crossings, 0u) << entry.path();
    // The outline fills the design square with a margin and stays inside it.
    ASSERT_GE(file.outline.size(), 3u);
    float lo = 600.0f, hi = 0.0f;
    for (const TPointF& p : file.outline) {
      lo = std::min({lo, p.x, p.y});
      hi = std::max({hi, p.x, p.y});
    }
    EXPECT_GT(lo, 0.0f) << entry.path();
    EXPECT_LT(hi, 600.0f) << entry.path();
    EXPECT_GT(hi - lo, 500.0f) << entry.path();
  }
  EXPECT_GE(count, 30u);
}

// A picture of four coloured quadrants warped into bundled shapes comes out
// upright: each quadrant's colour lies in the matching quadrant of the result.
TEST(BundledShapes, PicturesComeOutUpright) {
  const int side = 200;
  const Pixel kTopLeft = 0xFFFF0000u, kTopRight = 0xFF00FF00u;
  const Pixel kBottomLeft = 0xFF0000FFu, kBottomRight = 0xFFFFFF00u;
  for (const char* name : {"circle", "square", "heart", "ring"}) {
    TWarpEngine engine;
    ASSERT_TRUE(LoadShapePolylines(std::filesystem::path(QUORVEL_SHAPE_FOLDER) / (std::string(name) + ".qshp"),
                                   engine.shape_polylines));
    engine.selected = 0;
    TImagePair pair;
    pair.width = pair.height = side;
    AllocBlock(pair.src, side, side);
    for (int row = 0; row < side; ++row)  // memory rows run bottom-up
      for (int x = 0; x < side; ++x)
        pair.src[row * side + x] = row >= side / 2 ? (x < side / 2 ? kTopLeft : kTopRight)
                                                   : (x < side / 2 ? kBottomLeft : kBottomRight);
    ASSERT_TRUE(RunWarpJob(engine, WarpKind::Preview, pair));
    // Display (column, row from the top) at a third and two thirds.
    // The quadrant colour nearest to what landed there (resampling blurs it).
    auto at = [&](int x, int display_row) {
      const Pixel p = pair.result[(side - 1 - display_row) * side + x];
      Pixel best = 0;
      int best_distance = 1 << 30;
      for (Pixel c : {kTopLeft, kTopRight, kBottomLeft, kBottomRight}) {
        int distance = 0;
        for (int shift : {0, 8, 16}) distance += std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((c >> shift) & 0xFF));
        if (distance < best_distance) best_distance = distance, best = c;
      }
      return best;
    };
    const int a = side * 3 / 10, b = side * 7 / 10;
    EXPECT_EQ(at(a, a), kTopLeft) << name;
    EXPECT_EQ(at(b, a), kTopRight) << name;
    EXPECT_EQ(at(a, b), kBottomLeft) << name;
    EXPECT_EQ(at(b, b), kBottomRight) << name;
  }
}

}  // namespace
}  // namespace quorvel
