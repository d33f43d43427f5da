#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/test_shapes.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

using testing::Loop;

TEST(MeasurePolyline, OneSegmentAndClosedTriangle) {
  TPolyline one = Loop({{0, 0}, {3, 4}});
  one.segments.pop_back();
  EXPECT_TRUE(MeasurePolyline(one));
  EXPECT_EQ(one.length, 5.0f);
  EXPECT_EQ(one.segments[0].cum_length, 5.0f);

  TPolyline tri = Loop({{0, 0}, {4, 0}, {4, 3}});
  MeasurePolyline(tri);
  ASSERT_EQ(tri.segments.size(), 3u);
  EXPECT_EQ(tri.segments[0].length, 4.0f);
  EXPECT_EQ(tri.segments[1].length, 3.0f);
  EXPECT_EQ(tri.segments[2].length, 5.0f);
  EXPECT_EQ(tri.segments[2].cum_length, 12.0f);
  EXPECT_EQ(tri.length, 12.0f);

  TPolyline empty;
  MeasurePolyline(empty);
  EXPECT_EQ(empty.length, 0.0f);
}

TEST(MeasurePolyline, RoundsTheSquaredLengthBeforeTheRoot) {
  // dx^2 + dy^2 = 1 + 2^-30 is not a float32; it rounds to 1, so the length
  // is exactly 1 (a double root would give a float just above 1).
  TPolyline p;
  const float dy = std::ldexp(1.0f, -15);
  p.segments.push_back(TSegment{0.0f, 0.0f, 1.0f, dy, 0.0f, 0.0f});
  MeasurePolyline(p);
  EXPECT_EQ(p.length, 1.0f);
}

TEST(PointAtLength, AnswersInsideAndOnBoundariesRefusesOutside) {
  TPolyline one = Loop({{0, 0}, {3, 4}});
  one.segments.pop_back();
  MeasurePolyline(one);
  TPointF q;
  ASSERT_TRUE(PointAtLength(one, 2.5f, q));
  EXPECT_EQ(q.x, 1.5f);
  EXPECT_EQ(q.y, 2.0f);

  TPolyline tri = Loop({{0, 0}, {4, 0}, {4, 3}});
  MeasurePolyline(tri);
  ASSERT_TRUE(PointAtLength(tri, 0.0f, q));
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);
  ASSERT_TRUE(PointAtLength(tri, 4.0f, q));
  EXPECT_EQ(q.x, 4.0f);
  EXPECT_EQ(q.y, 0.0f);
  ASSERT_TRUE(PointAtLength(tri, 7.0f, q));
  EXPECT_EQ(q.x, 4.0f);
  EXPECT_EQ(q.y, 3.0f);
  ASSERT_TRUE(PointAtLength(tri, 12.0f, q));
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);

  q = TPointF{-9.0f, -9.0f};
  EXPECT_FALSE(PointAtLength(tri, 12.5f, q));
  EXPECT_FALSE(PointAtLength(tri, -0.1f, q));
  EXPECT_FALSE(PointAtLength(tri, std::numeric_limits<float>::quiet_NaN(), q));
  EXPECT_EQ(q.x, -9.0f);  // left as the caller had it
  EXPECT_EQ(q.y, -9.0f);

  TPolyline empty;
  MeasurePolyline(empty);
  EXPECT_FALSE(PointAtLength(empty, 0.0f, q));
}

TEST(PointAtLength, ZeroLengthSegmentAnswersOnlyItsOwnPosition) {
  // Assist polylines end in a zero segment at the origin.
  TPolyline p;
  p.segments.push_back(TSegment{5, 0, 1, 0, 0, 0});
  p.segments.push_back(TSegment{0, 0, 0, 0, 0, 0});
  MeasurePolyline(p);
  TPointF q;
  ASSERT_TRUE(PointAtLength(p, 4.0f, q));
  EXPECT_EQ(q.x, 1.0f);  // the real segment's end, not the origin
  ASSERT_TRUE(PointAtLength(p, 0.0f, q));
  EXPECT_EQ(q.x, 5.0f);

  TPolyline lone;
  lone.segments.push_back(TSegment{0, 0, 0, 0, 0, 0});
  MeasurePolyline(lone);
  ASSERT_TRUE(PointAtLength(lone, 0.0f, q));
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_FALSE(PointAtLength(lone, 0.5f, q));
}

TEST(ScalePolylines, ScalesCoordinatesByFloatRatioAndCopiesTheRest) {
  PolylineList src = {Loop({{-150, -150}, {150, -150}, {0, 149.5f}})};
  src[0].t = 0.25f;
  src[0].segments[0].length = 7.0f;
  PolylineList dst = {Loop({{1, 1}, {2, 2}}), Loop({{3, 3}, {4, 4}})};
  ScalePolylines(dst, src, 600);
  ASSERT_EQ(dst.size(), 1u);
  EXPECT_EQ(dst[0].segments[0].x1, -300.0f);
  EXPECT_EQ(dst[0].segments[1].y2, 299.0f);
  EXPECT_EQ(dst[0].segments[0].length, 7.0f);
  EXPECT_EQ(dst[0].t, 0.25f);

  ScalePolylines(dst, src, 300);
  EXPECT_EQ(dst[0].segments[2].x1, 0.0f);
  EXPECT_EQ(dst[0].segments[2].y1, 149.5f);

  // k = float32(100 / 300); each product is rounded once.
  ScalePolylines(dst, src, 100);
  const float k = static_cast<float>(100 / 300.0);
  EXPECT_EQ(dst[0].segments[2].y1, static_cast<float>(149.5 * double(k)));
  src[0].segments[0].x1 = 1.0f;
  EXPECT_EQ(dst[0].segments[0].x1, static_cast<float>(-150.0 * double(k)));  // an independent copy
}

}  // namespace
}  // namespace quorvel
