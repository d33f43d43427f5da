// Jobs that cannot fit are refused before they start, with the picture and
// the result there was left alone.
#include <gtest/gtest.h>

#include "raster/memory_room.h"
#include "tests/support/message_capture.h"
#include "tests/support/test_shapes.h"
#include "warp/job.h"
#include "warp/job_memory.h"

namespace quorvel {
namespace {

// Also lifts the memory cap a test set.
struct Messages : testing::MessageCapture {
  ~Messages() override { SetMemoryRoomCap(0); }
};

TImagePair Picture(int w, int h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  AllocBlock(pair.src, w, h);
  for (int i = 0; i < w * h; ++i) pair.src[i] = 0xFF000000u | static_cast<Pixel>(i * 2654435761u >> 8);
  pair.loaded = 1;
  return pair;
}

TEST(WarpJobMemory, TheEstimateCountsNewBlocksOnlyAndRefusesWhatDoesNotFit) {
  Messages messages;
  TWarpEngine engine;
  engine.shape_polylines = testing::NestedCircles(6);
  engine.selected = 0;
  TImagePair pair = Picture(300, 200);
  const std::uint64_t square = 300u * 300u * 4u;
  EXPECT_GE(EstimateWarpJob(engine, WarpKind::Apply, pair).bytes, 3 * square);
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(RunWarpJob(engine, WarpKind::Apply, pair));
  // Again on the same picture and shape: the blocks and the assist list are
  // there already.
  EXPECT_LT(EstimateWarpJob(engine, WarpKind::Apply, pair).bytes, square / 4);

  const PixelBlock result = pair.result;
  const PixelBlock src = pair.src;
  engine.selected = 1;  // another shape: a new assist list
  SetMemoryRoomCap(1);
  WarpOutcome outcome = WarpOutcome::kWarped;
  EXPECT_FALSE(RunWarpJob(engine, WarpKind::Apply, pair, nullptr, &outcome));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(outcome, WarpOutcome::kNoMemory);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].rfind("内存不足: 需要约 ", 0), 0u) << messages.texts[0];
  EXPECT_NE(messages.texts[0].find("\r\nNot enough memory: this needs about "), std::string::npos);
  EXPECT_EQ(pair.result, result);
  EXPECT_EQ(pair.src, src);
  // The preview kind is refused without a message: it runs at paint time.
  TWarpEngine fresh;
  fresh.shape_polylines = engine.shape_polylines;
  fresh.selected = 0;
  TImagePair small = Picture(100, 60);
  EXPECT_FALSE(RunWarpJob(fresh, WarpKind::Preview, small, nullptr, &outcome));
  EXPECT_EQ(outcome, WarpOutcome::kNoMemory);
  EXPECT_EQ(messages.texts.size(), 1u);
}

TEST(WarpJobMemory, AnEndlessOuterBoundaryIsRefusedAsTooComplexBeforeAnyWork) {
  Messages messages;
  // 200 000 strokes corner to corner: a few megabytes of shape, hundreds of
  // millions of assist polylines at this size.
  TPolyline zigzag;
  for (int i = 0; i < 200000; ++i) {
    const float a = i % 2 ? 150.0f : -150.0f;
    zigzag.segments.push_back(TSegment{a, a, -a, -a, 0.0f, 0.0f});
  }
  TWarpEngine engine;
  engine.shape_polylines = {zigzag, testing::Circle(10.0f, 16)};
  engine.selected = 0;
  TImagePair pair = Picture(400, 300);
  EXPECT_GT(EstimateWarpJob(engine, WarpKind::Apply, pair).assist_segments, kMaxAssistSegments);
  WarpOutcome outcome = WarpOutcome::kWarped;
  EXPECT_FALSE(RunWarpJob(engine, WarpKind::Apply, pair, nullptr, &outcome));
  EXPECT_EQ(outcome, WarpOutcome::kShapeTooComplex);
  EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgShapeTooComplex});
  EXPECT_TRUE(pair.square.empty());
  EXPECT_TRUE(engine.job.assist.empty());
}

}  // namespace
}  // namespace quorvel
