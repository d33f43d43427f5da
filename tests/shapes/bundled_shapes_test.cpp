// Every shape of the bundled library, as built into the shape folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "shapes/loop_checks.h"
#include "shapes/shape_reader.h"

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

}  // namespace
}  // namespace quorvel
