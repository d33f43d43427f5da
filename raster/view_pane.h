// TViewPane: one picture of a TImagePair shown in a rectangle of a window,
// through a screen-sized off-screen surface and one back buffer that every
// pane of the window shares. Rendering scales and blends; presenting only
// fills and copies rectangles.
//
// Surfaces and the back buffer use the pixel layout (bottom-up, B G R A) but
// are addressed in window client coordinates (x right, y down): client row y
// is memory row height - 1 - y.
#pragma once

#include <cstdint>

#include "raster/image_pair.h"
#include "raster/pixels.h"

namespace quorvel {

// The grey every pane rectangle is filled with before its picture is copied.
inline constexpr Pixel kPaneGrey = 0xFF808080u;

struct TPaneRect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct TPaneSurface {
  PixelBlock pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// What a pane needs from the window it is drawn into.
class IPaneWindow {
 public:
  virtual ~IPaneWindow() = default;
  virtual std::int32_t ScreenWidth() const = 0;
  virtual std::int32_t ScreenHeight() const = 0;
  // The one back buffer of the window; empty until the first InitPane.
  virtual TPaneSurface& BackBuffer() = 0;
  // rect of the back buffer is to be shown at the same place in the window.
  virtual void CopyToWindow(const TPaneRect& rect) = 0;
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
};

struct TViewPane {
  std::int32_t surfaceReady = 0;
  TPaneSurface surface;           // the pane's rendered picture, top-left aligned
  IPaneWindow* window = nullptr;
  std::int32_t x = 0;             // client coordinates of the pane's top-left corner
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t panX = 0;          // always <= 0
  std::int32_t panY = 0;
  TImagePair* pair = nullptr;     // not owned
  std::int32_t which = 0;         // 0 source, 1 result
  std::int32_t dragging = 0;
  std::int32_t lastX = 0;
  std::int32_t lastY = 0;
  std::int32_t fit = 0;           // 1: a preview fitted to the pane; 0: full size
  std::int32_t visible = 1;
  std::int32_t rendered = 0;      // 1 after RenderPane, 0 after PresentPane
  std::int32_t checker = 0;       // > 0: shown over a checkerboard of cells this size, not white
};

// The checkerboard's two cells; cell (0, 0), at the picture's top left, is light.
inline constexpr Pixel kCheckerLight = 0xFFFFFFFFu;
inline constexpr Pixel kCheckerDark = 0xFFCCCCCCu;

// Moves, resizes or retargets the pane and resets the pan; the surface (and
// the window's back buffer) is created by the first call and then kept.
void InitPane(TViewPane& pane, IPaneWindow* window, std::int32_t x, std::int32_t y,
              std::int32_t width, std::int32_t height, TImagePair* pair, std::int32_t which);

// Scales (fit) and blends the picture over white (or the checkerboard)
// into the surface.
void RenderPane(TViewPane& pane);

// Fills the pane's rectangle of the back buffer with grey, copies the
// rendered picture into it (centred when smaller, panned when larger) and
// hands the rectangle to the window.
void PresentPane(TViewPane& pane);

// Frees the surface and the window's back buffer (safe to repeat).
void ReleasePane(TViewPane& pane);

void BeginDrag(TViewPane& pane, std::int32_t mx, std::int32_t my);
// Follows the mouse with the pan offsets, clamped so that a picture larger
// than the pane never leaves a gap at its edges; a fitted pane only records
// the position.
void DragTo(TViewPane& pane, std::int32_t mx, std::int32_t my);
void EndDrag(TViewPane& pane);

// Surface helpers in client coordinates; everything is clipped to the surface.
void AllocSurface(TPaneSurface& surface, std::int32_t width, std::int32_t height);
void FillSurfaceRect(TPaneSurface& surface, const TPaneRect& rect, Pixel colour);
// The pixel at client (x, y); 0 outside the surface.
Pixel SurfacePixel(const TPaneSurface& surface, std::int32_t x, std::int32_t y);

}  // namespace quorvel
