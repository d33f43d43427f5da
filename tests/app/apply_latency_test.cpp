// How long the window stays unresponsive while Apply runs: a 10 ms timer
// probes the event loop, and the longest gap between its ticks is what a
// user would feel (no repaint, no move, no click) at worst.
//
// The picture is QUORVEL_LATENCY_SIDE pixels square (default 1200, so that
// the suite stays quick); the README's figures come from
//   QUORVEL_LATENCY_SIDE=5000 build/tests/window_tests --gtest_filter='ApplyLatency.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QEvent>
#include <QTimer>

#include "app/control_ids.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

int Side() {
  const char* given = std::getenv("QUORVEL_LATENCY_SIDE");
  const int side = given ? std::atoi(given) : 0;
  return side >= 15 ? side : 1200;
}

// Counts the paints of one widget.
class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(ApplyLatency, TheWindowRepaintsWithin100MsThroughoutAnApply) {
  Window w(3);
  w.Load();
  CMorvexDlg& d = *w.dialog;
  const int side = Side();
  WritePicture(w.File("big.png"), side, side, [side](int x, int y) { return Quadrants(x, y, side, side); });
  w.Open(w.File("big.png"));
  ASSERT_EQ(d.mainPicture.width, side);
  w.Paint();

  PaintCounter counter;
  d.Client()->findChild<QWidget*>(QStringLiteral("paneLayer"))->installEventFilter(&counter);
  QElapsedTimer clock;
  qint64 last = 0, longest = 0, longestAt = 0;
  int ticks = 0;
  QString gaps;  // every gap over 40 ms: length@end
  QTimer probe;
  probe.setInterval(10);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (now - last > 40) gaps += QStringLiteral(" %1@%2").arg(now - last).arg(now);
    if (now - last > longest) {
      longest = now - last;
      longestAt = now;
    }
    last = now;
    ++ticks;
  });

  clock.start();
  probe.start();
  // Pressed from the event loop, as a click would be.
  QTimer::singleShot(0, &d, [&] { d.OnCommand(ids::kApply); });
  // An idle loop, as the window's own: it sleeps until the next event.
  QEventLoop loop;
  QTimer done;
  QObject::connect(&done, &QTimer::timeout, [&] {
    if (clock.elapsed() > 50 && !d.ApplyRunning() && !d.mainPicture.result.empty()) loop.quit();
  });
  done.start(20);
  QTimer::singleShot(std::chrono::minutes(5), &loop, &QEventLoop::quit);
  loop.exec();
  const qint64 total = clock.elapsed();
  // A last tick closes the final gap.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  probe.stop();
  ASSERT_FALSE(d.mainPicture.result.empty());
  std::printf("apply of %d x %d: %lld ms, longest event-loop gap %lld ms (ending %lld ms in), %d probe ticks, %d paints\n",
              side, side, static_cast<long long>(total), static_cast<long long>(longest),
              static_cast<long long>(longestAt), ticks, counter.paints);
  std::printf("gaps over 40 ms (length@ms):%s\n", qPrintable(gaps));
  EXPECT_LT(longest, 100);
  // Painted all along, at the 50 ms timer's pace (with room for a busy machine).
  EXPECT_GE(counter.paints, static_cast<int>(total / 50 / 3));
}

}  // namespace
}  // namespace quorvel::testing
