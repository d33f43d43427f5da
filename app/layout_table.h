// The anchored layout of the main dialog: each laid-out control and each
// drawing area is placed relative to the dialog's client rectangle, so the
// view area grows with the window while the settings column stays glued to
// the right edge and the Apply button to the bottom right. No Qt here.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quorvel {

// hAlign / vAlign
inline constexpr std::int32_t kNear = 0;
inline constexpr std::int32_t kCenter = 1;
inline constexpr std::int32_t kFar = 2;
// widthMode / heightMode (any other value means Fixed)
inline constexpr std::int32_t kPercent = 2;
inline constexpr std::int32_t kFixed = 3;
inline constexpr std::int32_t kStretch = 4;

// Windows are opaque to the layout: the dialog knows what they are.
using LayoutWindow = void*;

struct LayoutItem {
  LayoutWindow parent = nullptr;   // whose client rectangle is the reference
  LayoutWindow control = nullptr;  // what is moved; none for a drawing area
  std::int32_t hAlign = kNear;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t widthMode = 0;
  std::int32_t vAlign = kNear;
  std::int32_t top = 0;
  std::int32_t bottom = 0;
  std::int32_t heightMode = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

using LayoutTable = std::vector<LayoutItem>;

struct LayoutRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool operator==(const LayoutRect&) const = default;
};

struct LayoutSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// One record of the control table, in design units.
struct ControlRecord {
  std::int32_t id = 0;
  LayoutItem item;
};

// The laid-out controls of the main dialog, in table order, in design units.
std::span<const ControlRecord> MainDialogControlRecords();

// Design units to pixels: x 1.5, truncated toward zero (9 -> 13, 5 -> 7).
std::int32_t DesignToPixels(std::int32_t units);
LayoutItem ItemToPixels(const LayoutItem& design);

// The rectangle of item for a parent client area of the given size.
LayoutRect ItemRect(const LayoutItem& item, LayoutSize client);

// The control table converted to pixels, parent set, each control found by id.
LayoutTable BuildLayoutTable(LayoutWindow parent,
                             const std::function<LayoutWindow(std::int32_t id)>& control_for);

// Moves every record that has a parent and a control, in table order.
void ApplyLayout(const LayoutTable& table, LayoutSize client,
                 const std::function<void(LayoutWindow control, const LayoutRect& rect)>& move);

// The four drawing areas, already in pixels.
struct LayoutAreas {
  LayoutItem ThumbArea;
  LayoutItem SwatchArea;
  LayoutItem PreviewArea;
  LayoutItem ViewArea;
};
LayoutAreas MakeLayoutAreas(LayoutWindow parent);

}  // namespace quorvel
