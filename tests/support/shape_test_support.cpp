#include "tests/support/shape_test_support.h"

#include <algorithm>
#include <cmath>

#include "shapes/shape_file_layout.h"
#include "shapes/shape_key.h"

namespace quorvel::testing {

std::vector<std::uint8_t> ShapeBytes(std::int32_t n, std::int32_t p,
                                     const std::vector<ShapePointD>& outline,
                                     const std::vector<std::uint8_t>& plain) {
  std::vector<std::uint8_t> bytes(kShapeHeaderSize + kShapeOutlineRecordSize * outline.size());
  WriteLeI32(bytes.data() + kShapeOutlineCountOffset, n);
  WriteLeI32(bytes.data() + kShapePolylineCountOffset, p);
  for (std::size_t i = 0; i < outline.size(); ++i) {
    WriteLeF64(bytes.data() + kShapeHeaderSize + 16 * i, outline[i].x);
    WriteLeF64(bytes.data() + kShapeHeaderSize + 16 * i + 8, outline[i].y);
  }
  ScrambleShapeBytes(bytes.data(), bytes.size(), 0);
  bytes.insert(bytes.end(), plain.begin(), plain.end());
  return bytes;
}

void AppendBlock(std::vector<std::uint8_t>& plain, std::int32_t m, float start_x, float start_y,
                 const std::vector<ShapeDelta>& deltas) {
  std::vector<std::uint8_t> block(kShapeBlockHeaderSize + kShapeDeltaSize * deltas.size());
  WriteLeI32(block.data(), m);
  WriteLeF32(block.data() + 4, start_x);
  WriteLeF32(block.data() + 8, start_y);
  for (std::size_t k = 0; k < deltas.size(); ++k) {
    WriteLeI16(block.data() + 12 + 4 * k, deltas[k].dx);
    WriteLeI16(block.data() + 14 + 4 * k, deltas[k].dy);
  }
  plain.insert(plain.end(), block.begin(), block.end());
}

void WriteSquareShape(const std::filesystem::path& path) {
  std::vector<std::uint8_t> plain;
  AppendBlock(plain, 4, -10.0f, -10.0f, {{0, 0}, {20000, 0}, {0, 20000}, {-20000, 0}});
  WriteBytes(path, ShapeBytes(4, 1, {{200, 200}, {400, 200}, {400, 400}, {200, 400}}, plain));
}

PolygonD Crescent(double big, double small, double offset) {
  const double xi = (big * big - small * small + offset * offset) / (2 * offset);
  const double yi = std::sqrt(big * big - xi * xi);
  const double outer_from = std::atan2(yi, xi), inner_from = std::atan2(yi, xi - offset);
  PolygonD poly;
  const int n = 200;
  for (int i = 0; i <= n; ++i) {
    const double a = outer_from + (2 * M_PI - 2 * outer_from) * i / n;
    poly.push_back({big * std::cos(a), big * std::sin(a)});
  }
  for (int i = n - 1; i > 0; --i) {
    const double a = inner_from + (2 * M_PI - 2 * inner_from) * i / n;
    poly.push_back({offset + small * std::cos(a), small * std::sin(a)});
  }
  double x0 = 1e9, x1 = -1e9;
  for (const ShapePointD& p : poly) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
  for (ShapePointD& p : poly) p.x -= (x0 + x1) / 2;
  if (SignedArea(poly) < 0) std::reverse(poly.begin(), poly.end());
  return poly;
}

std::vector<std::vector<TPointF>> AsFloat(const std::vector<PolygonD>& loops) {
  std::vector<std::vector<TPointF>> out;
  for (const PolygonD& loop : loops) {
    out.emplace_back();
    for (const ShapePointD& p : loop) out.back().push_back({float(p.x), float(p.y)});
  }
  return out;
}

PolygonD LetterC(double big, double small, double gap) {
  PolygonD poly;
  const int n = 300;
  for (int i = 0; i <= n; ++i) {
    const double a = gap + (2 * M_PI - 2 * gap) * i / n;
    poly.push_back({big * std::cos(a), big * std::sin(a)});
  }
  for (int i = n; i >= 0; --i) {
    const double a = gap + (2 * M_PI - 2 * gap) * i / n;
    poly.push_back({small * std::cos(a), small * std::sin(a)});
  }
  if (SignedArea(poly) < 0) std::reverse(poly.begin(), poly.end());
  return poly;
}

}  // namespace quorvel::testing
