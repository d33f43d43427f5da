#include <gtest/gtest.h>

#include "warp/mapping.h"

namespace quorvel {
namespace {

// A 100 x 100 engine whose dest is opaque-ish (alpha 200) everywhere.
TWarpEngine Engine(int feather) {
  TWarpEngine e;
  PixelBlock square;
  AllocBlock(square, 100, 100);
  PrepareWarp(e, 100, square.data());
  std::fill(e.dest.begin(), e.dest.end(), 0xC8102030u);
  e.feather = feather;
  return e;
}

// One assist polyline: a straight run inwards along the row through the
// centre, then the trailing zero segment.
PolylineList InwardRun(float from_x, float to_x) {
  TPolyline p;
  p.segments.push_back(TSegment{from_x, 0, to_x, 0, 0, 0});
  p.segments.push_back(TSegment{});
  return {p};
}

int AlphaAt(const TWarpEngine& e, int column, int display_row) {
  return e.dest[(99 - display_row) * 100 + column] >> 24;
}

TEST(ApplyFeather, FadesTheFirstPixelsFromTheBoundaryInQuarterSteps) {
  TWarpEngine e = Engine(3);  // k = 1/4
  PolylineList list = InwardRun(-40, 0);
  ApplyFeather(e, list);
  // Distances 0, 1, 2 land on columns 10, 11, 12 (factors 1/4, 2/4, 3/4);
  // the half steps fall on pixels already faded and leave them alone.
  EXPECT_EQ(AlphaAt(e, 10, 50), 50);
  EXPECT_EQ(AlphaAt(e, 11, 50), 100);
  EXPECT_EQ(AlphaAt(e, 12, 50), 150);
  EXPECT_EQ(AlphaAt(e, 13, 50), 200);
  EXPECT_EQ(e.dest[(99 - 50) * 100 + 10] & 0x00FFFFFF, 0x102030u);  // colour kept
}

TEST(ApplyFeather, HalfStepsReachNewPixelsWithTheirOwnFactor) {
  TWarpEngine e = Engine(3);
  PolylineList list = InwardRun(-40.5f, 0);  // distance 0.5 lands on column 10
  ApplyFeather(e, list);
  EXPECT_EQ(AlphaAt(e, 9, 50), 50);    // (0 + 1) / 4
  EXPECT_EQ(AlphaAt(e, 10, 50), 75);   // (0.5 + 1) / 4
  EXPECT_EQ(AlphaAt(e, 11, 50), 125);  // (1.5 + 1) / 4
  EXPECT_EQ(AlphaAt(e, 12, 50), 175);  // (2.5 + 1) / 4
}

TEST(ApplyFeather, FirstPolylineToReachAPixelDecides) {
  TWarpEngine e = Engine(3);
  PolylineList list = InwardRun(-40, 0);
  PolylineList later = InwardRun(-41, 0);  // distance 1 is column 10 again
  list.push_back(later[0]);
  ApplyFeather(e, list);
  EXPECT_EQ(AlphaAt(e, 10, 50), 50);
  EXPECT_EQ(AlphaAt(e, 9, 50), 50);
}

TEST(ApplyFeather, ZeroShortAndOversizedFeathers) {
  TWarpEngine none = Engine(0);
  PolylineList list = InwardRun(-40, 0);
  ApplyFeather(none, list);
  for (Pixel p : none.dest) ASSERT_EQ(p >> 24, 200u);

  TWarpEngine short_run = Engine(3);
  PolylineList two = InwardRun(-2, 0);  // shorter than the feather: not faded
  ApplyFeather(short_run, two);
  for (Pixel p : short_run.dest) ASSERT_EQ(p >> 24, 200u);

  TWarpEngine wide = Engine(80);
  ApplyFeather(wide, list);
  EXPECT_EQ(wide.feather, 50);
}

TEST(ApplyFeather, PointsOutsideTheRasterAreClampedOrDropped) {
  TWarpEngine e = Engine(3);
  PolylineList beyond = InwardRun(60, 0);  // starts at column 110: clamped to 99
  ApplyFeather(e, beyond);
  EXPECT_EQ(AlphaAt(e, 99, 50), 50);
  PolylineList below = InwardRun(-55, 0);  // starts at column -5: dropped
  TWarpEngine f = Engine(3);
  ApplyFeather(f, below);
  EXPECT_EQ(AlphaAt(f, 0, 50), 200);
}

}  // namespace
}  // namespace quorvel
