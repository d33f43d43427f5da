#include "cli/shape_pack.h"

#include "shapebuild/loop_encoder.h"

namespace quorvel {

bool PackShapeDump(const ShapeDump& dump, ShapeFileContents& contents, std::string& error) {
  ShapeFileContents out;
  out.blocks.reserve(dump.loops.size());
  for (std::size_t i = 0; i < dump.loops.size(); ++i) {
    ShapeFileBlock block;
    if (!EncodeShapeLoop(dump.loops[i], block)) {
      error = "polyline " + std::to_string(i) + " holds more points than a shape file takes";
      return false;
    }
    out.blocks.push_back(std::move(block));
  }

  if (dump.has_outline) {
    out.outline = dump.outline;
  } else if (!out.blocks.empty()) {
    for (const TPointF& p : DecodeShapeBlock(out.blocks.front()))
      out.outline.push_back(ShapePointD{static_cast<double>(p.x) * 2.0 + 300.0, static_cast<double>(p.y) * 2.0 + 300.0});
  }
  contents = std::move(out);
  return true;
}

}  // namespace quorvel
