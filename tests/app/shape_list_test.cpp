// The shape list panel, the thumbnail beside the settings, and the
// parameter controls feeding the live preview.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>

#include "app/control_tags.h"
#include "shapes/shape_library.h"
#include "shapebuild/shape_writer.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

QWidget* Control(Window& w, int id) { return FindControl(w.dialog->Client(), id); }
QSlider* AngleSlider(Window& w) { return static_cast<QSlider*>(Control(w, 1017)); }

// Clicks item row of the open shape list as a user would.
void ClickItem(Window& w, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QListWidget* list = w.dialog->shapeSelect.list;
  ASSERT_NE(list, nullptr);
  const QRect at = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at.center());
}

// The pixels the window shows over the preview pane.
QImage ShownPreview(CMorvexDlg& d) {
  return d.Client()->grab(QRect(d.previewView.x, d.previewView.y, d.previewView.width, d.previewView.height))
      .toImage();
}

struct Opened : Window {
  explicit Opened(int shapes = 4) : Window(shapes) {
    Load();
    WritePicture(File("pic.png"), 160, 120, [](int x, int y) { return Quadrants(x, y, 160, 120); });
    Open(File("pic.png"));
    Paint();
  }
};

TEST(ShapeThumbnails, BuiltByTheLoadAndTheCurrentOnePaintedInThumbArea) {
  Window w(4);
  CMorvexDlg& d = *w.dialog;
  EXPECT_FALSE(d.shapeSelect.thumbnailsBuilt);
  w.Load();
  ASSERT_TRUE(d.shapeSelect.thumbnailsBuilt);
  ASSERT_EQ(d.shapeSelect.thumbnails.size(), 4);
  // Each image is the core's drawing of that shape.
  std::vector<std::uint8_t> pixels(kThumbnailBytes);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(DrawShapeThumbnail(d.shapeLib, d.thumbSurface, i, pixels.data()));
    EXPECT_EQ(d.shapeSelect.thumbnails[i], ThumbnailImage(pixels.data())) << i;
  }
  EXPECT_NE(d.shapeSelect.thumbnails[0], d.shapeSelect.thumbnails[3]);

  const LayoutRect thumb = d.ItemRect(d.areas.ThumbArea);
  const QRect area(thumb.left, thumb.top, 50, 50);
  EXPECT_EQ(d.Client()->grab(area).toImage().convertToFormat(QImage::Format_ARGB32),
            d.shapeSelect.thumbnails[0]);
  ASSERT_EQ(SelectShape(d.shapeLib, 3), 1);
  EXPECT_EQ(d.Client()->grab(area).toImage().convertToFormat(QImage::Format_ARGB32),
            d.shapeSelect.thumbnails[3]);
}

TEST(ShapeList, Button1011CreatesHidesAndShowsItAtTheWindowsCorner) {
  Window w(5);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  EXPECT_FALSE(d.shapeSelect.IsCreated());
  w.Press(1011);
  ASSERT_TRUE(d.shapeSelect.IsCreated());
  EXPECT_TRUE(d.shapeSelect.isVisible());
  EXPECT_EQ(d.shapeSelect.mapToGlobal(QPoint(0, 0)), d.frameGeometry().topLeft() + QPoint(105, 110));
  EXPECT_EQ(d.shapeSelect.size(), QSize(382, 270));
  QListWidget* list = d.shapeSelect.list;
  EXPECT_EQ(ControlIdOf(list), 1020);
  EXPECT_EQ(list->viewMode(), QListView::IconMode);
  EXPECT_EQ(list->iconSize(), QSize(50, 50));
  EXPECT_EQ(list->gridSize().width(), 60);
  ASSERT_EQ(list->count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list->item(i)->data(Qt::UserRole).toInt(), i);
    EXPECT_TRUE(list->item(i)->text().isEmpty());
  }
  EXPECT_EQ(list->visualItemRect(list->item(1)).left() - list->visualItemRect(list->item(0)).left(), 60);
  EXPECT_EQ(d.paramsDirty, 0);  // filling the list chose nothing

  w.Press(1011);
  EXPECT_FALSE(d.shapeSelect.isVisible());
  d.move(d.pos() + QPoint(40, 25));
  w.Press(1011);
  EXPECT_TRUE(d.shapeSelect.isVisible());
  EXPECT_EQ(d.shapeSelect.mapToGlobal(QPoint(0, 0)), d.frameGeometry().topLeft() + QPoint(105, 110));
  EXPECT_EQ(list->count(), 5);
}

TEST(ShapeList, ChoosingAnItemSelectsItsShapeAndAsksForAPreview) {
  Window w(5);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  w.Press(1011);
  ClickItem(w, 3);
  EXPECT_EQ(d.shapeLib.selected, 3);
  EXPECT_EQ(d.paramsDirty, 1);
  EXPECT_TRUE(d.shapeSelect.isVisible());  // stays open after a choice

  // The same item again: not reloaded, but a new preview all the same.
  d.paramsDirty = 0;
  d.shapeLib.shape_polylines.clear();
  d.shapeSelect.list->clearSelection();
  EXPECT_EQ(d.paramsDirty, 0);  // nothing selected: nothing applied
  ClickItem(w, 3);
  EXPECT_EQ(d.shapeLib.selected, 3);
  EXPECT_EQ(d.paramsDirty, 1);
  EXPECT_TRUE(d.shapeLib.shape_polylines.empty());
}

