#include "shapebuild/iso_contours.h"

#include <array>

namespace quorvel {
namespace {

// Edge ids: horizontal edge from (i, j) to (i + 1, j) is j * w + i; vertical
// edge from (i, j) to (i, j + 1) is w * h + j * w + i.
struct EdgeIds {
  std::int64_t w, h;
  std::int64_t Horizontal(std::int64_t i, std::int64_t j) const { return j * w + i; }
  std::int64_t Vertical(std::int64_t i, std::int64_t j) const { return w * h + j * w + i; }
};

ShapePointD Crossing(const SampledField& f, std::int64_t edge, const EdgeIds& ids, double level) {
  const bool vertical = edge >= ids.w * ids.h;
  const std::int64_t e = vertical ? edge - ids.w * ids.h : edge;
  const auto i = static_cast<std::int32_t>(e % ids.w);
  const auto j = static_cast<std::int32_t>(e / ids.w);
  const double a = f.At(i, j);
  const double b = vertical ? f.At(i, j + 1) : f.At(i + 1, j);
  const double s = (level - a) / (b - a);
  return vertical ? ShapePointD{double(i), j + s} : ShapePointD{i + s, double(j)};
}

}  // namespace

std::vector<ContourLoop> TraceIsoContours(const SampledField& f, double level) {
  std::vector<ContourLoop> loops;
  if (f.width < 2 || f.height < 2) return loops;
  const EdgeIds ids{f.width, f.height};
  std::vector<std::int64_t> next(static_cast<std::size_t>(2 * ids.w * ids.h), -1);

  for (std::int32_t j = 0; j + 1 < f.height; ++j) {
    for (std::int32_t i = 0; i + 1 < f.width; ++i) {
      // Corners in turn around the cell: top-left, top-right, bottom-right,
      // bottom-left; edge k joins corner k and corner k + 1.
      const std::array<double, 4> v{f.At(i, j), f.At(i + 1, j), f.At(i + 1, j + 1), f.At(i, j + 1)};
      const std::array<std::int64_t, 4> edge{ids.Horizontal(i, j), ids.Vertical(i + 1, j),
                                             ids.Horizontal(i, j + 1), ids.Vertical(i, j)};
      std::array<bool, 4> in{};
      int count = 0;
      for (int k = 0; k < 4; ++k) count += (in[k] = v[k] > level);
      if (count == 0 || count == 4) continue;

      // A directed piece enters through edge a and leaves through edge b,
      // keeping the inside corner between them on its right. Around an
      // inside corner k the piece runs from edge k to edge k - 1.
      auto link = [&](int a, int b) { next[static_cast<std::size_t>(edge[a])] = edge[b]; };
      const bool saddle = count == 2 && in[0] == in[2];
      if (saddle) {
        const bool centre_in = (v[0] + v[1] + v[2] + v[3]) * 0.25 > level;
        for (int k = 0; k < 4; ++k) {
          if (in[k] && !centre_in) link(k, (k + 3) % 4);          // cut off inside corner
          if (!in[k] && centre_in) link((k + 3) % 4, k);          // cut off outside corner
        }
        continue;
      }
      // Otherwise the inside corners form one run around the cell; the piece
      // leaves the run at its last corner and enters at its first.
      int first = 0;
      while (!(in[first] && !in[(first + 3) % 4])) ++first;
      int last = first;
      while (in[(last + 1) % 4]) last = (last + 1) % 4;
      link(last, (first + 3) % 4);
    }
  }

  std::vector<char> used(next.size(), 0);
  for (std::size_t start = 0; start < next.size(); ++start) {
    if (next[start] < 0 || used[start]) continue;
    ContourLoop loop;
    std::int64_t e = static_cast<std::int64_t>(start);
    while (e >= 0 && !used[static_cast<std::size_t>(e)]) {
      used[static_cast<std::size_t>(e)] = 1;
      loop.push_back(Crossing(f, e, ids, level));
      e = next[static_cast<std::size_t>(e)];
    }
    if (loop.size() >= 3) loops.push_back(std::move(loop));
  }
  return loops;
}

}  // namespace quorvel
