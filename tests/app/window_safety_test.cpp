// The window keeps the user's files and results safe, and shows what is
// there: replacing asks, an unsaved result is not dropped silently, the
// chosen type is the written type, a resize leaves nothing stale, the
// preview has the picture's proportions.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include "app/control_tags.h"
#include "app/layout_table.h"
#include "imagefiles/loader.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Applied : Window {
  Applied() {
    Load();
    WritePicture(File("pic.png"), 120, 90, [](int x, int y) { return Quadrants(x, y, 120, 90); });
    Open(File("pic.png"));
    Apply();
  }
  QString Path(const char* name) const { return QString::fromStdString(File(name).string()); }
};

TEST(SaveSafety, ReplacingTheOriginalAsksAndNoGoesBackToTheDialog) {
  Applied w;
  const std::string original = Bytes(w.File("pic.png"));
  // Enter on the offered name: the title, without an ending, in the picture's folder.
  w.prompts.saveAnswer = w.Path("pic");
  w.prompts.saveFilterAnswer = 2;  // PNG
  w.prompts.questionAnswers = {false};
  w.prompts.onSaveAsked = [&](int asked) {
    if (asked == 2) w.prompts.saveAnswer.reset();  // the second time, cancel
  };
  w.dialog->OnCommand(1010);
  ASSERT_EQ(w.prompts.questions.size(), 1);
  EXPECT_TRUE(w.prompts.questions[0].contains("pic.png already exists. Do you want to replace it?"))
      << w.prompts.questions[0].toStdString();
  EXPECT_EQ(w.prompts.saveAsked, 2);
  EXPECT_EQ(w.prompts.saveInitialName, w.Path("pic.png"));  // offered again to be changed
  EXPECT_EQ(Bytes(w.File("pic.png")), original);
  EXPECT_TRUE(w.dialog->ResultUnsaved());

  // Yes replaces it, and the window says so.
  w.prompts.onSaveAsked = nullptr;
  w.prompts.saveAnswer = w.Path("pic");
  w.dialog->OnCommand(1010);
  EXPECT_EQ(w.prompts.questions.size(), 2);
  EXPECT_NE(Bytes(w.File("pic.png")), original);
  EXPECT_FALSE(w.dialog->ResultUnsaved());
  QLabel* status = static_cast<QLabel*>(FindControl(w.dialog.get(), 1047));
  EXPECT_TRUE(status->isVisibleTo(w.dialog.get()));
  EXPECT_EQ(status->toolTip(), "已保存(Saved): pic.png");
}

TEST(SaveSafety, TheChosenFilterGivesTheEndingOfANameWithoutOne) {
  Applied w;
  w.prompts.saveAnswer = w.Path("out");
  w.prompts.saveFilterAnswer = 1;  // BMP, though JPG is the default
  w.dialog->OnCommand(1010);
  EXPECT_EQ(w.prompts.bmpAsked, 1);
  EXPECT_TRUE(std::filesystem::exists(w.File("out.bmp")));
  w.prompts.saveFilterAnswer = 2;
  w.dialog->OnCommand(1010);
  EXPECT_TRUE(std::filesystem::exists(w.File("out.png")));
  EXPECT_FALSE(std::filesystem::exists(w.File("out.jpg")));

  // A typed .jpeg is JPEG, and opens again as one.
  w.prompts.saveAnswer = w.Path("out.JPEG");
  w.prompts.saveFilterAnswer = 1;
  w.dialog->OnCommand(1010);
  EXPECT_EQ(Bytes(w.File("out.JPEG")).substr(0, 2), "\xFF\xD8");
  EXPECT_FALSE(std::filesystem::exists(w.File("out.JPEG.bmp")));
  w.Open(w.File("out.JPEG"));
  EXPECT_EQ(w.dialog->mainPicture.fileType, 3);
  EXPECT_EQ(w.dialog->mainPicture.width, 120);
  EXPECT_TRUE(w.prompts.messages.isEmpty()) << w.prompts.messages.join("|").toStdString();
}

TEST(UnsavedResult, ExitEscCloseAndOpenAskOnceEachAndNoKeepsIt) {
  Applied w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("other.png"), 50, 40, [](int x, int y) { return Quadrants(x, y, 50, 40); });
  w.prompts.questionAnswers = {false, false, false, false};
  d.OnCommand(32773);
  QApplication::processEvents();
  QTest::keyClick(&d, Qt::Key_Escape);
  d.close();
  w.Open(w.File("other.png"));
  EXPECT_EQ(w.prompts.questions.size(), 4);
  for (const QString& question : w.prompts.questions)
    EXPECT_TRUE(question.contains("The warped result has not been saved. Discard it?"));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.mainPicture.width, 120);
  EXPECT_FALSE(d.mainPicture.result.empty());

  // Yes opens the other picture; nothing is unsaved then, so Exit just exits.
  w.Open(w.File("other.png"));
  EXPECT_EQ(w.prompts.questions.size(), 5);
  EXPECT_EQ(d.mainPicture.width, 50);
  EXPECT_EQ(d.windowTitle(), "Quorvel — other.png");
  d.OnCommand(32773);
  QApplication::processEvents();
  EXPECT_EQ(w.prompts.questions.size(), 5);
  EXPECT_FALSE(d.isVisible());
}

