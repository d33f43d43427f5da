// Rendering an SVG drawing's filled area into a coverage mask.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "shapebuild/shape_region.h"

namespace quorvel {

// Text in a drawing needs fonts, which need an application object: this
// makes one for its lifetime (no window is shown) unless one exists. Qt's
// own warnings are kept off standard error.
class SvgRenderingScope {
 public:
  SvgRenderingScope();
  ~SvgRenderingScope();
  SvgRenderingScope(const SvgRenderingScope&) = delete;
  SvgRenderingScope& operator=(const SvgRenderingScope&) = delete;

 private:
  void* app_ = nullptr;
};

// Within a SvgRenderingScope, renders the drawing at side pixels on the longer side of its filled
// area's box, with a few empty pixels around it; coverage is the rendered
// alpha. False with error set when the file cannot be read as SVG. A drawing
// that fills nothing gives an all-empty mask. Drawing stops, false, once
// BuildClockSeconds() has passed deadline.
[[nodiscard]] bool RenderSvgMask(const std::string& path, std::int32_t side, TCoverageMask& mask,
                                 std::string& error,
                                 double deadline = HUGE_VAL);

}  // namespace quorvel
