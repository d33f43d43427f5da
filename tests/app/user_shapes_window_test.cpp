// The user's own shapes in the window: the list after the bundled shapes,
// Add shape through the real quorvel-shape, drops, cancel, refusal, removal.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/control_ids.h"
#include "app/control_tags.h"
#include "shapes/shape_library.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

constexpr char kDropSvg[] =
    "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
    "<path d='M4 0 c1 2 4 4 4 6 a4 4 0 0 1 -8 0 c0-2 3-4 4-6z'/></svg>";

void WriteText(const std::filesystem::path& path, const char* text) { std::ofstream(path) << text; }

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Every entry of the user's folder, hidden ones too.
std::vector<std::string> UserFiles(const Window& w) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(w.UserFolder(), ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs events until the add has ended (the tool is a real process).
void WaitForAdd(CMorvexDlg& d) { QTRY_VERIFY_WITH_TIMEOUT(!d.AddingShape(), 120000); }

// Drops one file at the middle of target, as a drag from a file manager.
bool Drop(QWidget* target, const std::filesystem::path& file) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Q(file))});
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QApplication::processEvents();
  return true;
}

QProgressBar* Bar(Window& w) {
  return static_cast<QProgressBar*>(FindControl(w.dialog->Client(), ids::kApplyProgress));
}

TEST(UserShapes, ListedAfterTheBundledOnesMarkedAndOnlyTheyRemovable) {
  Window w(2);
  WriteShapes(w.UserFolder(), 2);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  ASSERT_EQ(d.shapeLib.shapes.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.shapeLib.shapes[i].user, i >= 2) << i;
  EXPECT_EQ(d.shapeLib.shapes[0].path, w.File("shapes") / "a.qshp");  // the bundled indices are unchanged
  EXPECT_EQ(d.shapeLib.shapes[2].path, w.UserFolder() / "a.qshp");
  EXPECT_EQ(d.shapeLib.selected, 0);

  w.Press(ids::kShapeDropDown);
  QListWidget* list = d.shapeSelect.list;
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->item(1)->toolTip(), "b");
  EXPECT_EQ(list->item(3)->toolTip(), "b (我的形状, your own shape)");
  // The mark in the user shape's corner; the bundled icon is the thumbnail as drawn.
  const QImage bundled = list->item(0)->icon().pixmap(50, 50).toImage();
  const QImage user = list->item(2)->icon().pixmap(50, 50).toImage();
  EXPECT_EQ(bundled.pixel(48, 48), d.shapeSelect.thumbnails[0].pixel(48, 48));
  EXPECT_EQ(qBlue(user.pixel(48, 48)), 0xD0);
  EXPECT_EQ(user.pixel(20, 5), d.shapeSelect.thumbnails[2].pixel(20, 5));

  EXPECT_EQ(d.shapeSelect.MakeContextMenu(1), nullptr);
  EXPECT_EQ(d.shapeSelect.MakeContextMenu(4), nullptr);
  d.RemoveUserShapeAt(0);  // bundled: never removed
  EXPECT_TRUE(std::filesystem::exists(w.File("shapes") / "a.qshp"));

  // Removing a shape before the selected one keeps the selection on its shape.
  SelectShape(d.shapeLib, 3);
  std::unique_ptr<QMenu> menu(d.shapeSelect.MakeContextMenu(2));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 1);
  menu->actions().front()->trigger();
  EXPECT_EQ(UserFiles(w), std::vector<std::string>{"b.qshp"});
  ASSERT_EQ(d.shapeLib.shapes.size(), 3u);
  EXPECT_EQ(d.shapeLib.selected, 2);
  EXPECT_EQ(d.shapeLib.shapes[2].path, w.UserFolder() / "b.qshp");
  EXPECT_EQ(list->count(), 3);
  EXPECT_TRUE(list->item(2)->isSelected());
  // The selected one removed: its place passes to the shape before it.
  d.RemoveUserShapeAt(2);
  EXPECT_TRUE(UserFiles(w).empty());
  EXPECT_EQ(d.shapeLib.shapes.size(), 2u);
  EXPECT_EQ(d.shapeLib.selected, 1);
  EXPECT_TRUE(w.prompts.messages.isEmpty());
}

TEST(UserShapes, AddBuildsInTheBackgroundAndSelectsTheNewShapeDropAddsAnother) {
  Window w(2);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  w.Press(ids::kShapeDropDown);
  WriteText(w.File("drop.svg"), kDropSvg);
  w.prompts.openAnswer = Q(w.File("drop.svg"));
  d.OnCommand(ids::kMenuAddShape);
  EXPECT_TRUE(w.prompts.openFilter.contains("*.svg;*.png"));
  ASSERT_TRUE(d.AddingShape());
  EXPECT_TRUE(Bar(w)->isVisible());
  EXPECT_EQ(Bar(w)->maximum(), 0);  // busy
  EXPECT_FALSE(FindControl(d.Client(), ids::kApply)->isEnabled());
  EXPECT_EQ(d.shapeSelect.addButton->text(), "取消(Cancel)");
  WaitForAdd(d);
  EXPECT_TRUE(w.prompts.messages.isEmpty()) << w.prompts.messages.join("|").toStdString();
  EXPECT_EQ(UserFiles(w), std::vector<std::string>{"drop.qshp"});
  ASSERT_EQ(d.shapeLib.shapes.size(), 3u);
  EXPECT_EQ(d.shapeLib.selected, 2);
  EXPECT_TRUE(d.shapeLib.shapes[2].user);
  EXPECT_EQ(d.shapeSelect.list->count(), 3);
  EXPECT_TRUE(d.shapeSelect.list->item(2)->isSelected());
  EXPECT_FALSE(Bar(w)->isVisible());
  EXPECT_TRUE(FindControl(d.Client(), ids::kApply)->isEnabled());
  EXPECT_EQ(d.shapeSelect.addButton->text(), "添加形状(Add shape)…");

  // The same outline dropped on the list: a second shape, under a name of its own.
  EXPECT_TRUE(Drop(d.shapeSelect.list->viewport(), w.File("drop.svg")));
  ASSERT_TRUE(d.AddingShape());
  WaitForAdd(d);
  EXPECT_EQ(UserFiles(w), (std::vector<std::string>{"drop-2.qshp", "drop.qshp"}));
  ASSERT_EQ(d.shapeLib.shapes.size(), 4u);
  // In name order, which puts drop-2 before drop.
  ASSERT_EQ(d.shapeLib.selected, 2);
  EXPECT_EQ(d.shapeLib.shapes[2].name, "drop-2");
  EXPECT_EQ(d.shapeLib.shapes[3].name, "drop");
  EXPECT_EQ(d.pictureShown, 0);
}

