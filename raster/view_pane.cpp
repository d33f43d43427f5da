#include "raster/view_pane.h"

#include <algorithm>

#include "raster/blend.h"
#include "raster/previews.h"

namespace quorvel {
namespace {

Pixel* SurfaceRow(TPaneSurface& surface, std::int32_t client_y) {
  const std::int32_t memory_row = surface.height - 1 - client_y;
  return surface.pixels.data() + static_cast<std::size_t>(memory_row) * static_cast<std::size_t>(surface.width);
}

const PixelBlock& ShownImage(const TViewPane& pane) {
  return pane.which == 0 ? pane.pair->src : pane.pair->result;
}

// Copies a width x height block between two surfaces (client coordinates),
// dropping whatever lies outside either of them.
void CopySurfaceRect(TPaneSurface& to, std::int32_t to_x, std::int32_t to_y,
                     TPaneSurface& from, std::int32_t from_x, std::int32_t from_y,
                     std::int32_t width, std::int32_t height) {
  if (from_x < 0) { to_x -= from_x; width += from_x; from_x = 0; }
  if (from_y < 0) { to_y -= from_y; height += from_y; from_y = 0; }
  if (to_x < 0) { from_x -= to_x; width += to_x; to_x = 0; }
  if (to_y < 0) { from_y -= to_y; height += to_y; to_y = 0; }
  width = std::min({width, from.width - from_x, to.width - to_x});
  height = std::min({height, from.height - from_y, to.height - to_y});
  if (width <= 0 || height <= 0) return;
  for (std::int32_t i = 0; i < height; ++i)
    std::copy_n(SurfaceRow(from, from_y + i) + from_x, width, SurfaceRow(to, to_y + i) + to_x);
}

// A pan offset that follows the mouse but keeps the picture over the pane.
std::int32_t FollowPan(std::int32_t pan, std::int32_t moved, std::int32_t pane_size,
                       std::int32_t picture_size) {
  if (pane_size >= picture_size) return 0;
  return std::clamp(pan + moved, pane_size - picture_size, 0);
}

}  // namespace

void AllocSurface(TPaneSurface& surface, std::int32_t width, std::int32_t height) {
  AllocBlock(surface.pixels, width, height);
  const bool empty = surface.pixels.empty();
  surface.width = empty ? 0 : width;
  surface.height = empty ? 0 : height;
}

void FillSurfaceRect(TPaneSurface& surface, const TPaneRect& rect, Pixel colour) {
  const std::int32_t left = std::max(rect.x, 0);
  const std::int32_t top = std::max(rect.y, 0);
  const std::int32_t right = std::min(rect.x + rect.width, surface.width);
  const std::int32_t bottom = std::min(rect.y + rect.height, surface.height);
  for (std::int32_t y = top; y < bottom; ++y) std::fill_n(SurfaceRow(surface, y) + left, right - left, colour);
}

Pixel SurfacePixel(const TPaneSurface& surface, std::int32_t x, std::int32_t y) {
  if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return 0;
  return surface.pixels[static_cast<std::size_t>(surface.height - 1 - y) * static_cast<std::size_t>(surface.width) +
                        static_cast<std::size_t>(x)];
}

void InitPane(TViewPane& pane, IPaneWindow* window, std::int32_t x, std::int32_t y,
              std::int32_t width, std::int32_t height, TImagePair* pair, std::int32_t which) {
  pane.window = window;
  pane.x = x;
  pane.y = y;
  pane.width = width;
  pane.height = height;
  pane.pair = pair;
  pane.which = which;
  pane.panX = 0;
  pane.panY = 0;
  if (pane.surfaceReady || !window) return;

  AllocSurface(pane.surface, window->ScreenWidth(), window->ScreenHeight());
  FillSurfaceRect(pane.surface, {0, 0, pane.surface.width, pane.surface.height}, kPaneGrey);
  TPaneSurface& back = window->BackBuffer();
  if (back.pixels.empty()) {
    AllocSurface(back, window->ScreenWidth(), window->ScreenHeight());
    // Only ever shown where a pane or an area fill has drawn first; grey
    // keeps it defined regardless.
    FillSurfaceRect(back, {0, 0, back.width, back.height}, kPaneGrey);
  }
  pane.surfaceReady = 1;
}

void RenderPane(TViewPane& pane) {
  if (!pane.surfaceReady || !pane.pair || !pane.pair->loaded || ShownImage(pane).empty()) return;
  TImagePair& pair = *pane.pair;
  const Pixel* picture = nullptr;
  std::int32_t w = pair.width;
  std::int32_t h = pair.height;
  if (pane.fit == 1) {
    // A pane squeezed to nothing by a very small window has no preview size.
    if (pane.width <= 0 || pane.height <= 0) return;
    const double r = std::max(static_cast<double>(pair.width) / pane.width,
                              static_cast<double>(pair.height) / pane.height);
    if (r > 1.0) {
      w = static_cast<std::int32_t>(pair.width / r);
      h = static_cast<std::int32_t>(pair.height / r);
    }
    const PreviewOf which = pane.which == 0 ? PreviewOf::Source : PreviewOf::Result;
    if (!MakePreview(pair, w, h, which)) return;
    picture = (pane.which == 0 ? pair.srcPreview : pair.resultPreview).data();
  } else {
    if (pane.which != 0 && pane.which != 1) return;
    picture = ShownImage(pane).data();
  }
  if (!picture) return;

  const std::int32_t cw = std::min(pane.surface.width, w);
  const std::int32_t ch = std::min(pane.surface.height, h);
  const std::int32_t cell = pane.checker;
  for (std::int32_t i = 0; i < ch; ++i) {
    const Pixel* from = picture + static_cast<std::size_t>(h - 1 - i) * static_cast<std::size_t>(w);
    Pixel* to = SurfaceRow(pane.surface, i);
    if (cell <= 0) {
      for (std::int32_t j = 0; j < cw; ++j) to[j] = BlendOver(from[j], PaneBackColor);
      continue;
    }
    // Whole cells at a time, so the row loop decides nothing per pixel.
    const bool dark_first = (i / cell) % 2 != 0;
    for (std::int32_t j0 = 0; j0 < cw; j0 += cell) {
      const Pixel back = ((j0 / cell) % 2 != 0) != dark_first ? kCheckerDark : kCheckerLight;
      const std::int32_t j1 = std::min(cw, j0 + cell);
      for (std::int32_t j = j0; j < j1; ++j) to[j] = BlendOver(from[j], back);
    }
  }
  pane.rendered = 1;
}

void PresentPane(TViewPane& pane) {
  if (!pane.visible || !pane.pair || !pane.surfaceReady || !pane.window) return;
  const TImagePair& pair = *pane.pair;
  std::int32_t w = pair.width;
  std::int32_t h = pair.height;
  if (pane.fit == 1) {
    w = pane.which == 0 ? pair.srcPreviewWidth : pair.resultPreviewWidth;
    h = pane.which == 0 ? pair.srcPreviewHeight : pair.resultPreviewHeight;
  }
  const std::int32_t off_x = pane.width > w ? (pane.width - w) / 2 : 0;
  const std::int32_t off_y = pane.height > h ? (pane.height - h) / 2 : 0;
  const std::int32_t bw = std::min(w, pane.width);
  const std::int32_t bh = std::min(h, pane.height);

  TPaneSurface& back = pane.window->BackBuffer();
  const TPaneRect rect{pane.x, pane.y, pane.width, pane.height};
  FillSurfaceRect(back, rect, kPaneGrey);
  if (!ShownImage(pane).empty())
    CopySurfaceRect(back, pane.x + off_x, pane.y + off_y, pane.surface, -pane.panX, -pane.panY, bw, bh);
  pane.window->CopyToWindow(rect);
  pane.rendered = 0;
}

void ReleasePane(TViewPane& pane) {
  ReleaseBlock(pane.surface.pixels);
  pane.surface.width = 0;
  pane.surface.height = 0;
  if (pane.window) {
    TPaneSurface& back = pane.window->BackBuffer();
    ReleaseBlock(back.pixels);
    back.width = 0;
    back.height = 0;
  }
  pane.surfaceReady = 0;
}

void BeginDrag(TViewPane& pane, std::int32_t mx, std::int32_t my) {
  pane.dragging = 1;
  pane.lastX = mx;
  pane.lastY = my;
  if (pane.window) pane.window->CaptureMouse();
}

void EndDrag(TViewPane& pane) {
  pane.dragging = 0;
  if (pane.window) pane.window->ReleaseMouse();
}

void DragTo(TViewPane& pane, std::int32_t mx, std::int32_t my) {
  if (!pane.dragging) return;
  const std::int32_t previous_x = pane.lastX;
  const std::int32_t previous_y = pane.lastY;
  pane.lastX = mx;
  pane.lastY = my;
  if (pane.fit == 1 || !pane.pair) return;
  pane.panX = FollowPan(pane.panX, mx - previous_x, pane.width, pane.pair->width);
  pane.panY = FollowPan(pane.panY, my - previous_y, pane.height, pane.pair->height);
}

}  // namespace quorvel
