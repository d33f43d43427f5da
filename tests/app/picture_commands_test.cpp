#include <gtest/gtest.h>

#include <cstdlib>

#include <QTest>

#include "app/control_tags.h"
#include "app/file_filters.h"
#include "imagefiles/loader.h"
#include "raster/blend.h"
#include "raster/memory_room.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

constexpr char kNoResult[] = "必须先生成变形图像.\nPlease generate deformed image first.";

Pixel Shown(Pixel p) { return BlendOver(p, PaneBackColor); }
// The same as a screen pixel, which has no alpha.
Pixel OnScreen(Pixel p) { return Shown(p) | 0xFF000000u; }

// The picture a dialog's result pane should show at pane point (x, y).
Pixel ExpectedResultPixel(const CMorvexDlg& d, int x, int y) {
  const TImagePair& pair = d.mainPicture;
  const int w = pair.resultPreviewWidth;
  const int h = pair.resultPreviewHeight;
  const int off_x = (d.dstView.width - w) / 2;
  const int off_y = (d.dstView.height - h) / 2;
  return Shown(pair.resultPreview[static_cast<std::size_t>((h - 1 - (y - off_y)) * w + (x - off_x))]);
}

struct Applied : Window {
  Applied() {
    Load();
    WritePicture(File("pic.png"), 120, 90, [](int x, int y) { return Quadrants(x, y, 120, 90); });
    Open(File("pic.png"));
    dialog->OnCommand(3);
    WaitForApply(*dialog);
  }
};

// Every pixel of the file at path, as the loader reads it back.
TImagePair ReadBack(const std::filesystem::path& path) {
  TImagePair pair;
  EXPECT_EQ(LoadImageFile(pair, path), 1) << path;
  return pair;
}

TEST(OpenPicture, ShowsThePictureInTheSourcePaneAndPreparesThePreview) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("pic.bmp"), 80, 60, [](int x, int y) { return Quadrants(x, y, 80, 60); });
  w.Open(w.File("pic.bmp"));
  EXPECT_EQ(w.prompts.openFilter, QString::fromStdString(OpenDialogFilter()));
  ASSERT_EQ(d.mainPicture.width, 80);
  EXPECT_EQ(d.paramsDirty, 1);
  EXPECT_EQ(d.pictureShown, 1);
  EXPECT_EQ(d.previewPicture.width, 80);
  const LayoutRect preview = d.ItemRect(d.areas.PreviewArea);
  // Centred in its area.
  EXPECT_EQ(d.previewView.x, preview.left + 10);
  EXPECT_EQ(d.previewView.y, preview.top + 20);
  EXPECT_EQ(d.previewView.width, 80);
  EXPECT_EQ(d.previewView.which, 1);

  // A picture smaller than its pane, centred: red top left, white bottom right.
  w.Paint();
  const int x0 = d.srcView.x + (d.srcView.width - 80) / 2;
  const int y0 = d.srcView.y + (d.srcView.height - 60) / 2;
  EXPECT_EQ(ShownPixel(d, x0 + 2, y0 + 2), OnScreen(0xFFFF0000u));
  EXPECT_EQ(ShownPixel(d, x0 + 77, y0 + 2), OnScreen(0xFF00FF00u));
  EXPECT_EQ(ShownPixel(d, x0 + 2, y0 + 57), OnScreen(0xFF0000FFu));
  EXPECT_EQ(ShownPixel(d, x0 - 1, y0), kPaneGrey);
  // No result yet: the result pane is grey.
  EXPECT_EQ(ShownPixel(d, d.dstView.x + d.dstView.width / 2, d.dstView.y + d.dstView.height / 2), kPaneGrey);
}