TEST(UserShapes, DropTargetDecidesPictureOrShape) {
  Window w(2);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  w.Press(ids::kShapeDropDown);
  WritePicture(w.File("dropped.bmp"), 90, 70, [](int x, int y) { return Quadrants(x, y, 90, 70); });
  // Not an outline: the list lets it pass to the window.
  EXPECT_TRUE(Drop(d.shapeSelect.list->viewport(), w.File("dropped.bmp")));
  EXPECT_FALSE(d.AddingShape());
  EXPECT_EQ(d.pictureShown, 1);
  // A PNG dropped on the panes is a picture too; only the list makes it a shape.
  WritePicture(w.File("dropped.png"), 60, 40, [](int x, int y) { return Quadrants(x, y, 60, 40); });
  EXPECT_TRUE(Drop(&d, w.File("dropped.png")));
  EXPECT_FALSE(d.AddingShape());
  EXPECT_EQ(d.mainPicture.width, 60);
  // On the list, a PNG's opaque part is the outline, traced by the builder.
  WritePicture(w.File("disc.png"), 64, 64, [](int x, int y) {
    return (x - 32) * (x - 32) + (y - 32) * (y - 32) < 400 ? 0xFF000000u : 0x00FFFFFFu;
  });
  EXPECT_TRUE(Drop(d.shapeSelect.list->viewport(), w.File("disc.png")));
  EXPECT_TRUE(d.AddingShape());
  WaitForAdd(d);
  EXPECT_TRUE(w.prompts.messages.isEmpty()) << w.prompts.messages.join("|").toStdString();
  EXPECT_EQ(UserFiles(w), std::vector<std::string>{"disc.qshp"});
  EXPECT_EQ(d.shapeLib.selected, 2);
  EXPECT_EQ(d.mainPicture.width, 60);
  // Not a PNG inside: the builder's reason.
  WriteText(w.File("fake.png"), "GIF89a");
  d.AddShapeFile(Q(w.File("fake.png")));
  WaitForAdd(d);
  ASSERT_EQ(w.prompts.messages.size(), 1);
  EXPECT_TRUE(w.prompts.messages[0].endsWith("is not a readable PNG picture")) << w.prompts.messages[0].toStdString();
}

TEST(UserShapes, RefusedOutlineShowsTheReasonAndLeavesNoFile) {
  Window w(2);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  WriteText(w.File("garbage.svg"), "no");
  d.AddShapeFile(Q(w.File("garbage.svg")));
  WaitForAdd(d);
  ASSERT_EQ(w.prompts.messages.size(), 1);
  const QString prefix = "无法制作形状.\nThe shape cannot be made: ";
  EXPECT_TRUE(w.prompts.messages[0].startsWith(prefix)) << w.prompts.messages[0].toStdString();
  EXPECT_GT(w.prompts.messages[0].size(), prefix.size() + 3);
  EXPECT_TRUE(UserFiles(w).empty());
  EXPECT_EQ(d.shapeLib.shapes.size(), 2u);
  EXPECT_EQ(d.shapeLib.selected, 0);

  // A tool that cannot be run says so instead of staying busy.
  CMorvexDlg::Setup setup;
  setup.shapeTool = Q(w.File("no-such-tool"));
  Window missing(1, setup);
  missing.Load();
  missing.dialog->AddShapeFile(Q(w.File("garbage.svg")));
  WaitForAdd(*missing.dialog);
  ASSERT_EQ(missing.prompts.messages.size(), 1);
  EXPECT_TRUE(missing.prompts.messages[0].contains("cannot be run"));
}

TEST(UserShapes, EscCancelsTheAddAndNothingIsAdded) {
  Window w(2);
  CMorvexDlg& d = *w.dialog;
  w.Load();
  WriteText(w.File("drop.svg"), kDropSvg);
  d.AddShapeFile(Q(w.File("drop.svg")));
  ASSERT_TRUE(d.AddingShape());
  QTest::keyClick(&d, Qt::Key_Escape);
  WaitForAdd(d);
  EXPECT_TRUE(d.isVisible());  // Esc cancelled the add, not the window
  EXPECT_EQ(FindControl(d.Client(), ids::kStatusText)->toolTip(), "添加形状已取消(Add shape cancelled)");
  EXPECT_TRUE(w.prompts.messages.isEmpty());
  EXPECT_TRUE(UserFiles(w).empty());
  EXPECT_EQ(d.shapeLib.shapes.size(), 2u);
  EXPECT_TRUE(FindControl(d.Client(), ids::kApply)->isEnabled());
}

}  // namespace
}  // namespace quorvel::testing
