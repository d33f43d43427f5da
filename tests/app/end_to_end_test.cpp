// The window driven as a user drives it, against the command line's warp of
// the same picture, shape and angle.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSlider>
#include <QTest>

#include "app/control_tags.h"
#include "app/morvex_app.h"
#include "imagefiles/loader.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

TImagePair ReadBack(const std::filesystem::path& path) {
  TImagePair pair;
  EXPECT_EQ(LoadImageFile(pair, path), 1) << path;
  return pair;
}

int CliWarp(const std::filesystem::path& in, const std::filesystem::path& shape, int angle,
            const std::filesystem::path& out, int feather = 0) {
  return QProcess::execute(QStringLiteral(QUORVEL_CLI),
                           {"warp", QString::fromStdString(in.string()), "-s", QString::fromStdString(shape.string()),
                            "-o", QString::fromStdString(out.string()), "--angle", QString::number(angle),
                            "--feather", QString::number(feather)});
}

TEST(EndToEnd, OpenPickTurnApplySaveMatchesTheCommandLineOutsideTheStamps) {
  Window w(4);
  CMorvexDlg& d = *w.dialog;
  constexpr int kW = 240, kH = 180;
  WritePicture(w.File("in.png"), kW, kH, [](int x, int y) {
    return 0xFF000000u | Pixel(x * 255 / kW) << 16 | Pixel(y * 255 / kH) << 8 | Pixel((x ^ y) & 0xFF);
  });
  QTest::qWait(400);  // the resource load runs by its own timer
  ASSERT_EQ(d.resourcesLoaded, 1);

  w.prompts.openAnswer = QString::fromStdString(w.File("in.png").string());
  w.Press(1009);
  w.Press(1011);
  QListWidget* list = d.shapeSelect.list;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(2)).center());
  auto* angle = static_cast<QSlider*>(FindControl(d.Client(), 1017));
  angle->setFocus();
  for (int i = 0; i < 3; ++i) QTest::keyClick(angle, Qt::Key_PageUp);
  const int turned = angle->value();
  ASSERT_GT(turned, 0);
  QTest::qWait(120);  // a paint or two: the preview follows
  EXPECT_EQ(d.paramsDirty, 0);
  w.Apply();
  w.prompts.saveAnswer = QString::fromStdString(w.File("window.png").string());
  w.Press(1010);
  ASSERT_TRUE(w.prompts.messages.isEmpty()) << w.prompts.messages.join("|").toStdString();

  const std::filesystem::path shape = d.shapeLib.shapes[2].path;
  ASSERT_EQ(CliWarp(w.File("in.png"), shape, turned, w.File("cli.png")), 0);
  ASSERT_EQ(CliWarp(w.File("in.png"), shape, 0, w.File("cli0.png")), 0);
  const TImagePair window = ReadBack(w.File("window.png"));
  const TImagePair cli = ReadBack(w.File("cli.png"));
  const TImagePair unturned = ReadBack(w.File("cli0.png"));
  ASSERT_EQ(window.width, kW);
  ASSERT_EQ(cli.height, kH);

  // One large stamp tile, centred: 100 x 30 at (70, 75).
  const QRect tile(70, 75, 100, 30);
  int outside = 0, differ_in_tile = 0, differ_unturned = 0;
  for (int row = 0; row < kH; ++row)
    for (int x = 0; x < kW; ++x) {
      const std::size_t i = std::size_t(row) * kW + x;
      if (tile.contains(x, row)) {
        differ_in_tile += window.src[i] != cli.src[i];
        continue;
      }
      ++outside;
      ASSERT_EQ(window.src[i], cli.src[i]) << x << "," << row;
      differ_unturned += cli.src[i] != unturned.src[i];
    }
  EXPECT_EQ(outside, kW * kH - 3000);
  EXPECT_GT(differ_in_tile, 0);    // the window laid its stamp
  EXPECT_GT(differ_unturned, 100); // and the angle mattered
}

