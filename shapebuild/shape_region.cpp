#include "shapebuild/shape_region.h"

#include <algorithm>
#include <cstdio>

namespace quorvel {
namespace {

constexpr std::uint8_t kFilled = 128;
constexpr std::int32_t kMinPiecePixels = 64;

// 4-connected labels of the pixels where filled(p) equals want; -1 elsewhere.
// Returns the size of each label.
std::vector<std::int64_t> Label(const std::vector<char>& filled, std::int32_t w, std::int32_t h,
                                char want, std::vector<std::int32_t>& label) {
  label.assign(filled.size(), -1);
  std::vector<std::int64_t> sizes;
  std::vector<std::int64_t> stack;
  for (std::int64_t start = 0; start < std::int64_t(filled.size()); ++start) {
    if (filled[start] != want || label[start] >= 0) continue;
    const auto id = static_cast<std::int32_t>(sizes.size());
    std::int64_t count = 0;
    label[start] = id;
    stack.push_back(start);
    while (!stack.empty()) {
      const std::int64_t p = stack.back();
      stack.pop_back();
      ++count;
      const std::int64_t x = p % w, y = p / w;
      const std::int64_t nb[4] = {x > 0 ? p - 1 : -1, x + 1 < w ? p + 1 : -1, y > 0 ? p - w : -1,
                                  y + 1 < h ? p + w : -1};
      for (std::int64_t q : nb) {
        if (q < 0 || filled[q] != want || label[q] >= 0) continue;
        label[q] = id;
        stack.push_back(q);
      }
    }
    sizes.push_back(count);
  }
  return sizes;
}

std::string Percent(std::int64_t part, std::int64_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", whole > 0 ? 100.0 * double(part) / double(whole) : 0.0);
  return text;
}

}  // namespace

const char* DescribeShapeBuildProblem(ShapeBuildProblem problem) {
  switch (problem) {
    case ShapeBuildProblem::kNone: return "no problem";
    case ShapeBuildProblem::kNoFilledArea: return "the drawing has no filled area";
    case ShapeBuildProblem::kSeveralPieces:
      return "the filled area falls into several separate pieces; a shape must be one piece";
    case ShapeBuildProblem::kSeveralHoles:
      return "the filled area has more than one hole; a shape may have at most one";
    case ShapeBuildProblem::kNoLoops:
      return "the outline cannot be made into nested loops whose assist paths do not cross";
    case ShapeBuildProblem::kOutOfTime:
      return "no usable loops were found within the time limit (--time-limit raises it)";
  }
  return "unknown problem";
}

ShapeBuildProblem IsolateShapeRegion(const TCoverageMask& mask, ShapeRegion& region, bool strict) {
  // Work on the mask padded by one empty pixel so the outside is connected.
  const std::int32_t w = mask.width + 2, h = mask.height + 2;
  if (mask.width <= 0 || mask.height <= 0 ||
      mask.coverage.size() != std::size_t(mask.width) * std::size_t(mask.height))
    return ShapeBuildProblem::kNoFilledArea;
  std::vector<double> cover(std::size_t(w) * std::size_t(h), 0.0);
  std::vector<char> filled(cover.size(), 0);
  for (std::int32_t y = 0; y < mask.height; ++y)
    for (std::int32_t x = 0; x < mask.width; ++x) {
      const std::uint8_t c = mask.coverage[std::size_t(y) * mask.width + x];
      const std::size_t p = std::size_t(y + 1) * w + (x + 1);
      cover[p] = c;
      filled[p] = c >= kFilled;
    }

  std::vector<std::int32_t> piece;
  const std::vector<std::int64_t> pieces = Label(filled, w, h, 1, piece);
  if (pieces.empty()) return ShapeBuildProblem::kNoFilledArea;
  const auto main_piece =
      static_cast<std::int32_t>(std::max_element(pieces.begin(), pieces.end()) - pieces.begin());
  const std::int64_t main_size = pieces[main_piece];
  if (main_size < kMinPiecePixels) return ShapeBuildProblem::kNoFilledArea;
  std::int64_t total = 0, dropped = 0, dropped_count = 0;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    total += pieces[k];
    if (std::int32_t(k) != main_piece && pieces[k] > kSpeckShare * main_size) ++dropped_count, dropped += pieces[k];
  }
  if (dropped_count > 0) {
    if (strict || main_size < kMainPieceShare * total) return ShapeBuildProblem::kSeveralPieces;
    region.notices.push_back("built from the largest piece (" + Percent(main_size, total) +
                             " of the filled area); dropped " + std::to_string(dropped_count) + " other piece" +
                             (dropped_count > 1 ? "s" : "") + " (" + Percent(dropped, total) + ")");
  }

