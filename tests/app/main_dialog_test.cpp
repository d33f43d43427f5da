#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "app/control_tags.h"
#include "app/pane_layout.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

QWidget* Control(Window& w, int id) { return FindControl(w.dialog.get(), id); }

void SendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent event(type, at, to->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(to, &event);
}

TEST(MainDialog, StartsAt1024By680WithEveryControlInPlace) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  EXPECT_EQ(d.windowTitle(), "Quorvel");
  EXPECT_EQ(d.size(), QSize(1024, 680));
  EXPECT_EQ(d.screen()->size(), QSize(1280, 800));
  for (int id : {3, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022,
                 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037,
                 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045}) {
    QWidget* control = Control(w, id);
    ASSERT_NE(control, nullptr) << id;
    EXPECT_EQ(control->property("controlId").toInt(), id);
  }
  for (int id : {1031, 1032, 1033, 1034, 1035}) {
    EXPECT_TRUE(Control(w, id)->isHidden()) << id;
    EXPECT_FALSE(Control(w, id)->isEnabled()) << id;
  }
  EXPECT_EQ(Control(w, 1033)->geometry(), QRect(18, 0, 63, 24));
  EXPECT_TRUE(Control(w, 1029)->isHidden());
  EXPECT_FALSE(Control(w, 1036)->isHidden());
  EXPECT_TRUE(static_cast<QPushButton*>(Control(w, 3))->isDefault());
  EXPECT_EQ(static_cast<QAbstractButton*>(Control(w, 3))->text(), "变形(Apply)");
  EXPECT_EQ(static_cast<QAbstractButton*>(Control(w, 1013))->text(), "仅目标图(Show Only Dst)");
  EXPECT_EQ(static_cast<QLabel*>(Control(w, 1028))->text(), "255");
  EXPECT_EQ(Control(w, 1010)->toolTip(), "保存变形图片(Save Result picture)");
  EXPECT_TRUE(static_cast<QAbstractButton*>(Control(w, 1014))->isChecked());
  EXPECT_TRUE(static_cast<QAbstractButton*>(Control(w, 1016))->isChecked());

  const QStringList menu{"打开图片(Open)...", "保存图片(Save)...", "退出(Exit)", "关于(About)"};
  for (int i = 0; i < 4; ++i) {
    auto* action = d.findChild<QAction*>(QStringLiteral("id%1").arg(32771 + i));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text().remove('&'), menu[i]);
  }
}

TEST(MainDialog, LayoutFollowsEveryResize) {
  Window w;
  for (QSize size : {QSize(1024, 680), QSize(1300, 900), QSize(900, 600)}) {
    w.dialog->resize(size);
    QApplication::processEvents();
    const int W = w.dialog->Client()->width();
    const int H = w.dialog->Client()->height();
    EXPECT_EQ(W, size.width());
    EXPECT_EQ(Control(w, 3)->geometry(), QRect(QPoint(W - 154, H - 89), QPoint(W - 32, H - 38)));
    EXPECT_EQ(Control(w, 1039)->geometry(), QRect(W - 182, 3, 175, H - 15));
    EXPECT_EQ(Control(w, 1038)->geometry(), QRect(QPoint(7, 49), QPoint(W - 193, H - 10)));
    const LayoutRect view = w.dialog->ItemRect(w.dialog->areas.ViewArea);
    EXPECT_EQ(view, (LayoutRect{12, 60, W - 198, H - 13}));
    // The panes follow the view: both shown, side by side.
    EXPECT_EQ(w.dialog->srcView.width, (W - 210) / 2 - 5);
    EXPECT_EQ(w.dialog->dstView.x + w.dialog->dstView.width, W - 198);
  }
}

TEST(MainDialog, ResourceLoadRunsOnceAndEnablesTheButtons) {
  Window w(2);
  CMorvexDlg& d = *w.dialog;
  EXPECT_TRUE(d.shapeLib.shapes.empty());
  w.Load();
  EXPECT_EQ(d.resourcesLoaded, 1);
  ASSERT_EQ(d.shapeLib.shapes.size(), 2u);
  EXPECT_EQ(d.shapeLib.selected, 0);
  EXPECT_FALSE(d.shapeLib.shape_polylines.empty());
  for (int id : {3, 1009, 1010, 1011}) EXPECT_TRUE(Control(w, id)->isEnabled()) << id;
  for (int id : {1020, 1023, 1026}) EXPECT_FALSE(Control(w, id)->isEnabled()) << id;
  EXPECT_TRUE(Control(w, 1036)->isHidden());

  WriteShapes(w.File("shapes") / "more", 1);
  w.Load();
  EXPECT_EQ(d.shapeLib.shapes.size(), 2u);
  EXPECT_TRUE(w.prompts.messages.isEmpty());
}

TEST(MainDialog, MissingShapeFolderStillEndsTheLoadUsable) {
  for (bool file_in_its_place : {false, true}) {
    Window w(0);
    std::filesystem::remove_all(w.File("shapes"));
    if (file_in_its_place) WritePicture(w.File("shapes"), 20, 20, [](int, int) { return 0xFF000000u; });
    w.Load();
    EXPECT_TRUE(w.dialog->shapeLib.shapes.empty());
    EXPECT_EQ(w.dialog->shapeLib.selected, -1);
    EXPECT_TRUE(Control(w, 3)->isEnabled());
    EXPECT_TRUE(w.prompts.messages.isEmpty()) << file_in_its_place;
  }
}