TEST(OpenPicture, CancelOrRefusalLeavesEverythingAsItWas) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("first.png"), 64, 48, [](int x, int y) { return Quadrants(x, y, 64, 48); });
  w.Open(w.File("first.png"));
  w.Paint();
  const QImage before = d.Client()->grab().toImage();

  w.prompts.openAnswer.reset();
  d.OnCommand(32771);
  WritePicture(w.File("narrow.bmp"), 14, 200, [](int, int) { return 0xFF102030u; });
  w.Open(w.File("narrow.bmp"));
  std::FILE* broken = std::fopen(w.File("broken.png").c_str(), "wb");
  std::fputs("\x89PNG\r\n\x1a\n not really", broken);
  std::fclose(broken);
  w.Open(w.File("broken.png"));

  EXPECT_EQ(d.mainPicture.width, 64);
  EXPECT_EQ(d.previewPicture.width, 64);
  ASSERT_EQ(w.prompts.messages.size(), 2);
  EXPECT_EQ(w.prompts.captions[0], "提示");
  EXPECT_EQ(w.prompts.messages[0], "图片的宽和高范围为[15, 5000].\n Image width and height in the range [15, 5000].");
  EXPECT_EQ(w.prompts.messages[1], "无法读取图片文件.\nThe picture file cannot be read.");
  w.Paint();
  EXPECT_EQ(d.Client()->grab().toImage(), before);
}

TEST(Apply, WarpsIntoTheResultPaneAndWritesTheTimingLines) {
  Window w;
  w.Load();
  CMorvexDlg& d = *w.dialog;
  ::testing::internal::CaptureStderr();
  d.OnCommand(3);  // nothing opened: nothing happens
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  WritePicture(w.File("pic.png"), 120, 90, [](int x, int y) { return Quadrants(x, y, 120, 90); });
  w.Open(w.File("pic.png"));
  ::testing::internal::CaptureStderr();
  QTest::keyClick(&d, Qt::Key_Return);  // Apply is the default button
  WaitForApply(d);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("GenerateAssistPolyline_Dis time = "), std::string::npos) << log;
  EXPECT_NE(log.find("MapAllPixels time = "), std::string::npos) << log;
  ASSERT_FALSE(d.mainPicture.result.empty());
  EXPECT_TRUE(FindControl(&d, 1029)->isHidden());

  w.Paint();
  const int cx = d.dstView.width / 2;
  const int cy = d.dstView.height / 2;
  EXPECT_EQ(ShownPixel(d, d.dstView.x + cx, d.dstView.y + cy), ExpectedResultPixel(d, cx, cy) | 0xFF000000u);
  EXPECT_EQ(ShownPixel(d, d.dstView.x + 1, d.dstView.y + 1), kPaneGrey);
}

TEST(Apply, RefusedForMemorySaysWhyAndKeepsThePictureAndTheResult) {
  Applied w;
  CMorvexDlg& d = *w.dialog;
  ASSERT_FALSE(d.mainPicture.result.empty());
  const PixelBlock src = d.mainPicture.src;
  const PixelBlock result = d.mainPicture.result;
  w.prompts.messages.clear();
  SetMemoryRoomCap(1);
  ::testing::internal::CaptureStderr();
  d.OnCommand(3);
  WaitForApply(d);  // the estimate is made on Apply's worker
  ::testing::internal::GetCapturedStderr();
  SetMemoryRoomCap(0);
  ASSERT_EQ(w.prompts.messages.size(), 1);
  EXPECT_TRUE(w.prompts.messages[0].startsWith(QString::fromUtf8("内存不足: 需要约 ")))
      << w.prompts.messages[0].toStdString();
  EXPECT_EQ(d.mainPicture.src, src);
  EXPECT_EQ(d.mainPicture.result, result);
  EXPECT_TRUE(FindControl(&d, 1029)->isHidden());
}

TEST(SavePicture, WithoutAResultOnlySaysSo) {
  Applied w;
  WritePicture(w.File("second.png"), 50, 40, [](int, int) { return 0xFF336699u; });
  w.Open(w.File("second.png"));  // the new picture has no result
  w.prompts.saveAnswer = QString::fromStdString(w.File("out.png").string());
  w.dialog->OnCommand(1010);
  EXPECT_EQ(w.prompts.saveAsked, 0);
  ASSERT_EQ(w.prompts.messages.size(), 1);
  EXPECT_EQ(w.prompts.messages[0], QString::fromUtf8(kNoResult));
  EXPECT_FALSE(std::filesystem::exists(w.File("out.png")));

  Window fresh;
  fresh.dialog->OnCommand(32772);
  EXPECT_EQ(fresh.prompts.messages.value(0), QString::fromUtf8(kNoResult));
}

