// Apply on its worker: the window goes on painting with the job's controls
// off, shows progress, and Esc stops the job between passes, keeping the
// result there was. Also the desktop conveniences around it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <semaphore>
#include <thread>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

#include "app/apply_job.h"
#include "app/control_tags.h"
#include "raster/message_sink.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

using namespace std::chrono_literals;

// A window whose Apply job waits after its third pass while `hold` is set.
struct Held {
  Held() : w(3, Setup()) {
    w.Load();
    WritePicture(w.File("pic.png"), 300, 200, [](int x, int y) { return Quadrants(x, y, 300, 200); });
    w.Open(w.File("pic.png"));
  }
  CMorvexDlg::Setup Setup() {
    CMorvexDlg::Setup setup;
    setup.progressDelayMs = 0;
    setup.applyPassHook = [this](int done) {
      if (!hold || done != 3) return;
      reached = true;
      (void)release.try_acquire_for(20s);  // a failed test must not hang the suite
    };
    return setup;
  }
  void WaitUntilHeld() {
    const auto until = std::chrono::steady_clock::now() + 60s;
    while (!reached && std::chrono::steady_clock::now() < until)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(reached.load());
  }
  QWidget* Control(int id) { return FindControl(w.dialog.get(), id); }

  std::atomic<bool> hold{false}, reached{false};
  std::binary_semaphore release{0};
  Window w;
};

TEST(ApplyJob, RunsOffTheGuiThreadWithItsControlsOffAndAProgressBar) {
  Held h;
  CMorvexDlg& d = *h.w.dialog;
  h.hold = true;
  h.w.Press(3);
  h.WaitUntilHeld();
  EXPECT_TRUE(d.ApplyRunning());
  for (int id : {3, 1009, 1010, 1011, 1015, 1016, 1017, 1030}) EXPECT_FALSE(h.Control(id)->isEnabled()) << id;
  for (int id : {1012, 1013, 1014, 1018}) EXPECT_TRUE(h.Control(id)->isEnabled()) << id;
  EXPECT_FALSE(d.findChild<QAction*>("id32771")->isEnabled());
  // Still painting and answering; the bar has replaced the static text.
  d.OnTimer(1);
  h.w.Paint();
  auto* bar = static_cast<QProgressBar*>(h.Control(1046));
  EXPECT_TRUE(bar->isVisibleTo(&d));
  EXPECT_TRUE(h.Control(1029)->isHidden());
  EXPECT_EQ(bar->value(), ApplyPercent(3));
  // Open is refused while the job reads the picture.
  h.w.prompts.openAnswer = QString::fromStdString(h.w.File("pic.png").string());
  d.OpenPictureFile(*h.w.prompts.openAnswer);
  EXPECT_TRUE(d.ApplyRunning());

  h.hold = false;
  h.release.release();
  WaitForApply(d);
  EXPECT_FALSE(d.mainPicture.result.empty());
  EXPECT_TRUE(d.ResultUnsaved());
  EXPECT_TRUE(bar->isHidden());
  for (int id : {3, 1009, 1010, 1011, 1017, 1030}) EXPECT_TRUE(h.Control(id)->isEnabled()) << id;
}

TEST(ApplyJob, EscCancelsBetweenPassesAndTheResultStaysAsItWas) {
  Held h;
  CMorvexDlg& d = *h.w.dialog;
  h.w.Apply();
  const PixelBlock before = d.mainPicture.result;
  ASSERT_FALSE(before.empty());
  static_cast<QSlider*>(h.Control(1017))->setValue(90);

  h.hold = true;
  h.reached = false;
  h.w.Press(3);
  h.WaitUntilHeld();
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_TRUE(d.isVisible());  // Esc cancelled the job, not the window
  EXPECT_EQ(static_cast<QLabel*>(h.Control(1029))->text(), "正在取消...(Cancelling...)");
  h.release.release();
  WaitForApply(d);
  EXPECT_EQ(d.mainPicture.result, before);
  EXPECT_EQ(static_cast<QLabel*>(h.Control(1047))->toolTip(), "变形已取消(Apply cancelled)");
  EXPECT_TRUE(h.Control(3)->isEnabled());
  EXPECT_TRUE(h.w.prompts.questions.isEmpty());

  // The job cache came back whole: the next Apply warps at the new angle.
  h.hold = false;
  h.w.Apply();
  EXPECT_NE(d.mainPicture.result, before);
}

