// A long session: open, pick a shape, turn, Apply, save, two hundred times.
// Resident memory may settle during the first cycles, then must stay put.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <QListWidget>
#include <QSlider>
#include <QTest>

#include "app/control_ids.h"
#include "app/control_tags.h"
#include "tests/support/sanitizer.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST(LongRun, TwoHundredCyclesDoNotGrowResidentMemory) {
  if (AddressSanitized()) GTEST_SKIP() << "the sanitizer's quarantine holds freed memory resident";
  Window w(4);
  CMorvexDlg& d = *w.dialog;
  WritePicture(w.File("a.png"), 800, 600, [](int x, int y) {
    return 0xFF000000u | Pixel(x * 255 / 800) << 16 | Pixel(y * 255 / 600) << 8 | Pixel((x ^ y) & 0xFF);
  });
  WritePicture(w.File("b.bmp"), 800, 600, [](int x, int y) { return Quadrants(x, y, 800, 600); });
  QTest::qWait(400);  // the resource load runs by its own timer
  ASSERT_EQ(d.resourcesLoaded, 1);
  auto* angle = static_cast<QSlider*>(FindControl(d.Client(), ids::kAngleSlider));

  constexpr int kCycles = 200, kSettle = 20;
  std::vector<long> resident;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    w.prompts.openAnswer = QString::fromStdString(w.File(cycle % 2 ? "b.bmp" : "a.png").string());
    w.Press(ids::kOpen);
    if (!d.shapeSelect.list || !d.shapeSelect.list->isVisible()) w.Press(ids::kShapeDropDown);
    QListWidget* list = d.shapeSelect.list;
    ASSERT_TRUE(list && list->count() == 4);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(cycle % 4)).center());
    angle->setValue(cycle * 37 % 361);
    QCoreApplication::processEvents();
    w.Apply();
    const std::filesystem::path out = w.File(cycle % 2 ? "out.jpg" : "out.png");
    std::filesystem::remove(out);
    w.prompts.saveAnswer = QString::fromStdString(out.string());
    w.Press(ids::kSave);
    ASSERT_TRUE(std::filesystem::exists(out)) << cycle << ": nothing saved";
    ASSERT_TRUE(w.prompts.messages.isEmpty()) << cycle << ": " << w.prompts.messages.join("|").toStdString();
    resident.push_back(ResidentKb());
  }

  std::string curve;
  for (int cycle = 0; cycle < kCycles; cycle += 10)
    curve += std::to_string(cycle + 1) + ":" + std::to_string(resident[cycle] / 1024) + " ";
  std::printf("resident MB by cycle: %s\n", curve.c_str());
  const long settled = *std::max_element(resident.begin(), resident.begin() + kSettle);
  const long later = *std::max_element(resident.begin() + kSettle, resident.end());
  // Two 800 x 600 pictures with their copies are some 20 MB; a leak of one
  // picture per cycle would add 400 MB. 8 MB leaves room for the allocator.
  EXPECT_LT(later - settled, 8 * 1024) << curve;
}

}  // namespace
}  // namespace quorvel::testing
