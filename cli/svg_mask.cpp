// Qt's SVG module reads the drawing: paths with every command, arcs, basic
// shapes, transforms, styles and the viewBox, exactly as a browser fills them.
#include "cli/svg_mask.h"

#include "shapebuild/build_clock.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace quorvel {
namespace {

constexpr std::int32_t kProbeSide = 512;
constexpr std::int32_t kPadding = 4;
constexpr const char* kTooSlow = "takes longer to draw than the time limit allows (--time-limit raises it)";

// Qt's SVG reader keeps going where a path's data stops making sense (or
// runs past its point limit) and only says so here; a drawing it cut short
// would build the wrong shape.
bool g_path_cut_short = false;

void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
  if (message.contains(QLatin1String("path truncated")) || message.contains(QLatin1String("Invalid path data")))
    g_path_cut_short = true;
}

// Rendered in bands of rows so that the time limit is looked at while a
// drawing that is slow to fill (a long self-crossing path) is being drawn.
// Each band draws the whole drawing shifted by whole rows, so the pixels are
// those of one render.
bool Render(QSvgRenderer& renderer, const QRectF& view, QSize size, const QRectF& target,
            double deadline, QImage& image) {
  constexpr int kBandRows = 32;
  image = QImage(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  renderer.setViewBox(view);
  for (int y0 = 0; y0 < size.height(); y0 += kBandRows) {
    if (BuildClockSeconds() > deadline) return false;
    const int rows = std::min(kBandRows, size.height() - y0);
    QImage band(size.width(), rows, QImage::Format_ARGB32_Premultiplied);
    band.fill(Qt::transparent);
    QPainter painter(&band);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(0, -y0);
    renderer.render(&painter, target);
    painter.end();
    for (int y = 0; y < rows; ++y)
      std::memcpy(image.scanLine(y0 + y), band.constScanLine(y), std::size_t(size.width()) * 4);
  }
  return true;
}

// The box of the pixels with any coverage; false when there are none.
bool CoveredBox(const QImage& image, QRect& box) {
  int x0 = image.width(), y0 = image.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(row[x]) > 0) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
  if (x1 < 0) return false;
  box = QRect(QPoint(x0, y0), QPoint(x1, y1));
  return true;
}

int g_argc = 1;
char g_name[] = "quorvel-shape";
char* g_argv[] = {g_name, nullptr};

}  // namespace

SvgRenderingScope::SvgRenderingScope() {
  qInstallMessageHandler(DropQtMessages);
  if (QGuiApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  app_ = new QGuiApplication(g_argc, g_argv);
}

SvgRenderingScope::~SvgRenderingScope() { delete static_cast<QGuiApplication*>(app_); }

bool RenderSvgMask(const std::string& path, std::int32_t side, TCoverageMask& mask, std::string& error,
                   double deadline) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = "cannot be read";
    return false;
  }
  g_path_cut_short = false;
  QSvgRenderer renderer(QString::fromStdString(path));
  if (g_path_cut_short) {
    error = "cannot be read whole: the SVG reader cut a path short (too many points, or broken path data)";
    return false;
  }
  if (!renderer.isValid()) {
    error = "is not a readable SVG drawing";
    return false;
  }
  QRectF view = renderer.viewBoxF();
  if (view.isEmpty()) view = QRectF(QPointF(0, 0), QSizeF(renderer.defaultSize()));
  if (view.isEmpty()) {
    error = "has no drawing size";
    return false;
  }

  // Probe where the drawing fills, then render that part large. Filled area
  // beyond the viewBox counts too, so the probe looks at a margin around it.
  const QRectF probe_view = view.adjusted(-view.width(), -view.height(), view.width(), view.height());
  const double k = kProbeSide / std::max(probe_view.width(), probe_view.height());
  const QSize probe_size(int(std::ceil(probe_view.width() * k)), int(std::ceil(probe_view.height() * k)));
  QImage probe;
  if (!Render(renderer, probe_view, probe_size, QRectF(QPointF(0, 0), QSizeF(probe_size)), deadline, probe)) {
    error = kTooSlow;
    return false;
  }
  mask.width = mask.height = side;
  mask.coverage.assign(std::size_t(side) * std::size_t(side), 0);
  QRect box;
  if (!CoveredBox(probe, box)) return true;

  const QRectF filled(probe_view.left() + (box.left() - 1) / k, probe_view.top() + (box.top() - 1) / k,
                      (box.width() + 2) / k, (box.height() + 2) / k);
  const double scale = (side - 2 * kPadding) / std::max(filled.width(), filled.height());
  const QSizeF drawn(filled.width() * scale, filled.height() * scale);
  const QRectF target(QPointF((side - drawn.width()) / 2, (side - drawn.height()) / 2), drawn);
  QImage image;
  if (!Render(renderer, filled, QSize(side, side), target, deadline, image)) {
    error = kTooSlow;
    return false;
  }
  for (int y = 0; y < side; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < side; ++x) mask.coverage[std::size_t(y) * side + x] = std::uint8_t(qAlpha(row[x]));
  }
  return true;
}

}  // namespace quorvel
