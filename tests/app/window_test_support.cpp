#include "window_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include "app/control_tags.h"
#include "imagefiles/saver.h"
#include "shapebuild/loop_encoder.h"
#include "shapebuild/shape_writer.h"

namespace quorvel::testing {

std::optional<QString> FakePrompts::AskOpenPath(QWidget*, const QString& filter) {
  openFilter = filter;
  return openAnswer;
}

std::optional<SaveAnswer> FakePrompts::AskSavePath(QWidget*, const QString& filter,
                                                   const QString& defaultExtension, const QString& initialName) {
  ++saveAsked;
  saveFilter = filter;
  saveExtension = defaultExtension;
  saveInitialName = initialName;
  if (onSaveAsked) onSaveAsked(saveAsked);
  const std::optional<QString> path = saveAnswer;
  const int index = saveFilterAnswer;
  if (!path) return std::nullopt;
  return SaveAnswer{*path, index};
}

bool FakePrompts::AskYesNo(QWidget*, const QString& text, const QString&, const QString&) {
  questions << text;
  return questionAnswers.isEmpty() ? true : questionAnswers.takeFirst();
}

bool FakePrompts::AskBmpOptions(QWidget*, int& selectedFormat) {
  ++bmpAsked;
  bmpFormatOffered = selectedFormat;
  return bmpAnswer;
}

void FakePrompts::ShowMessageBox(QWidget*, const QString& caption, const QString& text) {
  messageOffGuiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
  captions << caption;
  messages << text;
}

void WriteShapes(const std::filesystem::path& folder, int count) {
  std::filesystem::create_directories(folder);
  for (int n = 0; n < count; ++n) {
    ShapeFileContents contents;
    for (int loop = 0; loop < 3; ++loop) {
      const double radius = 140.0 - 60.0 * loop;
      std::vector<ShapePointD> points;
      for (int i = 0; i < 48; ++i) {
        const double a = 2.0 * M_PI * i / 48.0;
        // Each file a different star, so shapes can be told apart.
        const double r = radius * (1.0 + 0.1 * n * std::cos(5.0 * a));
        points.push_back({r * std::cos(a), r * std::sin(a)});
        if (loop == 0) contents.outline.push_back({300.0 + 2.0 * points.back().x, 300.0 + 2.0 * points.back().y});
      }
      ShapeFileBlock block;
      ASSERT_TRUE(EncodeShapeLoop(points, block));
      contents.blocks.push_back(block);
    }
    const std::string name = std::string(1, static_cast<char>('a' + n)) + ".qshp";
    ASSERT_TRUE(WriteShapeFile(folder / name, contents));
  }
}

void WritePicture(const std::filesystem::path& path, int w, int h,
                  const std::function<Pixel(int x, int y)>& colour) {
  PixelBlock pixels;
  AllocBlock(pixels, w, h);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) pixels[static_cast<std::size_t>(row * w + x)] = colour(x, h - 1 - row);
  if (path.extension() == ".png") {
    ASSERT_TRUE(WritePng(pixels.data(), h, path, w));
    return;
  }
  std::vector<std::uint8_t> rows;
  for (Pixel p : pixels)
    for (int shift : {0, 8, 16}) rows.push_back(static_cast<std::uint8_t>(p >> shift));
  ASSERT_EQ(WriteBmp24(rows.data(), h, path, w), 1);
}

Pixel Quadrants(int x, int y, int w, int h) {
  const bool left = x < w / 2;
  if (y < h / 2) return left ? 0xFFFF0000u : 0xFF00FF00u;
  return left ? 0xFF0000FFu : 0xFFFFFFFFu;
}

Window::Window(int shapes, const CMorvexDlg::Setup& extra) {
  const std::filesystem::path folder = File("shapes");
  WriteShapes(folder, shapes);
  CMorvexDlg::Setup setup = extra;
  setup.prompts = &prompts;
  setup.shapeFolder = QString::fromStdString(folder.string());
  // The developer's own shapes never reach a test.
  if (setup.userShapeFolder.isEmpty()) setup.userShapeFolder = QString::fromStdString(UserFolder().string());
#ifdef QUORVEL_SHAPE_TOOL
  if (setup.shapeTool.isEmpty()) setup.shapeTool = QStringLiteral(QUORVEL_SHAPE_TOOL);
#endif
  dialog = std::make_unique<CMorvexDlg>(setup);
  // No events are processed here: timer 3 must not run the load before a
  // test asks for it.
  dialog->show();
}

Window::~Window() { dialog.reset(); }

std::filesystem::path Window::UserFolder() const { return File("user/quorvel/shapes"); }

void Window::Load() { dialog->OnTimer(3); }

// Rendering runs the paint even before the offscreen window is exposed.
void Window::Paint() { dialog->Client()->grab(); }

void Window::Press(int id) {
  auto* button = qobject_cast<QAbstractButton*>(FindControl(dialog.get(), id));
  ASSERT_NE(button, nullptr) << id;
  button->click();
}

void Window::Apply() {
  Press(3);
  WaitForApply(*dialog);
}

void WaitForApply(CMorvexDlg& dialog) {
  // Slow under the sanitizers: a minute for a picture of a few megapixels.
  // Idle meanwhile, so that the job has the cores.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!dialog.ApplyRunning()) loop.quit();
  });
  poll.start(10);
  QTimer::singleShot(std::chrono::minutes(3), &loop, &QEventLoop::quit);
  if (dialog.ApplyRunning()) loop.exec();
  ASSERT_FALSE(dialog.ApplyRunning());
}

void Window::Open(const std::filesystem::path& picture) {
  prompts.openAnswer = QString::fromStdString(picture.string());
  dialog->OnCommand(1009);
}

std::filesystem::path Window::File(const char* name) const {
  return std::filesystem::path(dir.path().toStdString()) / name;
}

QRgb ShownPixel(CMorvexDlg& dialog, int x, int y) {
  return dialog.Client()->grab(QRect(x, y, 1, 1)).toImage().pixel(0, 0);
}

}  // namespace quorvel::testing
