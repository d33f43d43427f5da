// The first pass on every core. Ranges of chords end where the destination
// line changes, so no two ranges write one pixel and each keeps the plain
// order within its lines.
#include <algorithm>
#include <vector>

#include "raster/parallel.h"
#include "warp/fast/fast_internal.h"
#include "warp/fast_mapping.h"
#include "warp/mapping.h"

namespace quorvel {
namespace {

using fast::Chord;

std::vector<Chord> Chords(float r_centre, std::int32_t last_line) {
  std::vector<Chord> chords;
  ForEachChord(r_centre, [&](const ChordGeometry& g) {
    chords.push_back(Chord{g, std::min(TruncIndex(D(g.along) + 0.5), last_line)});
  });
  return chords;
}

std::vector<std::size_t> LineBoundaries(const std::vector<Chord>& chords, int ranges) {
  std::vector<std::size_t> cut{0};
  for (int r = 1; r < ranges; ++r) {
    std::size_t i = std::max(cut.back(), static_cast<std::size_t>(RangeBegin(
                                             static_cast<std::int64_t>(chords.size()), ranges, r)));
    while (i > 0 && i < chords.size() && chords[i].line == chords[i - 1].line) ++i;
    cut.push_back(i);
  }
  cut.push_back(chords.size());
  return cut;
}

// A chord sample's id holds its step, up to 4 r, in 16 bits: every side
// the resampler takes fits.
constexpr double kMostChordSteps = 65535.0;

}  // namespace

void SquareToDiskFast(TWarpEngine& engine, const EngineOptions& options) {
  if (engine.bytes_per_pixel != 4) return SquareToDisk(engine);  // the kernels write whole pixels
  const float r_centre = WarpCentre(engine);
  const std::vector<Chord> chords = Chords(r_centre, engine.width - 1);
  const bool vertical = engine.direction == 0;
  fast::SampleTarget target;
  target.src = engine.src.data();
  target.dest = engine.dest.data();
  target.width = engine.width;
  target.height = engine.height;
  const int ranges = ThreadsFor(options, static_cast<std::int64_t>(chords.size()) * engine.width, 1 << 16);
  const std::vector<std::size_t> cut = LineBoundaries(chords, ranges);
  const fast::Kernels kernels = fast::KernelsFor(options);
  const bool lines = kernels.map_chord_lines && 4.0 * D(r_centre) < kMostChordSteps;
  fast::SampleSources sources;
  if (lines) {
    sources.vertical = vertical;
    sources.r_centre = r_centre;
    for (const Chord& c : chords) {
      sources.along.push_back(c.along);
      sources.half.push_back(c.r);
      sources.squeeze.push_back(c.v);
    }
  }
  // Every range's lines of ids, allocated here: memory a worker thread
  // allocates stays with its own heap arena.
  const std::size_t block = fast::ChordLineStride(engine.width, engine.height) * fast::kChordLineBlock;
  std::vector<std::uint32_t> line_ids(lines ? block * static_cast<std::size_t>(ranges) : 0, fast::kNoSample);
  ForEachRange(ranges, ranges, [&](std::int64_t first, std::int64_t, int) {
    const std::size_t begin = cut[first], count = cut[first + 1] - cut[first];
    if (lines)
      kernels.map_chord_lines(target, sources, chords.data(), begin, count,
                              line_ids.data() + block * static_cast<std::size_t>(first));
    else
      kernels.map_chords(target, chords.data() + begin, count, r_centre, vertical);
  });
  // The disk picture becomes the source; the old source buffer, refilled,
  // the background destination (the plain pass copies and refills instead).
  engine.src.swap(engine.dest);
  fast::FillPixels(options, engine.dest.data(), engine.dest.size(), engine.background);
}

}  // namespace quorvel
