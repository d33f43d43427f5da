#include <gtest/gtest.h>

#include <vector>

#include "raster/blend.h"
#include "raster/view_pane.h"
#include "tests/support/test_pictures.h"

namespace quorvel {
namespace {

class FakeWindow final : public IPaneWindow {
 public:
  std::int32_t ScreenWidth() const override { return 640; }
  std::int32_t ScreenHeight() const override { return 480; }
  TPaneSurface& BackBuffer() override { return back; }
  void CopyToWindow(const TPaneRect& rect) override { copied.push_back(rect); }
  void CaptureMouse() override { ++captures; }
  void ReleaseMouse() override { --captures; }

  TPaneSurface back;
  std::vector<TPaneRect> copied;
  int captures = 0;
};

// An opaque picture whose top row is red and every other row blue, so that
// a flipped copy shows at once.
TImagePair Picture(std::int32_t w, std::int32_t h) {
  return testing::LoadedPicture(w, h, [h](std::int32_t, std::int32_t row) {
    return row == h - 1 ? 0xFFFF0000u : 0xFF0000FFu;
  });
}

constexpr Pixel kShownBlue = 0xFE0000FEu;  // opaque blue blended over white
constexpr Pixel kShownRed = 0xFEFE0000u;

TEST(ViewPane, FittedWidePictureIsCentredOnGrey) {
  FakeWindow window;
  TImagePair pair = Picture(400, 100);
  TViewPane pane;
  pane.fit = 1;
  InitPane(pane, &window, 20, 30, 200, 200, &pair, 0);
  RenderPane(pane);
  EXPECT_EQ(pane.rendered, 1);
  EXPECT_EQ(pair.srcPreviewWidth, 200);
  EXPECT_EQ(pair.srcPreviewHeight, 50);

  PresentPane(pane);
  EXPECT_EQ(pane.rendered, 0);
  ASSERT_EQ(window.copied.size(), 1u);
  EXPECT_EQ(window.copied[0].x, 20);
  EXPECT_EQ(window.copied[0].width, 200);
  // off_y = 75: grey above and below the 50 rows of picture.
  EXPECT_EQ(SurfacePixel(window.back, 120, 30 + 74), kPaneGrey);
  EXPECT_EQ(SurfacePixel(window.back, 120, 30 + 75 + 25), kShownBlue);
  EXPECT_EQ(SurfacePixel(window.back, 120, 30 + 125), kPaneGrey);
  EXPECT_EQ(SurfacePixel(window.back, 20, 30), kPaneGrey);
}

TEST(ViewPane, FullSizePictureShowsItsTopRowAtTheTopBlendedOverWhite) {
  FakeWindow window;
  TImagePair pair = Picture(30, 20);
  pair.src[0] = 0x00123456u;  // bottom-left pixel fully transparent
  TViewPane pane;
  InitPane(pane, &window, 0, 0, 30, 20, &pair, 0);
  RenderPane(pane);
  EXPECT_EQ(SurfacePixel(pane.surface, 5, 0), kShownRed);
  EXPECT_EQ(SurfacePixel(pane.surface, 5, 1), kShownBlue);
  EXPECT_EQ(SurfacePixel(pane.surface, 0, 19), BlendOver(0x00123456u, PaneBackColor));
  EXPECT_EQ(SurfacePixel(pane.surface, 30, 0), kPaneGrey);  // beyond the picture
}

TEST(ViewPane, SmallPictureIsCentredAndCannotBePanned) {
  FakeWindow window;
  TImagePair pair = Picture(50, 40);
  TViewPane pane;
  InitPane(pane, &window, 0, 0, 200, 200, &pair, 0);
  RenderPane(pane);
  BeginDrag(pane, 100, 100);
  EXPECT_EQ(window.captures, 1);
  DragTo(pane, 10, 20);
  EXPECT_EQ(pane.panX, 0);
  EXPECT_EQ(pane.panY, 0);
  EndDrag(pane);
  EXPECT_EQ(window.captures, 0);

  PresentPane(pane);
  EXPECT_EQ(SurfacePixel(window.back, 74, 100), kPaneGrey);
  EXPECT_EQ(SurfacePixel(window.back, 75, 80), kShownRed);
  EXPECT_EQ(SurfacePixel(window.back, 124, 119), kShownBlue);
  EXPECT_EQ(SurfacePixel(window.back, 125, 100), kPaneGrey);
}

TEST(ViewPane, DragClampsThePanSoThePictureCoversThePane) {
  FakeWindow window;
  TImagePair pair = Picture(500, 300);
  TViewPane pane;
  InitPane(pane, &window, 0, 0, 200, 100, &pair, 0);
  BeginDrag(pane, 50, 50);
  DragTo(pane, 80, 70);  // right and down from the start: stays at the edge
  EXPECT_EQ(pane.panX, 0);
  EXPECT_EQ(pane.panY, 0);
  DragTo(pane, 40, 60);
  EXPECT_EQ(pane.panX, -40);
  EXPECT_EQ(pane.panY, -10);
  DragTo(pane, -2000, -2000);
  EXPECT_EQ(pane.panX, 200 - 500);
  EXPECT_EQ(pane.panY, 100 - 300);
  EXPECT_EQ(pane.lastX, -2000);
  EndDrag(pane);
  DragTo(pane, 0, 0);  // not dragging any more
  EXPECT_EQ(pane.panX, -300);

  // Panned to the bottom: the bottom row (blue) is shown, the red top is not.
  RenderPane(pane);
  PresentPane(pane);
  EXPECT_EQ(SurfacePixel(window.back, 0, 0), kShownBlue);
  InitPane(pane, &window, 0, 0, 200, 100, &pair, 0);
  EXPECT_EQ(pane.panX, 0);
  EXPECT_EQ(pane.panY, 0);
}

TEST(ViewPane, FittedPaneRecordsTheMouseButNeverPans) {
  FakeWindow window;
  TImagePair pair = Picture(500, 300);
  TViewPane pane;
  pane.fit = 1;
  InitPane(pane, &window, 0, 0, 200, 100, &pair, 0);
  BeginDrag(pane, 50, 50);
  DragTo(pane, 10, 12);
  EXPECT_EQ(pane.lastX, 10);
  EXPECT_EQ(pane.lastY, 12);
  EXPECT_EQ(pane.panX, 0);
  EXPECT_EQ(pane.panY, 0);
}

TEST(ViewPane, MissingResultPresentsGreyOnlyEvenOverAStaleSurface) {
  FakeWindow window;
  TImagePair pair = Picture(60, 40);
  TViewPane pane;
  InitPane(pane, &window, 10, 10, 100, 100, &pair, 1);
  pair.result = pair.src;
  RenderPane(pane);
  ReleaseBlock(pair.result);  // a new picture dropped the result
  RenderPane(pane);
  PresentPane(pane);
  for (int y = 10; y < 110; y += 9)
    for (int x = 10; x < 110; x += 9) ASSERT_EQ(SurfacePixel(window.back, x, y), kPaneGrey) << x << "," << y;
}

TEST(ViewPane, InvisibleOrUnsetPanesPresentNothing) {
  FakeWindow window;
  TImagePair pair = Picture(60, 40);
  TViewPane pane;
  InitPane(pane, &window, 0, 0, 100, 100, &pair, 0);
  pane.visible = 0;
  PresentPane(pane);
  TViewPane without_picture;
  InitPane(without_picture, &window, 0, 0, 100, 100, nullptr, 0);
  RenderPane(without_picture);
  PresentPane(without_picture);
  EXPECT_TRUE(window.copied.empty());
}

TEST(ViewPane, SurfacesAreCreatedOnceAndReleasedSafely) {
  FakeWindow window;
  TImagePair pair = Picture(60, 40);
  TViewPane a;
  TViewPane b;
  InitPane(a, &window, 0, 0, 100, 100, &pair, 0);
  const Pixel* first = a.surface.pixels.data();
  const Pixel* back = window.back.pixels.data();
  InitPane(a, &window, 5, 5, 300, 300, &pair, 0);
  InitPane(b, &window, 0, 0, 10, 10, &pair, 1);
  EXPECT_EQ(a.surface.pixels.data(), first);
  EXPECT_EQ(window.back.pixels.data(), back);
  EXPECT_EQ(a.surface.width, 640);
  EXPECT_EQ(window.back.height, 480);
  ReleasePane(a);
  ReleasePane(b);  // the shared back buffer is already gone
  EXPECT_TRUE(window.back.pixels.empty());
  EXPECT_EQ(a.surfaceReady, 0);
}

TEST(ViewPane, PicturesAndPanesBeyondTheSurfacesAreClipped) {
  FakeWindow window;
  TImagePair pair = Picture(700, 500);  // larger than the 640 x 480 screen
  TViewPane pane;
  InitPane(pane, &window, 600, 400, 700, 500, &pair, 0);
  RenderPane(pane);
  EXPECT_EQ(SurfacePixel(pane.surface, 639, 0), kShownRed);
  PresentPane(pane);
  EXPECT_EQ(SurfacePixel(window.back, 639, 400), kShownRed);

  // A window squeezed below its fixed columns gives a negative pane size.
  TViewPane squeezed;
  squeezed.fit = 1;
  InitPane(squeezed, &window, 12, 60, -30, -5, &pair, 0);
  RenderPane(squeezed);
  EXPECT_EQ(squeezed.rendered, 0);
  PresentPane(squeezed);
}

}  // namespace
}  // namespace quorvel
