// Harmonic loops whose core follows the shape's arms.
#include "shapebuild/harmonic_loops.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

// The thick core read from a distance field measured once must be the core
// measured node by node: same loops, so a shape builds the same either way.
TEST(BuildHarmonicLoops, CoreFromTheDistanceFieldMatchesTheMeasuredOne) {
  const PolygonD outer = testing::LetterC(130.0, 70.0, 0.5);
  DistanceField field;
  MeasureDistance(outer, 201, field);
  HarmonicLoopOptions options;
  options.grid = 201;
  options.core_share = 0.6;
  std::vector<PolygonD> measured, read;
  ASSERT_TRUE(BuildHarmonicLoops(outer, {}, options, measured));
  options.distance = &field;
  ASSERT_TRUE(BuildHarmonicLoops(outer, {}, options, read));
  ASSERT_EQ(read.size(), measured.size());
  for (std::size_t k = 0; k < read.size(); ++k)
    EXPECT_NEAR(SignedArea(read[k]), SignedArea(measured[k]), 1e-6 * std::fabs(SignedArea(outer))) << k;
}

}  // namespace
}  // namespace quorvel
