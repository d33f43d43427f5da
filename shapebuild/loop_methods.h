// The loop methods, in the order "auto" tries them. The option parser, the
// usage text and the builder's cascade all read this one table.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shapebuild/distance_loops.h"
#include "shapebuild/loop_options.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {

// What every try of every method sees: the traced boundary (and a ring's
// hole) in the frame, worked on upside down, clockwise.
class LoopMethodInput {
 public:
  LoopMethodInput(const PolygonD& outer, const PolygonD& hole, const LoopBuildOptions& options)
      : outer_(outer), hole_(hole), options_(options) {}

  const PolygonD& outer() const { return outer_; }
  const PolygonD& hole() const { return hole_; }
  const LoopBuildOptions& options() const { return options_; }
  // Measured on first use and shared by the methods that need it.
  const DistanceField& distance();

 private:
  const PolygonD& outer_;
  const PolygonD& hole_;
  const LoopBuildOptions& options_;
  std::optional<DistanceField> distance_;
};

struct LoopMethodEntry {
  LoopMethod method;
  const char* name;
  const char* help;   // a few words for the usage text
  bool takes_hole;    // whether it builds rings; a ring falls to one that does
  // Its assist paths run about straight from one centre, so the picture's
  // quadrants are not sheared and a test warp that measures excellent
  // looks it: the cascade stops there (see WarpQuality::Excellent).
  bool straight;
  // Skipped once a straight-path try is acceptable: it costs seconds on a
  // long jagged rim, where that try already looks right.
  bool unless_straight;
  std::size_t tries;  // variants, each tried in turn until one is good
  // False when the try made no loops (for example, no star centre).
  bool (*build)(LoopMethodInput& input, std::size_t attempt, std::vector<PolygonD>& loops);
};

std::span<const LoopMethodEntry> LoopMethodTable();
const LoopMethodEntry* FindLoopMethod(LoopMethod method);

// "auto" or one of the table's names.
bool ParseLoopMethod(const std::string& text, LoopMethod& method);
const char* LoopMethodName(LoopMethod method);
// "auto|scaled|..." for the usage text.
std::string LoopMethodChoices();

}  // namespace quorvel
