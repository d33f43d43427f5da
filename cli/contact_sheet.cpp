#include "cli/contact_sheet.h"

#include <algorithm>
#include <cstdio>

#include "cli/exit_status.h"
#include "cli/test_card.h"
#include "imagefiles/saver.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
#include "shapes/thumbnail.h"
#include "warp/job.h"

namespace quorvel {

const char* const kSheetUsage =
    "  quorvel-shape sheet [--shapes DIR] -o SHEET.png [--stats] [--help]\n"
    "      a contact sheet: each shape's thumbnail and a test card warped into it;\n"
    "      --stats prints, per shape, the share of its outer loop's inside that a\n"
    "      500 x 500 card reaches\n";

namespace {

constexpr std::int32_t kColumns = 5;
constexpr std::int32_t kThumbScale = 2;
constexpr std::int32_t kCardSide = 200;
constexpr std::int32_t kGap = 10;
constexpr std::int32_t kCellWidth = kThumbnailSide * kThumbScale + kGap + kCardSide + 2 * kGap;
constexpr std::int32_t kCellHeight = kCardSide + 2 * kGap;
constexpr std::int32_t kStatsSide = 500;
constexpr Pixel kSheetGrey = 0xFFC8C8C8u;

struct Sheet {
  std::int32_t width = 0, height = 0;
  PixelBlock pixels;  // bottom-up
  void Put(std::int32_t x, std::int32_t y, Pixel p) {  // y from the top
    if (x >= 0 && y >= 0 && x < width && y < height) pixels[std::size_t(height - 1 - y) * width + x] = p;
  }
};

// Over the sheet's grey, so what the mapping did not reach shows.
Pixel OverGrey(Pixel p) {
  const std::uint32_t a = p >> 24;
  Pixel out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t c = (p >> shift) & 0xFF, g = (kSheetGrey >> shift) & 0xFF;
    out |= ((c * a + g * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

// Whether frame point (x, y) lies inside a closed polyline (even-odd).
bool Inside(const TPolyline& loop, double x, double y) {
  bool in = false;
  for (const TSegment& s : loop.segments) {
    const double x1 = s.x1, y1 = s.y1, y2 = s.y2;
    // The differences are taken in float, as the engine takes them.
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    if ((y1 > y) != (y2 > y) && x < x1 + (y - y1) * dx / dy) in = !in;
  }
  return in;
}

// Share of the pixels whose centres lie inside the outer loop (scaled to
// side) that the warp wrote. The innermost loop's inside is left out: the
// rays end on that loop, and for a ring it is the hole.
double ReachedShare(const PolylineList& loops, const PixelBlock& dest, std::int32_t side) {
  if (loops.empty()) return 0.0;
  const double k = side / 300.0;
  std::size_t inside = 0, reached = 0;
  for (std::int32_t row = 0; row < side; ++row)
    for (std::int32_t col = 0; col < side; ++col) {
      const double x = (col + 0.5) / k - 150.0, y = (row + 0.5) / k - 150.0;
      if (!Inside(loops.front(), x, y) || (loops.size() > 1 && Inside(loops.back(), x, y))) continue;
      ++inside;
      reached += AlphaOf(dest[std::size_t(side - 1 - row) * side + col]) != 0;
    }
  return inside ? double(reached) / double(inside) : 0.0;
}

}  // namespace

ArgCommand ContactSheetCommand(ContactSheetRequest& request) {
  ArgCommand sheet;
  sheet.name = sheet.who = "sheet";
  sheet.unknown = [](const std::string& word) { return "unexpected argument '" + word + "'"; };
  sheet.missing = sheet.unknown;
  sheet.options = {
      ChoiceArg("--shapes", [&request](const std::string& text) { request.folder = text; return true; }, ""),
      Once(TextArg("-o", request.output, "unexpected argument '-o'")),
      FlagArg("--stats", request.stats),
  };
  return sheet;
}

int ContactSheetRefusal(const std::string& message) {
  std::fprintf(stderr, "quorvel-shape sheet: %s\nUsage:\n%s", message.c_str(), kSheetUsage);
  return kExitUsage;
}

int RunContactSheet(const ContactSheetRequest& request) {
  if (request.output.empty() && !request.stats) return ContactSheetRefusal("sheet needs -o SHEET.png or --stats");
  const std::filesystem::path folder = request.folder ? *request.folder : DefaultShapeFolder();
  const std::string& output = request.output;
  const bool stats = request.stats;

  TWarpEngine engine;
  ScanShapeFolder(engine, folder);
  if (engine.shapes.empty()) {
    std::fprintf(stderr, "quorvel-shape: %s: no shape files\n", folder.string().c_str());
    return kExitShapeUnusable;
  }
  const auto count = static_cast<std::int32_t>(engine.shapes.size());
  Sheet sheet;
  sheet.width = kColumns * kCellWidth;
  sheet.height = (count + kColumns - 1) / kColumns * kCellHeight;
  AllocBlock(sheet.pixels, sheet.width, sheet.height);
  std::fill(sheet.pixels.begin(), sheet.pixels.end(), kSheetGrey);

  TThumbnailSurface surface;
  PrepareThumbnailSurface(surface);
  std::vector<std::uint8_t> thumb(kThumbnailBytes);
  TImagePair card, stats_card;
  int status = kExitSuccess;
  if (stats) std::printf("%-4s %-20s %s\n", "#", "shape", "reached");
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t x0 = (i % kColumns) * kCellWidth + kGap, y0 = (i / kColumns) * kCellHeight + kGap;
    if (DrawShapeThumbnail(engine, surface, i, thumb.data()))
      for (std::int32_t y = 0; y < kThumbnailSide * kThumbScale; ++y)
        for (std::int32_t x = 0; x < kThumbnailSide * kThumbScale; ++x) {
          const std::uint8_t* p = &thumb[(std::size_t(y / kThumbScale) * kThumbnailSide + x / kThumbScale) * 4];
          sheet.Put(x0 + x, y0 + y, Pixel(p[0]) | Pixel(p[1]) << 8 | Pixel(p[2]) << 16 | Pixel(p[3]) << 24);
        }
    if (SelectShape(engine, i) != 1) {
      std::fprintf(stderr, "quorvel-shape: %s: cannot be loaded\n", engine.shapes[i].path.string().c_str());
      status = kExitShapeUnusable;
      continue;
    }
    MakeTestCard(kCardSide, card);
    if (RunWarpJob(engine, WarpKind::Preview, card)) {
      const std::int32_t cx = x0 + kThumbnailSide * kThumbScale + kGap;
      for (std::int32_t y = 0; y < kCardSide; ++y)
        for (std::int32_t x = 0; x < kCardSide; ++x)
          sheet.Put(cx + x, y0 + y, OverGrey(card.result[std::size_t(kCardSide - 1 - y) * kCardSide + x]));
    }
    if (stats) {
      MakeTestCard(kStatsSide, stats_card);
      const bool warped = RunWarpJob(engine, WarpKind::Preview, stats_card);
      const double share = warped ? ReachedShare(engine.shape_polylines, engine.dest, kStatsSide) : 0.0;
      std::printf("%-4d %-20s %.2f%%\n", i, engine.shapes[i].name.c_str(), share * 100.0);
    }
  }
  if (!output.empty() && !WritePng(sheet.pixels.data(), sheet.height, output, sheet.width)) {
    std::fprintf(stderr, "quorvel-shape: %s: cannot be written\n", output.c_str());
    return kExitOutputNotWritten;
  }
  return status;
}

}  // namespace quorvel
