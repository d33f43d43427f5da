#include <gtest/gtest.h>

#include "tests/support/test_shapes.h"
#include "warp/assist.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

using testing::Loop;

PolylineList TwoSquares() {
  return {Loop({{-2, -2}, {2, -2}, {2, 2}, {-2, 2}}), Loop({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}})};
}

TEST(GenerateAssistPolyline_Dis, TwoGuidesGiveOnePolylinePerHalfUnitPlusTheLast) {
  PolylineList guides = TwoSquares();
  PolylineList out;
  GenerateAssistPolyline_Dis(guides, out);
  EXPECT_EQ(guides[0].length, 16.0f);  // the guides are measured
  ASSERT_EQ(out.size(), 34u);
  for (const TPolyline& p : out) {
    ASSERT_EQ(p.segments.size(), 2u);
    EXPECT_EQ(p.segments[1].x1, 0.0f);  // the trailing zero segment
    EXPECT_EQ(p.segments[1].length, 0.0f);
  }
  const TPolyline& first = out[0];
  EXPECT_EQ(first.t, 0.0f);
  EXPECT_EQ(first.segments[0].x1, -2.0f);
  EXPECT_EQ(first.segments[0].y1, -2.0f);
  EXPECT_EQ(first.segments[0].x2, -1.0f);
  EXPECT_EQ(first.segments[0].y2, -1.0f);

  const TPolyline& quarter = out[8];
  EXPECT_EQ(quarter.t, 0.25f);
  EXPECT_EQ(quarter.arc, 4.0f);
  EXPECT_EQ(quarter.segments[0].x1, 2.0f);
  EXPECT_EQ(quarter.segments[0].y1, -2.0f);
  EXPECT_EQ(quarter.segments[0].x2, 1.0f);
  EXPECT_EQ(quarter.segments[0].y2, -1.0f);
  EXPECT_EQ(quarter.length, 1.4142135f);

  // The loop reaches t = 1 exactly, so the last two are equal.
  EXPECT_EQ(out[32].t, 1.0f);
  EXPECT_EQ(out[33].t, 1.0f);
  EXPECT_EQ(out[33].arc, 16.0f);
  EXPECT_EQ(out[32].segments[0].x1, out[33].segments[0].x1);
  EXPECT_EQ(out[32].length, out[33].length);
}

TEST(GenerateAssistPolyline_Dis, StepsByFloat32HalfUnitsOfTheOuterLength) {
  PolylineList guides = {testing::Circle(37.3f, 17), testing::Circle(5.0f, 9)};
  PolylineList out;
  GenerateAssistPolyline_Dis(guides, out);
  const float step = static_cast<float>(0.5 / static_cast<double>(guides[0].length));
  float t = 0.0f;
  std::size_t count = 0;
  do {
    ASSERT_LT(count, out.size());
    EXPECT_EQ(out[count].t, t);
    ++count;
    t = static_cast<float>(static_cast<double>(t) + static_cast<double>(step));
  } while (t <= 1.0f);
  EXPECT_EQ(out.size(), count + 1);
  EXPECT_EQ(out.back().t, 1.0f);
}

TEST(GenerateAssistPolyline_Dis, OneGuideGivesSinglePoints) {
  PolylineList guides = {Loop({{-2, -2}, {2, -2}, {2, 2}, {-2, 2}})};
  PolylineList out;
  GenerateAssistPolyline_Dis(guides, out);
  ASSERT_EQ(out.size(), 34u);
  for (const TPolyline& p : out) {
    ASSERT_EQ(p.segments.size(), 1u);
    EXPECT_EQ(p.length, 0.0f);
  }
}

TEST(GenerateAssistPolyline_Dis, NoGuidesLeaveTheListAlone) {
  PolylineList guides;
  PolylineList out = TwoSquares();
  GenerateAssistPolyline_Dis(guides, out);
  EXPECT_EQ(out.size(), 2u);
}

TEST(GenerateAssistPolyline_Dis, ZeroLengthOuterLoopGivesTwoPolylines) {
  PolylineList guides = {Loop({{3, 3}, {3, 3}, {3, 3}}), Loop({{-1, -1}, {1, -1}, {1, 1}})};
  PolylineList out;
  GenerateAssistPolyline_Dis(guides, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].t, 0.0f);
  EXPECT_EQ(out[1].t, 1.0f);
  EXPECT_EQ(out[0].segments[0].x1, 3.0f);
}

TEST(AssistPolylineAt, LoopWithoutSegmentsRepeatsThePreviousPoint) {
  // Loops stored with fewer than two points have no segments.
  PolylineList guides = {TPolyline{}, TwoSquares()[0], TPolyline{}, TwoSquares()[1]};
  for (TPolyline& g : guides) MeasurePolyline(g);
  TPolyline q;
  q.segments.assign(4, TSegment{});
  AssistPolylineAt(guides, 0.25f, q);
  EXPECT_EQ(q.segments[0].x1, 0.0f);  // the outer loop has no point: the origin
  EXPECT_EQ(q.segments[0].y1, 0.0f);
  EXPECT_EQ(q.segments[0].x2, 2.0f);
  EXPECT_EQ(q.segments[1].x2, 2.0f);  // the empty third loop repeats (2, -2)
  EXPECT_EQ(q.segments[1].y2, -2.0f);
  EXPECT_EQ(q.segments[2].x1, 2.0f);
  EXPECT_EQ(q.segments[2].x2, 1.0f);
  EXPECT_EQ(q.segments[2].y2, -1.0f);
}

TEST(RefreshAssistCache, RebuildsOnlyWhenSideOrShapeChanges) {
  TWarpEngine engine;
  engine.shape_polylines = TwoSquares();
  engine.selected = 0;
  engine.width = 300;
  TAssistCache& slot = AssistSlot(engine, WarpKind::Apply);
  RefreshAssistCache(engine, slot);
  EXPECT_EQ(slot.key_side, 300);
  EXPECT_EQ(slot.key_shape, 0);
  ASSERT_EQ(slot.assist.size(), 34u);
  EXPECT_TRUE(engine.preview.assist.empty());  // the slots are separate

  slot.assist.pop_back();  // a marker: a rebuild would restore it
  RefreshAssistCache(engine, slot);
  EXPECT_EQ(slot.assist.size(), 33u);

  engine.width = 600;  // another picture size
  RefreshAssistCache(engine, slot);
  EXPECT_EQ(slot.assist.size(), 66u);
  EXPECT_EQ(slot.guides[0].segments[0].x1, -4.0f);

  slot.assist.pop_back();
  engine.selected = 1;  // another shape
  RefreshAssistCache(engine, slot);
  EXPECT_EQ(slot.assist.size(), 66u);
  EXPECT_EQ(slot.key_shape, 1);
}

TEST(RefreshAssistCache, WithoutASelectedShapeEveryCallRebuilds) {
  TWarpEngine engine;
  engine.width = 300;
  TAssistCache& slot = AssistSlot(engine, WarpKind::Preview);
  slot.assist = TwoSquares();
  RefreshAssistCache(engine, slot);
  EXPECT_TRUE(slot.guides.empty());
  EXPECT_EQ(slot.assist.size(), 2u);  // untouched: nothing to generate from
  EXPECT_EQ(slot.key_shape, -1);

  engine.shape_polylines = TwoSquares();
  RefreshAssistCache(engine, slot);
  EXPECT_EQ(slot.assist.size(), 34u);
  slot.assist.pop_back();
  RefreshAssistCache(engine, slot);
  EXPECT_EQ(slot.assist.size(), 34u);
}

}  // namespace
}  // namespace quorvel