// The window's feather edit and its stamp grid turned off: then every byte
// is the command line's, though the window warps on its worker.
TEST(EndToEnd, WithoutStampsAndWithAFeatherTheWholeResultIsTheCommandLines) {
  Window w(3);
  CMorvexDlg& d = *w.dialog;
  constexpr int kW = 260, kH = 200;
  WritePicture(w.File("in.png"), kW, kH, [](int x, int y) {
    return 0xFF000000u | Pixel(x * 255 / kW) << 16 | Pixel(y * 255 / kH) << 8 | Pixel((x * y) & 0xFF);
  });
  w.Load();
  w.Open(w.File("in.png"));
  auto* feather = static_cast<QLineEdit*>(FindControl(d.Client(), 1030));
  feather->setFocus();
  QTest::keyClicks(feather, "7");
  EXPECT_EQ(feather->text(), "07");
  d.findChild<QAction*>("id32775")->trigger();
  w.Apply();
  w.prompts.saveAnswer = QString::fromStdString(w.File("window").string());
  w.prompts.saveFilterAnswer = 2;  // PNG, by the filter alone
  w.Press(1010);
  ASSERT_TRUE(w.prompts.messages.isEmpty()) << w.prompts.messages.join("|").toStdString();

  ASSERT_EQ(CliWarp(w.File("in.png"), d.shapeLib.shapes[0].path, 0, w.File("cli.png"), 7), 0);
  ASSERT_EQ(CliWarp(w.File("in.png"), d.shapeLib.shapes[0].path, 0, w.File("plain.png"), 0), 0);
  const TImagePair window = ReadBack(w.File("window.png"));
  EXPECT_EQ(window.src, ReadBack(w.File("cli.png")).src);
  EXPECT_NE(window.src, ReadBack(w.File("plain.png")).src);  // the feather mattered

  // The command line writes the other JPEG endings as JPEG.
  ASSERT_EQ(CliWarp(w.File("in.png"), d.shapeLib.shapes[0].path, 0, w.File("cli.JFIF")), 0);
  EXPECT_EQ(ReadBack(w.File("cli.JFIF")).width, kW);
  EXPECT_FALSE(std::filesystem::exists(w.File("cli.JFIF.bmp")));
}

TEST(StartPicture, OnePathOrFileUrlFromTheCommandLine) {
  EXPECT_TRUE(StartPicture({"quorvel"}).isEmpty());
  EXPECT_EQ(StartPicture({"quorvel", "/tmp/a b.png"}), "/tmp/a b.png");
  EXPECT_EQ(StartPicture({"quorvel", "file:///tmp/a%20b.png"}), "/tmp/a b.png");
}

TEST(StartPicture, IsOpenedAfterTheResourceLoadAsOpenWould) {
  Window w(2);
  WritePicture(w.File("given.bmp"), 90, 70, [](int x, int y) { return Quadrants(x, y, 90, 70); });
  for (const char* name : {"given.bmp", "missing.png"}) {
    CMorvexDlg::Setup setup;
    setup.prompts = &w.prompts;
    setup.shapeFolder = QString::fromStdString(w.File("shapes").string());
    setup.startPicture = QString::fromStdString(w.File(name).string());
    CMorvexDlg d(setup);
    EXPECT_EQ(d.pictureShown, 0);
    d.OnTimer(3);
    EXPECT_EQ(d.shapeLib.selected, 0);
    const bool given = std::string(name) == "given.bmp";
    EXPECT_EQ(d.pictureShown, given ? 1 : 0) << name;
    EXPECT_EQ(d.mainPicture.width, given ? 90 : 0) << name;
    EXPECT_EQ(d.paramsDirty, given ? 1 : 0) << name;
    EXPECT_EQ(d.previewPicture.width, given ? 90 : 0) << name;
  }
  // The missing file is reported as an Open of it would be.
  ASSERT_EQ(w.prompts.messages.size(), 1);
  EXPECT_TRUE(w.prompts.messages[0].contains("The picture file cannot be read.")) << w.prompts.messages[0].toStdString();
}

}  // namespace
}  // namespace quorvel::testing
