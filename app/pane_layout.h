// Where the dialog's panes lie inside the view area, for each display mode.
#pragma once

#include <cstdint>

#include "app/layout_table.h"
#include "raster/view_pane.h"

namespace quorvel {

// displayMode values
inline constexpr std::int32_t kDisplaySource = 0;
inline constexpr std::int32_t kDisplayResult = 1;
inline constexpr std::int32_t kDisplayBoth = 2;

// The source pane: the left half of the view less 5 pixels when both panes
// are shown, the whole view otherwise.
TPaneRect SourcePaneRect(const LayoutRect& view, bool both);

// The result pane: the right half when both are shown (10 pixels from the
// source pane, 11 when the view's width is odd), the whole view otherwise.
TPaneRect ResultPaneRect(const LayoutRect& view, bool both);

// A picture of width x height centred in the view.
TPaneRect CentredPaneRect(const LayoutRect& view, std::int32_t width, std::int32_t height);

}  // namespace quorvel