TEST(ShapeList, ControlOrShiftClickStillSelectsOnlyTheLastShapeClicked) {
  Window w(5);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  w.Press(1011);
  ClickItem(w, 4);
  ClickItem(w, 2, Qt::ControlModifier);
  EXPECT_EQ(d.shapeSelect.list->selectedItems().size(), 1);
  EXPECT_EQ(d.shapeLib.selected, 2);
  ClickItem(w, 0, Qt::ShiftModifier);
  ASSERT_EQ(d.shapeSelect.list->selectedItems().size(), 1);
  EXPECT_EQ(d.shapeSelect.list->selectedItems()[0]->data(Qt::UserRole).toInt(), 0);
  EXPECT_EQ(d.shapeLib.selected, 0);
  // Each thumbnail names its shape.
  EXPECT_EQ(d.shapeSelect.list->item(3)->toolTip(), "d");
}

TEST(ShapeList, OpenedBeforeTheLoadIsFilledByIt) {
  Window w(3);
  CMorvexDlg& d = *w.dialog;
  w.Press(1011);
  EXPECT_EQ(d.shapeSelect.list->count(), 0);
  w.Load();
  EXPECT_EQ(d.shapeSelect.list->count(), 3);
  EXPECT_EQ(d.paramsDirty, 0);
}

TEST(ShapeList, EmptyShapeFolderGivesAnEmptyList) {
  Window w(0);
  w.Load();
  EXPECT_TRUE(w.dialog->shapeSelect.thumbnailsBuilt);
  w.Press(1011);
  EXPECT_EQ(w.dialog->shapeSelect.list->count(), 0);
  w.Paint();  // no current shape: no thumbnail, no crash
}