// Every pixel of the view area outside both panes, as shown.
int StalePixels(CMorvexDlg& d) {
  d.Client()->grab();  // the paint
  const QImage shown = d.Client()->grab().toImage();
  const LayoutRect view = d.ItemRect(d.areas.ViewArea);
  const TViewPane* panes[] = {d.pictureShown ? &d.srcView : &d.splashView, d.pictureShown ? &d.dstView : nullptr};
  int stale = 0;
  for (int y = view.top; y < view.bottom; ++y)
    for (int x = view.left; x < view.right; ++x) {
      bool inside = false;
      for (const TViewPane* p : panes)
        inside |= p && p->visible && x >= p->x && x < p->x + p->width && y >= p->y && y < p->y + p->height;
      stale += !inside && shown.pixel(x, y) != kPaneGrey;
    }
  return stale;
}

TEST(Resize, LeavesNoStalePixelsBetweenOrAroundThePanes) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  EXPECT_EQ(StalePixels(d), 0);
  for (QSize size : {QSize(1280, 800), QSize(1024, 680)}) {
    d.resize(size);
    QApplication::processEvents();
    EXPECT_EQ(StalePixels(d), 0) << "splash at " << size.width();
  }
  WritePicture(w.File("wide.png"), 1600, 600, [](int x, int y) { return Quadrants(x, y, 1600, 600); });
  w.Open(w.File("wide.png"));
  w.Load();
  w.Apply();
  for (QSize size : {QSize(1280, 800), QSize(1024, 680), QSize(900, 650)}) {
    d.resize(size);
    QApplication::processEvents();
    EXPECT_EQ(StalePixels(d), 0) << "panes at " << size.width();
  }
}

TEST(Resize, AtTheMinimumSizeNoControlCoversAnother) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  d.resize(200, 100);
  QApplication::processEvents();
  const QSize client = d.Client()->size();
  EXPECT_EQ(client, QSize(820, 580));
  QList<QRect> taken;
  for (const LayoutItem* area : {&d.areas.ThumbArea, &d.areas.SwatchArea, &d.areas.PreviewArea}) {
    const LayoutRect r = d.ItemRect(*area);
    taken << QRect(r.left, r.top, r.Width(), r.Height());
  }
  QStringList names{"thumb", "swatch", "preview"};
  const QRect settings = FindControl(&d, 1039)->geometry();
  for (QWidget* control : d.Client()->findChildren<QWidget*>()) {
    const int id = ControlIdOf(control);
    if (id == 0 || !control->isVisibleTo(&d) || control->parentWidget() != d.Client()) continue;
    const QRect r = control->geometry();
    EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(r)) << id;
    if (id == 1038 || id == 1039 || id == 1044) continue;  // frames
    EXPECT_TRUE(settings.contains(r) || !settings.intersects(r)) << id;
    for (int i = 0; i < taken.size(); ++i) EXPECT_FALSE(taken[i].intersects(r)) << id << " and " << names[i].toStdString();
    taken << r;
    names << QString::number(id);
  }
  EXPECT_FALSE(settings.intersects(FindControl(&d, 1038)->geometry()));
}

TEST(Preview, IsShownAtThePicturesProportions) {
  Window w;
  w.Load();
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("strip.png"), 1000, 60, [](int x, int y) { return Quadrants(x, y, 1000, 60); });
  w.Open(w.File("strip.png"));
  w.Paint();
  EXPECT_EQ(d.previewPicture.width, 100);  // the warp stays 100 x 100
  EXPECT_EQ(d.previewPicture.height, 100);
  EXPECT_EQ(d.previewView.width, 100);
  EXPECT_EQ(d.previewView.height, 6);
  const LayoutRect area = d.ItemRect(d.areas.PreviewArea);
  EXPECT_EQ(d.previewView.y, area.top + 47);
  // The strip is the warped picture; above and below it, grey.
  const QImage shown = d.Client()->grab(QRect(area.left, area.top, 100, 100)).toImage();
  EXPECT_EQ(shown.pixel(50, 46), kPaneGrey);
  EXPECT_EQ(shown.pixel(50, 53), kPaneGrey);
  int differ = 0;
  for (int x = 0; x < 100; ++x) differ += shown.pixel(x, 49) != shown.pixel(50, 49);
  EXPECT_GT(differ, 10);
}

TEST(Panes, TransparencyShowsOnACheckerboard) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("clear.png"), 80, 60, [](int x, int) { return x < 40 ? 0x00000000u : 0xFF0000FFu; });
  w.Open(w.File("clear.png"));
  w.Paint();
  const int x0 = d.srcView.x + (d.srcView.width - 80) / 2;
  const int y0 = d.srcView.y + (d.srcView.height - 60) / 2;
  EXPECT_EQ(ShownPixel(d, x0 + 2, y0 + 2), 0xFFFEFEFEu);    // light cell
  EXPECT_EQ(ShownPixel(d, x0 + 10, y0 + 2), 0xFFCBCBCBu);   // dark cell
  EXPECT_EQ(ShownPixel(d, x0 + 10, y0 + 10), 0xFFFEFEFEu);
  EXPECT_EQ(ShownPixel(d, x0 + 60, y0 + 10), 0xFF0000FEu);  // opaque: as before
}

}  // namespace
}  // namespace quorvel::testing
