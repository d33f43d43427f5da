// The dialog's panes: where they lie, when they are rendered, the display
// modes, panning, and the paint that shows the back buffer.
//
// The window shows the back buffer wherever a pane or an area fill has drawn
// (drawnRegion), kept inside the four drawing areas so that nothing the
// panes drew lingers under the controls after the window shrinks.
#include <QAbstractButton>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "app/client_area.h"
#include "app/control_ids.h"
#include "app/morvex_dlg.h"
#include "app/pane_layout.h"
#include "app/surface_image.h"
#include "raster/zoom.h"
#include "warp/job.h"

namespace quorvel {
namespace {

// Presses inside this rectangle start a drag, whatever the window's size.
const QRect kDragStartArea(QPoint(10, 60), QPoint(819, 619));

QRect ToQRect(const LayoutRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Transparent parts of a picture show on it, in every pane.
constexpr std::int32_t kCheckerCell = 8;

// The warped small copy is square; Apply's result has the picture's
// proportions, and so has the preview of it: the small copy's size with its
// longer side kept.
void PreviewShownSize(const TImagePair& main, const TImagePair& small, std::int32_t& w, std::int32_t& h) {
  w = small.width;
  h = small.height;
  if (main.width == small.width && main.height == small.height) return;
  const double longest = std::max(main.width, main.height);
  const double side = std::max(small.width, small.height);
  w = std::max<std::int32_t>(1, static_cast<std::int32_t>(main.width * side / longest + 0.5));
  h = std::max<std::int32_t>(1, static_cast<std::int32_t>(main.height * side / longest + 0.5));
}

void InitPaneAt(TViewPane& pane, IPaneWindow* window, const TPaneRect& r, TImagePair* pair,
                std::int32_t which) {
  InitPane(pane, window, r.x, r.y, r.width, r.height, pair, which);
}

}  // namespace

void CMorvexDlg::SetUpPicturePanes() {
  const LayoutRect view = ItemRect(areas.ViewArea);
  const bool both = IsChecked(ids::kShowBoth);
  srcView.checker = dstView.checker = kCheckerCell;
  InitPaneAt(srcView, this, SourcePaneRect(view, both), &mainPicture, 0);
  RenderPane(srcView);
  InitPaneAt(dstView, this, ResultPaneRect(view, both), &mainPicture, 1);
  RenderPane(dstView);
}

// A view smaller than the splash shows its middle, and nothing of it
// outside the view.
void CMorvexDlg::SetUpSplashPane() {
  const LayoutRect view = ItemRect(areas.ViewArea);
  const TPaneRect centred = CentredPaneRect(view, splashPicture.width, splashPicture.height);
  const std::int32_t left = std::max(centred.x, view.left);
  const std::int32_t top = std::max(centred.y, view.top);
  const std::int32_t right = std::min(centred.x + centred.width, view.right);
  const std::int32_t bottom = std::min(centred.y + centred.height, view.bottom);
  InitPaneAt(splashView, this, {left, top, std::max(0, right - left), std::max(0, bottom - top)}, &splashPicture, 0);
  splashView.panX = centred.x - left;
  splashView.panY = centred.y - top;
  RenderPane(splashView);
}

// Centred in the preview area, at the picture's proportions.
void CMorvexDlg::SetUpPreviewPane() {
  std::int32_t w = 0, h = 0;
  if (!previewPicture.src.empty()) PreviewShownSize(mainPicture, previewPicture, w, h);
  if (w != previewShown.width || h != previewShown.height) {
    ReleaseBlock(previewShown.result);
    previewShown.width = w;
    previewShown.height = h;
  }
  previewShown.loaded = previewPicture.loaded;
  const LayoutRect area = ItemRect(areas.PreviewArea);
  InitPane(previewView, this, area.left + (area.Width() - w) / 2, area.top + (area.Height() - h) / 2, w, h,
           &previewShown, 1);
  previewView.checker = kCheckerCell;
}

void CMorvexDlg::SetDisplayMode(std::int32_t mode) {
  displayMode = mode;
  const LayoutRect view = ItemRect(areas.ViewArea);
  const bool both = mode == kDisplayBoth;
  // The whole view first: the gap between the two panes belongs to neither.
  if (both) ClearViewArea();
  srcView.visible = mode != kDisplayResult;
  dstView.visible = mode != kDisplaySource;
  if (srcView.visible) {
    InitPaneAt(srcView, this, SourcePaneRect(view, both), &mainPicture, 0);
    RenderPane(srcView);
  }
  if (dstView.visible) {
    InitPaneAt(dstView, this, ResultPaneRect(view, both), &mainPicture, 1);
    RenderPane(dstView);
  }
}

void CMorvexDlg::ToggleActualSize() {
  const std::int32_t fit = IsChecked(ids::kActualSize) ? 0 : 1;
  for (TViewPane* pane : {&srcView, &dstView}) {
    pane->panX = 0;
    pane->panY = 0;
    pane->fit = fit;
    RenderPane(*pane);
  }
}

void CMorvexDlg::ShowPicturePanes() {
  // The splash would otherwise stay in the gap between the two panes and
  // wherever the fixed result-area fill does not reach.
  if (!pictureShown) ClearViewArea();
  if (IsChecked(ids::kShowSrc)) {
    srcView.visible = 1;
  } else if (IsChecked(ids::kShowDst)) {
    dstView.visible = 1;
  } else {
    srcView.visible = 1;
    dstView.visible = 1;
  }
  pictureShown = 1;
  splashView.visible = 0;
}

void CMorvexDlg::FillWindowRect(const TPaneRect& rect) {
  FillSurfaceRect(backBuffer, rect, kPaneGrey);
  CopyToWindow(rect);
}

void CMorvexDlg::ClearViewArea() {
  const LayoutRect r = ItemRect(areas.ViewArea);
  FillWindowRect({r.left, r.top, r.Width(), r.Height()});
}

void CMorvexDlg::ClearPreviewArea() {
  const LayoutRect r = ItemRect(areas.PreviewArea);
  FillWindowRect({r.left, r.top, r.Width(), r.Height()});
}

void CMorvexDlg::ClearResultArea() { FillWindowRect({420, 60, 400, 560}); }

QRegion CMorvexDlg::DrawingAreas() const {
  QRegion region;
  for (const LayoutItem* area : {&areas.ViewArea, &areas.PreviewArea, &areas.SwatchArea, &areas.ThumbArea})
    region += ToQRect(ItemRect(*area));
  return region;
}

void CMorvexDlg::CopyToWindow(const TPaneRect& rect) {
  const QRect r(rect.x, rect.y, rect.width, rect.height);
  if (r.isEmpty()) return;
  drawnRegion += QRegion(r) & DrawingAreas();
  if (!painting) paneLayer->update(r);
}

void CMorvexDlg::PaintClient(QPaintEvent* event) {
  painting = true;
  if (!firstPaintDone) {
    ClearViewArea();
    firstPaintDone = true;
  }
  if (pictureShown) {
    PresentPane(srcView);
    PresentPane(dstView);
  } else {
    PresentPane(splashView);
  }
  PaintSwatch();
  RunPendingPreview();
  PresentPane(previewView);
  painting = false;

  QPainter painter(paneLayer);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& r : drawnRegion & event->region()) painter.drawImage(r.topLeft(), SurfaceImage(backBuffer, r));
  const std::int32_t shape = shapeLib.selected;
  if (shape >= 0 && shapeSelect.thumbnailsBuilt && shape < shapeSelect.thumbnails.size()) {
    const LayoutRect thumb = ItemRect(areas.ThumbArea);
    painter.drawImage(QPoint(thumb.left, thumb.top), shapeSelect.thumbnails[shape]);
  }
}

void CMorvexDlg::PaintSwatch() {
  const LayoutRect r = ItemRect(areas.SwatchArea);
  // backColor is 0x00BBGGRR; a pixel is 0xAARRGGBB.
  const Pixel colour = 0xFF000000u | ((backColor & 0xFFu) << 16) | (backColor & 0xFF00u) | ((backColor >> 16) & 0xFFu);
  FillSurfaceRect(backBuffer, {r.left, r.top, r.Width(), r.Height()}, colour);
  CopyToWindow({r.left, r.top, r.Width(), r.Height()});
}

// The small copy follows the controls: warped again at the first paint after
// a change. A shape without polylines keeps the preview there was.
void CMorvexDlg::RunPendingPreview() {
  if (!paramsDirty || previewPicture.src.empty()) return;
  paramsDirty = 0;
  if (!RunWarpJob(shapeLib, WarpKind::Preview, previewPicture)) return;
  // The warped square, stretched as Apply stretches its own.
  const std::int32_t side = previewPicture.squareSide;
  AllocBlock(previewShown.result, previewShown.width, previewShown.height);
  if (!ZoomPixels(previewPicture.square.data(), side, side, previewShown.result.data(), previewShown.width,
                  previewShown.height))
    return;
  RenderPane(previewView);
  PresentPane(previewView);
}

// A press on the dialog's own surface while the shape list is open only
// closes the list.
bool CMorvexDlg::HideShapeListOnPress(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !shapeSelect.IsCreated() || !shapeSelect.isVisible()) return false;
  shapeSelect.hide();
  return true;
}

void CMorvexDlg::mousePressEvent(QMouseEvent* event) {
  if (!HideShapeListOnPress(event)) QDialog::mousePressEvent(event);
}

void CMorvexDlg::MousePress(QMouseEvent* event) {
  if (HideShapeListOnPress(event)) return;
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  if (!kDragStartArea.contains(at)) return;
  BeginDrag(srcView, at.x(), at.y());
  BeginDrag(dstView, at.x(), at.y());
}

void CMorvexDlg::MouseMove(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  DragTo(srcView, at.x(), at.y());
  DragTo(dstView, at.x(), at.y());
}

void CMorvexDlg::MouseRelease(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  EndDrag(srcView);
  EndDrag(dstView);
}

}  // namespace quorvel
