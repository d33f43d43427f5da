#include "app/pane_layout.h"

namespace quorvel {

TPaneRect SourcePaneRect(const LayoutRect& view, bool both) {
  const std::int32_t width = both ? view.Width() / 2 - 5 : view.Width();
  return {view.left, view.top, width, view.Height()};
}

TPaneRect ResultPaneRect(const LayoutRect& view, bool both) {
  if (!both) return {view.left, view.top, view.Width(), view.Height()};
  const std::int32_t x = view.right - view.Width() / 2 + 5;
  return {x, view.top, view.right - x, view.Height()};
}

TPaneRect CentredPaneRect(const LayoutRect& view, std::int32_t width, std::int32_t height) {
  return {view.left + (view.right - width - view.left) / 2,
          view.top + (view.bottom - height - view.top) / 2, width, height};
}

}  // namespace quorvel