TEST(ApplyJob, AResizeWhileItRunsLeavesNoStripInTheGap) {
  Held h;
  CMorvexDlg& d = *h.w.dialog;
  h.w.Paint();
  h.hold = true;
  h.w.Press(3);
  h.WaitUntilHeld();
  d.resize(1280, 780);
  QApplication::processEvents();
  h.w.Paint();
  d.resize(1024, 680);
  QApplication::processEvents();
  h.release.release();
  WaitForApply(d);
  const QImage shown = d.Client()->grab().toImage();
  const int gap_right = d.dstView.x;
  for (int x = d.srcView.x + d.srcView.width; x < gap_right; ++x)
    for (int y = d.srcView.y; y < d.srcView.y + d.srcView.height; y += 3)
      ASSERT_EQ(shown.pixel(x, y), kPaneGrey) << x << "," << y;
  // The result came in at the pane's new place.
  const int cx = d.dstView.x + d.dstView.width / 2, cy = d.dstView.y + d.dstView.height / 2;
  EXPECT_NE(shown.pixel(cx, cy), kPaneGrey);
}

TEST(ApplyJob, AMessageFromTheWorkerIsShownByTheGuiThread) {
  Window w;
  std::thread([] { ShowMessage("来自后台.\r\nFrom the worker."); }).join();
  EXPECT_TRUE(w.prompts.messages.isEmpty());  // not yet: queued
  QApplication::processEvents();
  EXPECT_EQ(w.prompts.messages.value(0), "来自后台.\nFrom the worker.");
  EXPECT_FALSE(w.prompts.messageOffGuiThread);
}

TEST(Conveniences, DropOpensAsOpenWouldWithItsChecksAndMessages) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("dropped.bmp"), 90, 70, [](int x, int y) { return Quadrants(x, y, 90, 70); });
  auto drop = [&](const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent event(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &event);
    QApplication::processEvents();
    return true;
  };
  const QUrl file = QUrl::fromLocalFile(QString::fromStdString(w.File("dropped.bmp").string()));
  EXPECT_FALSE(drop({file, file}));
  EXPECT_FALSE(drop({QUrl("https://example.org/a.png")}));
  EXPECT_TRUE(drop({file}));
  EXPECT_EQ(d.mainPicture.width, 90);
  EXPECT_EQ(d.pictureShown, 1);
  EXPECT_EQ(d.windowTitle(), "Quorvel — dropped.bmp");
  EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(w.File("none.png").string()))}));
  ASSERT_EQ(w.prompts.messages.size(), 1);
  EXPECT_EQ(w.prompts.messages[0], "无法读取图片文件.\nThe picture file cannot be read.");
  EXPECT_EQ(d.mainPicture.width, 90);
}

TEST(Conveniences, ShortcutsMnemonicsAndTips) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  QTest::keyClick(&d, Qt::Key_O, Qt::ControlModifier);
  EXPECT_FALSE(w.prompts.openFilter.isEmpty());  // the open dialog was asked for
  QTest::keyClick(&d, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(w.prompts.messages.value(0), "必须先生成变形图像.\nPlease generate deformed image first.");
  EXPECT_EQ(d.findChild<QAction*>("id32774")->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(d.findChild<QAction*>("id32773")->text(), "退出(E&xit)");
  for (int id : {3, 1009, 1010, 1011, 1037}) EXPECT_FALSE(FindControl(&d, id)->toolTip().isEmpty()) << id;
  QTest::keyClick(&d, Qt::Key_Q, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_FALSE(d.isVisible());
}

TEST(Conveniences, ActualSizeAndFeatherAreShownAndTheStampGridCanBeTurnedOff) {
  Window w;
  CMorvexDlg& d = *w.dialog;
  w.Load();
  WritePicture(w.File("big.png"), 1000, 700, [](int x, int y) { return Quadrants(x, y, 1000, 700); });
  w.Open(w.File("big.png"));
  for (int id : {1018, 1030, 1048}) EXPECT_TRUE(FindControl(&d, id)->isVisibleTo(&d)) << id;
  w.Press(1018);
  EXPECT_EQ(d.srcView.fit, 0);

  QAction* stamps = d.findChild<QAction*>("id32775");
  ASSERT_TRUE(stamps->isCheckable());
  EXPECT_TRUE(stamps->isChecked());  // on at start
  w.Apply();
  const PixelBlock stamped = d.mainPicture.result;
  stamps->trigger();
  EXPECT_FALSE(stamps->isChecked());
  w.Apply();
  // Only the four stamp tiles differ.
  int differ = 0;
  for (std::size_t i = 0; i < stamped.size(); ++i) differ += stamped[i] != d.mainPicture.result[i];
  EXPECT_GT(differ, 100);
  EXPECT_LE(differ, 4 * 100 * 30);
}

}  // namespace
}  // namespace quorvel::testing