  std::vector<std::int32_t> gap;
  const std::vector<std::int64_t> gaps = Label(filled, w, h, 0, gap);
  const std::int32_t outside = gap[0];
  // A gap is a hole of the main piece when it touches the piece; holes of
  // dropped specks vanish with them.
  std::vector<char> touches_main(gaps.size(), 0);
  for (std::int32_t y = 1; y + 1 < h; ++y)
    for (std::int32_t x = 1; x + 1 < w; ++x) {
      const std::size_t p = std::size_t(y) * w + x;
      if (gap[p] < 0) continue;
      if (piece[p - 1] == main_piece || piece[p + 1] == main_piece || piece[p - w] == main_piece ||
          piece[p + w] == main_piece)
        touches_main[gap[p]] = 1;
    }
  std::int32_t real_hole = -1;
  const double fill_share = strict ? kSpeckShare : kSmallHoleShare;
  std::int64_t filled_count = 0, filled_area = 0;
  for (std::size_t k = 0; k < gaps.size(); ++k) {
    if (std::int32_t(k) == outside || !touches_main[k] || gaps[k] <= kSpeckShare * main_size)
      continue;
    if (gaps[k] <= fill_share * main_size) {
      ++filled_count, filled_area += gaps[k];
      continue;
    }
    if (real_hole >= 0) return ShapeBuildProblem::kSeveralHoles;
    real_hole = std::int32_t(k);
  }
  if (filled_count > 0)
    region.notices.push_back("filled " + std::to_string(filled_count) + " small hole" +
                             (filled_count > 1 ? "s" : "") + " (" + Percent(filled_area, main_size) +
                             " of the area)");

  // Keep the coverage of the main piece and of the empty pixels around it
  // (the anti-aliased rim); fill speck holes; clear everything else.
  for (std::size_t p = 0; p < cover.size(); ++p) {
    if (piece[p] == main_piece) continue;
    if (piece[p] >= 0) {
      cover[p] = 0.0;
    } else if (gap[p] != outside && gap[p] != real_hole && touches_main[gap[p]]) {
      cover[p] = 255.0;
    } else if (gap[p] != outside && gap[p] != real_hole) {
      cover[p] = 0.0;
    }
  }
  // Rim pixels next to a dropped speck only: clear them too.
  for (std::int32_t y = 1; y + 1 < h; ++y)
    for (std::int32_t x = 1; x + 1 < w; ++x) {
      const std::size_t p = std::size_t(y) * w + x;
      if (piece[p] >= 0 || cover[p] == 0.0 || cover[p] == 255.0) continue;
      bool near_main = false;
      for (std::int32_t dy = -1; dy <= 1; ++dy)
        for (std::int32_t dx = -1; dx <= 1; ++dx)
          near_main |= piece[p + std::size_t(dy) * w + dx] == main_piece;
      if (!near_main) cover[p] = 0.0;
    }

  region.field.width = w;
  region.field.height = h;
  region.field.values = std::move(cover);
  region.has_hole = real_hole >= 0;
  return ShapeBuildProblem::kNone;
}

}  // namespace quorvel
