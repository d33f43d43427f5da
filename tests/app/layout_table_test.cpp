#include <gtest/gtest.h>

#include <map>

#include "app/layout_table.h"
#include "app/pane_layout.h"

namespace quorvel {
namespace {

// Every control of the table laid out for a client of w x h, by id.
std::map<std::int32_t, LayoutRect> LayOut(std::int32_t w, std::int32_t h) {
  int parent = 0;
  std::map<std::int32_t, int> controls;
  LayoutTable table = BuildLayoutTable(&parent, [&](std::int32_t id) -> LayoutWindow { return &controls[id]; });
  std::map<std::int32_t, LayoutRect> placed;
  ApplyLayout(table, {w, h}, [&](LayoutWindow control, const LayoutRect& r) {
    for (auto& [id, slot] : controls)
      if (&slot == control) placed[id] = r;
  });
  return placed;
}

TEST(LayoutTable, DesignUnitsBecomePixelsTruncated) {
  EXPECT_EQ(DesignToPixels(9), 13);
  EXPECT_EQ(DesignToPixels(139), 208);
  EXPECT_EQ(DesignToPixels(5), 7);
  EXPECT_EQ(DesignToPixels(0), 0);
}

TEST(LayoutTable, AnchoredControlsFollowTheClientSize) {
  for (const auto& [w, h] : {std::pair{1024, 655}, {1400, 900}, {700, 420}}) {
    const auto placed = LayOut(w, h);
    EXPECT_EQ(placed.size(), MainDialogControlRecords().size());
    EXPECT_EQ(placed.at(3), (LayoutRect{w - 154, h - 89, w - 31, h - 37})) << w;
    EXPECT_EQ(placed.at(1039), (LayoutRect{w - 182, 3, w - 7, h - 12})) << w;
    EXPECT_EQ(placed.at(1038), (LayoutRect{7, 49, w - 192, h - 9})) << w;
    // The top row keeps its place; the column keeps its distance from the right.
    EXPECT_EQ(placed.at(1009), (LayoutRect{256, 13, 286, 37}));
    EXPECT_EQ(placed.at(1014), (LayoutRect{w - 9 - 144, 42, w - 9, 57}));
    EXPECT_EQ(placed.at(1029), (LayoutRect{w - 9 - 159, h - 16 - 15, w - 9, h - 16}));
  }
}

TEST(LayoutTable, NarrowWindowGivesNegativeStretchSizesUnchanged) {
  const auto placed = LayOut(150, 40);
  EXPECT_EQ(placed.at(1038).Width(), 150 - 192 - 7);
  EXPECT_EQ(placed.at(1038).Height(), 40 - 9 - 49);
}

TEST(LayoutTable, RecordsWithoutParentOrControlAreSkipped) {
  LayoutTable table = BuildLayoutTable(nullptr, [](std::int32_t) -> LayoutWindow { return nullptr; });
  int moved = 0;
  ApplyLayout(table, {800, 600}, [&](LayoutWindow, const LayoutRect&) { ++moved; });
  EXPECT_EQ(moved, 0);
}

TEST(LayoutTable, DrawingAreasAreInPixels) {
  int parent = 0;
  const LayoutAreas areas = MakeLayoutAreas(&parent);
  const LayoutSize client{1000, 600};
  EXPECT_EQ(ItemRect(areas.ThumbArea, client), (LayoutRect{370, 3, 420, 53}));
  EXPECT_EQ(ItemRect(areas.SwatchArea, client), (LayoutRect{892, 322, 922, 352}));
  EXPECT_EQ(ItemRect(areas.PreviewArea, client), (LayoutRect{855, 403, 955, 503}));
  EXPECT_EQ(ItemRect(areas.ViewArea, client), (LayoutRect{12, 60, 802, 587}));
  EXPECT_EQ(areas.ViewArea.parent, &parent);
  EXPECT_EQ(areas.ViewArea.control, nullptr);
}

TEST(LayoutTable, PercentAndCentreModes) {
  const LayoutItem item{nullptr, nullptr, kCenter, 0, 0, kPercent, kCenter, 0, 0, kPercent, 25, 50};
  EXPECT_EQ(ItemRect(item, {401, 201}), (LayoutRect{200 - 50, 100 - 50, 150 + 100, 50 + 100}));
}

TEST(PaneLayout, BothPanesShareTheViewWithAGap) {
  const LayoutRect even{12, 60, 812, 600};  // 800 wide: gap 10
  const TPaneRect src = SourcePaneRect(even, true);
  const TPaneRect dst = ResultPaneRect(even, true);
  EXPECT_EQ(src.width, 395);
  EXPECT_EQ(dst.x - (src.x + src.width), 10);
  EXPECT_EQ(dst.x + dst.width, 812);
  const LayoutRect odd{12, 60, 813, 600};  // 801 wide: gap 11
  EXPECT_EQ(ResultPaneRect(odd, true).x - (12 + SourcePaneRect(odd, true).width), 11);

  const TPaneRect alone = ResultPaneRect(even, false);
  EXPECT_EQ(alone.x, 12);
  EXPECT_EQ(alone.width, 800);
  EXPECT_EQ(alone.height, 540);
  const TPaneRect splash = CentredPaneRect(even, 807, 556);
  EXPECT_EQ(splash.x, 12 + (800 - 807) / 2);
  EXPECT_EQ(splash.y, 60 + (540 - 556) / 2);
}

}  // namespace
}  // namespace quorvel