TEST(MainDialog, SplashIsCentredInTheViewUntilAPictureIsOpened) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  ASSERT_EQ(d.splashPicture.width, 807);
  ASSERT_EQ(d.splashPicture.height, 556);
  const LayoutRect view = d.ItemRect(d.areas.ViewArea);
  EXPECT_EQ(d.splashView.x, view.left + (view.right - 807 - view.left) / 2);
  EXPECT_EQ(d.splashView.y, view.top + (view.bottom - 556 - view.top) / 2);
  w.Paint();
  // The splash's top-left pixel, on screen as in the back buffer.
  const Pixel expected = SurfacePixel(d.splashView.surface, 0, 0);
  EXPECT_EQ(SurfacePixel(d.backBuffer, d.splashView.x, d.splashView.y), expected);
  EXPECT_EQ(ShownPixel(d, d.splashView.x, d.splashView.y), expected | 0xFF000000u);

  WritePicture(w.File("p.png"), 64, 48, [](int x, int y) { return Quadrants(x, y, 64, 48); });
  w.Open(w.File("p.png"));
  EXPECT_EQ(d.pictureShown, 1);
  EXPECT_EQ(d.splashView.visible, 0);
  // Nothing of the splash is left, not even in the gap between the panes.
  w.Paint();
  for (int y = view.top; y < view.bottom; y += 23)
    ASSERT_EQ(ShownPixel(d, view.left + view.Width() / 2, y), kPaneGrey) << y;
}

TEST(MainDialog, DisplayModesPlaceThePanesAndClearTheGap) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("wide.png"), 1600, 600, [](int x, int y) { return Quadrants(x, y, 1600, 600); });
  w.Open(w.File("wide.png"));
  const LayoutRect view = d.ItemRect(d.areas.ViewArea);
  const int gap_x = view.left + view.Width() / 2;
  const int middle_y = (view.top + view.bottom) / 2;

  w.Press(1012);
  EXPECT_EQ(d.displayMode, kDisplaySource);
  EXPECT_EQ(d.dstView.visible, 0);
  EXPECT_EQ(d.srcView.width, view.Width());
  w.Paint();
  // The source alone spans the view, over the place of the later gap.
  EXPECT_NE(SurfacePixel(d.backBuffer, gap_x, middle_y), kPaneGrey);

  w.Press(1013);
  EXPECT_EQ(d.displayMode, kDisplayResult);
  EXPECT_EQ(d.srcView.visible, 0);
  EXPECT_EQ(d.dstView.x, view.left);

  w.Press(1012);
  w.Paint();
  w.Press(1014);
  EXPECT_EQ(d.displayMode, kDisplayBoth);
  EXPECT_EQ(d.srcView.visible + d.dstView.visible, 2);
  w.Paint();
  EXPECT_EQ(SurfacePixel(d.backBuffer, gap_x, middle_y), kPaneGrey);
  EXPECT_EQ(ShownPixel(d, gap_x, middle_y), kPaneGrey);
}

TEST(MainDialog, DragInsideTheViewPansActualSizePictures) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("big.png"), 1000, 700, [](int x, int y) { return Quadrants(x, y, 1000, 700); });
  w.Open(w.File("big.png"));
  auto* actual = static_cast<QAbstractButton*>(Control(w, 1018));
  actual->setChecked(true);
  d.OnCommand(1018);
  EXPECT_EQ(d.srcView.fit, 0);
  QWidget* client = d.Client();

  SendMouse(client, QEvent::MouseButtonPress, {5, 100}, Qt::LeftButton);  // left of the drag area
  EXPECT_EQ(d.srcView.dragging, 0);
  SendMouse(client, QEvent::MouseButtonRelease, {5, 100}, Qt::NoButton);

  SendMouse(client, QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton);
  SendMouse(client, QEvent::MouseMove, {250, 280}, Qt::LeftButton);
  EXPECT_EQ(d.srcView.panX, -50);
  EXPECT_EQ(d.srcView.panY, -20);
  EXPECT_EQ(d.dstView.panX, -50);
  SendMouse(client, QEvent::MouseMove, {-3000, -3000}, Qt::LeftButton);
  EXPECT_EQ(d.srcView.panX, d.srcView.width - 1000);
  EXPECT_EQ(d.srcView.panY, d.srcView.height - 700);
  SendMouse(client, QEvent::MouseButtonRelease, {0, 0}, Qt::NoButton);
  EXPECT_EQ(d.srcView.dragging, 0);
  SendMouse(client, QEvent::MouseMove, {900, 900}, Qt::NoButton);
  EXPECT_EQ(d.srcView.panY, d.srcView.height - 700);

  // Panned to the bottom right: the picture's last pixel at the pane's
  // corner, and its top right (green) quadrant at the pane's top left.
  w.Paint();
  const TViewPane& src = d.srcView;
  EXPECT_EQ(ShownPixel(d, src.x + src.width - 1, src.y + src.height - 1), 0xFFFEFEFEu);
  EXPECT_EQ(ShownPixel(d, src.x, src.y), 0xFF00FE00u);

  actual->setChecked(false);
  d.OnCommand(1018);
  EXPECT_EQ(d.srcView.fit, 1);
  EXPECT_EQ(d.srcView.panX, 0);
}

TEST(MainDialog, ExitIsPostedRatherThanClosingInsideTheMenu) {
  Window w;
  w.dialog->OnCommand(32773);
  EXPECT_TRUE(w.dialog->isVisible());
  QApplication::processEvents();
  EXPECT_FALSE(w.dialog->isVisible());
}

}  // namespace
}  // namespace quorvel::testing
