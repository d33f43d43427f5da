// Potrace does the tracing: it turns a pixel silhouette into curves that
// follow the staircase's intent rather than its steps, which the loops of a
// shape need (an outline traced pixel by pixel zigzags at every step).
#include "cli/png_outline.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "imagefiles/codec.h"
#include "imagefiles/file_names.h"
#include "imagefiles/loader.h"
#include "raster/image_pair.h"

extern "C" {
#include <potracelib.h>
}

namespace quorvel {
namespace {

constexpr std::int32_t kPadding = 4;
constexpr std::uint8_t kHalf = 128;
constexpr int kBits = int(sizeof(potrace_word) * CHAR_BIT);

// Filled pixels of the picture; row 0 is the picture's bottom row, as
// potrace counts (y upwards).
std::vector<char> Silhouette(const TImagePair& pair) {
  const std::size_t count = std::size_t(pair.width) * std::size_t(pair.height);
  bool any_clear = false;
  if (pair.bitDepth == 32)
    for (std::size_t k = 0; k < count && !any_clear; ++k) any_clear = AlphaOf(pair.src[k]) != 255;
  std::vector<char> filled(count);
  for (std::size_t k = 0; k < count; ++k) {
    const Pixel p = pair.src[k];
    if (any_clear) {
      filled[k] = AlphaOf(p) >= kHalf;
    } else {
      const std::uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
      filled[k] = (299 * r + 587 * g + 114 * b) / 1000 < kHalf;
    }
  }
  return filled;
}

QPointF At(const potrace_dpoint_t& p) { return {p.x, p.y}; }

QPainterPath TracedPath(const potrace_path_t* list) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const potrace_path_t* p = list; p; p = p->next) {
    const potrace_curve_t& c = p->curve;
    if (c.n <= 0) continue;
    path.moveTo(At(c.c[c.n - 1][2]));
    for (int i = 0; i < c.n; ++i) {
      if (c.tag[i] == POTRACE_CORNER) {
        path.lineTo(At(c.c[i][1]));
        path.lineTo(At(c.c[i][2]));
      } else {
        path.cubicTo(At(c.c[i][0]), At(c.c[i][1]), At(c.c[i][2]));
      }
    }
    path.closeSubpath();
  }
  return path;
}

}  // namespace

bool TracePngMask(const std::string& path, std::int32_t side, TCoverageMask& mask, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TImagePair pair;
  if (!in.good() && !in.eof()) {
    error = "cannot be read";
    return false;
  }
  if (bytes.empty() || SniffFormat(bytes.data(), bytes.size()) != kFormatPng ||
      LoadPngResource(kFileTypePng, bytes.data(), bytes.size(), pair) != 1) {
    error = bytes.empty() ? "cannot be read" : "is not a readable PNG picture";
    return false;
  }
  mask.width = mask.height = side;
  mask.coverage.assign(std::size_t(side) * std::size_t(side), 0);

  const std::vector<char> filled = Silhouette(pair);
  potrace_bitmap_t bitmap;
  bitmap.w = pair.width;
  bitmap.h = pair.height;
  bitmap.dy = (pair.width + kBits - 1) / kBits;
  std::vector<potrace_word> words(std::size_t(bitmap.dy) * std::size_t(pair.height), 0);
  for (std::int32_t y = 0; y < pair.height; ++y)
    for (std::int32_t x = 0; x < pair.width; ++x)
      if (filled[std::size_t(y) * pair.width + x])
        words[std::size_t(y) * bitmap.dy + x / kBits] |= potrace_word(1) << (kBits - 1 - x % kBits);
  bitmap.map = words.data();

  const std::unique_ptr<potrace_param_t, void (*)(potrace_param_t*)> param(potrace_param_default(),
                                                                          potrace_param_free);
  if (!param) {
    error = "cannot be traced";
    return false;
  }
  const std::unique_ptr<potrace_state_t, void (*)(potrace_state_t*)> state(potrace_trace(param.get(), &bitmap),
                                                                          potrace_state_free);
  if (!state || state->status != POTRACE_STATUS_OK) {
    error = "cannot be traced";
    return false;
  }
  const QPainterPath traced = TracedPath(state->plist);
  const QRectF box = traced.boundingRect();
  if (traced.isEmpty() || box.isEmpty()) return true;

  // Potrace's y runs upwards; the mask's rows run down.
  const double k = (side - 2 * kPadding) / std::max(box.width(), box.height());
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.translate(side / 2.0, side / 2.0);
  painter.scale(k, -k);
  painter.translate(-box.center());
  painter.fillPath(traced, Qt::black);
  painter.end();
  for (int y = 0; y < side; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < side; ++x) mask.coverage[std::size_t(y) * side + x] = std::uint8_t(qAlpha(row[x]));
  }
  return true;
}

}  // namespace quorvel