TEST(SavePicture, OffersTheFiltersByTheOpenedFileAndItsTitle) {
  Applied w;
  w.dialog->OnCommand(1010);  // cancelled
  EXPECT_EQ(w.prompts.saveFilter, QString::fromUtf8(kSaveFilterJpgFirst));
  EXPECT_EQ(w.prompts.saveExtension, "jpg");
  EXPECT_EQ(w.prompts.saveInitialName, "pic");

  WritePicture(w.File("other.bmp"), 40, 30, [](int x, int y) { return Quadrants(x, y, 40, 30); });
  w.Open(w.File("other.bmp"));
  w.Apply();
  w.dialog->OnCommand(32772);
  EXPECT_EQ(w.prompts.saveFilter, QString::fromUtf8(kSaveFilterBmpFirst));
  EXPECT_EQ(w.prompts.saveExtension, "bmp");
  EXPECT_EQ(w.prompts.saveInitialName, "other");
  EXPECT_EQ(w.prompts.bmpAsked, 0);
}

TEST(SavePicture, WritesFilesThatDecodeToWhatTheResultPaneShows) {
  Applied w;
  const TImagePair& pair = w.dialog->mainPicture;

  w.prompts.saveAnswer = QString::fromStdString(w.File("out.bmp").string());
  w.dialog->OnCommand(1010);
  EXPECT_EQ(w.prompts.bmpAsked, 1);
  EXPECT_EQ(w.prompts.bmpFormatOffered, 0);
  const TImagePair bmp = ReadBack(w.File("out.bmp"));
  ASSERT_EQ(bmp.src.size(), pair.result.size());
  for (std::size_t i = 0; i < bmp.src.size(); ++i)
    ASSERT_EQ(bmp.src[i] & 0xFFFFFFu, Shown(pair.result[i]) & 0xFFFFFFu) << i;

  w.prompts.saveAnswer = QString::fromStdString(w.File("out.png").string());
  w.dialog->OnCommand(1010);
  const TImagePair png = ReadBack(w.File("out.png"));
  EXPECT_EQ(png.src, pair.result);  // alpha kept: the outside stays transparent

  w.prompts.saveAnswer = QString::fromStdString(w.File("out.jpg").string());
  w.dialog->OnCommand(1010);
  const TImagePair jpg = ReadBack(w.File("out.jpg"));
  ASSERT_EQ(jpg.src.size(), pair.result.size());
  long total = 0;
  for (std::size_t i = 0; i < jpg.src.size(); ++i)
    for (int shift : {0, 8, 16})
      total += std::abs(static_cast<int>((jpg.src[i] >> shift) & 255) - static_cast<int>((Shown(pair.result[i]) >> shift) & 255));
  EXPECT_LT(static_cast<double>(total) / (3.0 * jpg.src.size()), 4.0);
  EXPECT_EQ(w.prompts.bmpAsked, 1);
  EXPECT_TRUE(w.prompts.messages.isEmpty());
}

TEST(SavePicture, CancelledDialogsWriteNothingAndFailuresAreReported) {
  Applied w;
  w.prompts.saveAnswer.reset();
  w.dialog->OnCommand(1010);
  w.prompts.saveAnswer = QString::fromStdString(w.File("kept.bmp").string());
  w.prompts.bmpAnswer = false;
  w.dialog->OnCommand(1010);
  EXPECT_EQ(w.prompts.bmpAsked, 1);
  EXPECT_FALSE(std::filesystem::exists(w.File("kept.bmp")));
  EXPECT_TRUE(w.prompts.messages.isEmpty());

  w.prompts.saveAnswer = QString::fromStdString(w.File("no such folder/out.png").string());
  w.dialog->OnCommand(1010);
  EXPECT_EQ(w.prompts.messages.value(0), "保存图片失败.\nFailed to save the picture.");
}

}  // namespace
}  // namespace quorvel::testing
