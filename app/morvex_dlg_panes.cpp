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
#include "warp/job.h"

namespace quorvel {
namespace {

// Presses inside this rectangle start a drag, whatever the window's size.
const QRect kDragStartArea(QPoint(10, 60), QPoint(819, 619));

QRect ToQRect(const LayoutRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

void InitPaneAt(TViewPane& pane, IPaneWindow* window, const TPaneRect& r, TImagePair* pair,
                std::int32_t which) {
  InitPane(pane, window, r.x, r.y, r.width, r.height, pair, which);
}

}  // namespace

void CMorvexDlg::SetUpPicturePanes() {
  const LayoutRect view = ItemRect(areas.ViewArea);
  const bool both = IsChecked(ids::kShowBoth);
  InitPaneAt(srcView, this, SourcePaneRect(view, both), &mainPicture, 0);
  RenderPane(srcView);
  InitPaneAt(dstView, this, ResultPaneRect(view, both), &mainPicture, 1);
  RenderPane(dstView);
}

void CMorvexDlg::SetUpSplashPane() {
  const LayoutRect view = ItemRect(areas.ViewArea);
  InitPaneAt(splashView, this, CentredPaneRect(view, splashPicture.width, splashPicture.height),
             &splashPicture, 0);
  RenderPane(splashView);
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