TEST(ShapeList, PressOnTheDialogsSurfaceOnlyHidesTheList) {
  Window w(3);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  w.Press(1011);
  QTest::mousePress(d.Client(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  EXPECT_FALSE(d.shapeSelect.isVisible());
  EXPECT_EQ(d.srcView.dragging, 0);  // swallowed: no drag began
  QTest::mouseRelease(d.Client(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  QTest::mousePress(d.Client(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  EXPECT_EQ(d.srcView.dragging, 1);  // closed: presses pan again
  QTest::mouseRelease(d.Client(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
}

TEST(ParameterControls, StartAsTheTemplateSaysAndColourSlidersStayOff) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  QSlider* angle = AngleSlider(w);
  EXPECT_EQ(angle->minimum(), 0);
  EXPECT_EQ(angle->maximum(), 360);
  EXPECT_EQ(angle->value(), 0);
  EXPECT_EQ(static_cast<QLabel*>(Control(w, 1019))->text(), "0");
  EXPECT_EQ(static_cast<QLabel*>(Control(w, 1045))->text(), "预览(Preview):");
  w.Load();
  for (int id : {1020, 1023, 1026}) {
    auto* slider = static_cast<QSlider*>(Control(w, id));
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->value(), 255);
    EXPECT_FALSE(slider->isEnabled());
  }
  for (int id : {1022, 1025, 1028}) EXPECT_EQ(static_cast<QLabel*>(Control(w, id))->text(), "255");
  EXPECT_EQ(d.shapeLib.direction, 0);
  EXPECT_EQ(d.shapeLib.angle, 0);
  EXPECT_EQ(d.backColor, 0xFFFFFFu);
  // The swatch shows the background colour: white.
  w.Paint();
  const LayoutRect swatch = d.ItemRect(d.areas.SwatchArea);
  EXPECT_EQ(ShownPixel(d, swatch.left + 15, swatch.top + 15), 0xFFFFFFFFu);
}

TEST(ParameterControls, AngleSliderWritesTheAngleAndItsLabel) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  QSlider* angle = AngleSlider(w);
  angle->setValue(45);
  EXPECT_EQ(d.shapeLib.angle, 45);
  EXPECT_EQ(static_cast<QLabel*>(Control(w, 1019))->text(), "45");
  EXPECT_EQ(d.paramsDirty, 1);
  d.paramsDirty = 0;
  angle->setFocus();
  QTest::keyClick(angle, Qt::Key_End);  // the slider's right end
  EXPECT_EQ(d.shapeLib.angle, 360);
  EXPECT_EQ(static_cast<QLabel*>(Control(w, 1019))->text(), "360");
  EXPECT_EQ(d.paramsDirty, 1);
}

TEST(ParameterControls, DirectionButtonsAskForAPreviewEvenWhenAlreadyChecked) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  w.Press(1016);  // checked from the start
  EXPECT_EQ(d.shapeLib.direction, 0);
  EXPECT_EQ(d.paramsDirty, 1);
  d.paramsDirty = 0;
  w.Press(1015);
  EXPECT_EQ(d.shapeLib.direction, 1);
  EXPECT_EQ(d.paramsDirty, 1);
  EXPECT_TRUE(static_cast<QAbstractButton*>(Control(w, 1015))->isChecked());
  EXPECT_FALSE(static_cast<QAbstractButton*>(Control(w, 1016))->isChecked());
}

TEST(ParameterControls, FeatherEditTakesTwoDigitsWithoutAPreview) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  auto* feather = static_cast<QLineEdit*>(Control(w, 1030));
  EXPECT_FALSE(feather->isHidden());
  EXPECT_TRUE(feather->isEnabled());
  EXPECT_EQ(feather->text(), "0");
  feather->setText("42");
  EXPECT_EQ(d.shapeLib.feather, 42);
  feather->setText("987");
  EXPECT_EQ(feather->text(), "98");
  EXPECT_EQ(d.shapeLib.feather, 98);
  feather->setText("");
  EXPECT_EQ(d.shapeLib.feather, 0);
  EXPECT_EQ(d.paramsDirty, 0);
}

TEST(LivePreview, NothingIsWarpedWhileNoPictureIsOpen) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  w.Load();
  AngleSlider(w)->setValue(90);
  w.Paint();
  EXPECT_EQ(d.paramsDirty, 1);  // kept for the picture still to come
  EXPECT_TRUE(d.previewPicture.result.empty());
  EXPECT_EQ(d.previewView.width, 0);
}

TEST(LivePreview, OpeningShowsAWarpedPreviewAtTheNextPaint) {
  Opened w;
  CMorvexDlg& d = *w.dialog;
  EXPECT_EQ(d.paramsDirty, 0);
  ASSERT_FALSE(d.previewPicture.result.empty());
  // Each side of the small copy is scaled to 100 on its own; it is shown at
  // the picture's proportions.
  EXPECT_EQ(d.previewPicture.width, 100);
  EXPECT_EQ(d.previewPicture.height, 100);
  EXPECT_EQ(d.previewView.width, 100);
  EXPECT_EQ(d.previewView.height, 75);
  // On screen as rendered, and warped: not the small copy itself.
  const QImage shown = ShownPreview(d);
  for (int x = 0; x < 100; x += 7)
    for (int y = 0; y < 75; y += 5)
      ASSERT_EQ(shown.pixel(x, y), SurfacePixel(d.previewView.surface, x, y) | 0xFF000000u) << x << "," << y;
  EXPECT_NE(d.previewPicture.result, d.previewPicture.src);
}

TEST(LivePreview, FollowsTheDirectionTheAngleAndTheShape) {
  Opened w;
  CMorvexDlg& d = *w.dialog;
  QImage before = ShownPreview(d);
  w.Press(1015);
  w.Paint();
  QImage after = ShownPreview(d);
  EXPECT_NE(after, before);

  before = after;
  AngleSlider(w)->setValue(120);
  w.Paint();
  after = ShownPreview(d);
  EXPECT_NE(after, before);

  before = after;
  w.Press(1011);
  ClickItem(w, 3);
  w.Paint();
  EXPECT_EQ(d.shapeLib.selected, 3);
  EXPECT_NE(ShownPreview(d), before);
}

TEST(LivePreview, PaintWithoutAChangeOnlyPresentsWhatWasRendered) {
  Opened w;
  CMorvexDlg& d = *w.dialog;
  const QImage before = ShownPreview(d);
  // Were the preview warped or rendered again, this would show.
  std::fill(d.previewShown.result.begin(), d.previewShown.result.end(), 0xFF000000u);
  w.Paint();
  EXPECT_EQ(ShownPreview(d), before);
}

TEST(LivePreview, ShapeWithoutLoopsKeepsThePreviousPreview) {
  Window w(2);
  ShapeFileContents outline_only;
  outline_only.outline = {{100, 100}, {500, 100}, {500, 500}, {100, 500}};
  ASSERT_TRUE(WriteShapeFile(w.File("shapes") / "z.qshp", outline_only));
  w.Load();
  CMorvexDlg& d = *w.dialog;
  ASSERT_EQ(d.shapeLib.shapes.size(), 3u);
  WritePicture(w.File("pic.png"), 160, 120, [](int x, int y) { return Quadrants(x, y, 160, 120); });
  w.Open(w.File("pic.png"));
  w.Paint();
  const QImage before = ShownPreview(d);
  const PixelBlock result = d.previewShown.result;
  w.Press(1011);
  ClickItem(w, 2);
  w.Paint();
  EXPECT_EQ(d.paramsDirty, 0);
  EXPECT_EQ(d.previewShown.result, result);
  EXPECT_EQ(ShownPreview(d), before);
}

}  // namespace
}  // namespace quorvel::testing
