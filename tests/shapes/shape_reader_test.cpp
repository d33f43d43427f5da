#include "shapes/shape_reader.h"

#include <gtest/gtest.h>

#include <limits>

#include "shapes/shape_file_layout.h"
#include "shapes/shape_key.h"
#include "shapebuild/shape_writer.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

using testing::AppendBlock;
using testing::ShapeBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A list that a refused load must leave exactly as it was.
PolylineList MarkerList() {
  TPolyline p;
  p.segments.push_back(TSegment{1, 2, 3, 4, 0, 0});
  return PolylineList{p};
}

void ExpectMarkerList(const PolylineList& list) {
  ASSERT_EQ(list.size(), 1u);
  ASSERT_EQ(list[0].segments.size(), 1u);
  EXPECT_EQ(list[0].segments[0].x1, 1.0f);
  EXPECT_EQ(list[0].segments[0].y2, 4.0f);
}

void ExpectSegment(const TSegment& s, float x1, float y1, float x2, float y2) {
  EXPECT_EQ(s.x1, x1);
  EXPECT_EQ(s.y1, y1);
  EXPECT_EQ(s.x2, x2);
  EXPECT_EQ(s.y2, y2);
}

TEST(ShapeKey, TableIsPinnedForExistingFiles) {
  EXPECT_EQ(kShapeKey[0], 89);
  EXPECT_EQ(kShapeKey[1], 1);
  EXPECT_EQ(kShapeKey[44], 190);
  EXPECT_EQ(kShapeKey[255], 162);
  std::uint32_t h = 2166136261u;  // FNV-1a over the whole table
  for (std::uint8_t b : kShapeKey) h = (h ^ b) * 16777619u;
  EXPECT_EQ(h, 0xe200e9ffu);
}

TEST(ShapeKey, UnscrambleWrapsAndReturnsTheNextPosition) {
  std::vector<std::uint8_t> bytes(16);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(kShapeKey[(252 + i) % 256] + i);
  EXPECT_EQ(UnscrambleShapeBytes(bytes.data(), bytes.size(), 252), 12u);
  for (std::size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], i) << i;
  EXPECT_EQ(ScrambleShapeBytes(bytes.data(), bytes.size(), 252 + 256), 12u);
  EXPECT_EQ(bytes[0], static_cast<std::uint8_t>(kShapeKey[252]));
}

TEST(LoadShapePolylines, DecodesDeltasFromThePreviousPoint) {
  TempFolder dir;
  std::vector<std::uint8_t> plain;
  AppendBlock(plain, 2, 1.5f, 2.0f, {{10000, 0}, {0, -5000}});
  WriteBytes(dir / "s.qshp", ShapeBytes(0, 1, {}, plain));
  PolylineList list;
  ASSERT_TRUE(LoadShapePolylines(dir / "s.qshp", list));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].t, 0.0f);
  EXPECT_EQ(list[0].length, 0.0f);
  EXPECT_EQ(list[0].arc, 0.0f);
  ASSERT_EQ(list[0].segments.size(), 2u);
  ExpectSegment(list[0].segments[0], 2.5f, 2.0f, 2.5f, 1.5f);
  ExpectSegment(list[0].segments[1], 2.5f, 1.5f, 2.5f, 2.0f);
}

TEST(LoadShapePolylines, RoundsQuotientThenSumToFloat32) {
  TempFolder dir;
  std::vector<std::uint8_t> plain;
  AppendBlock(plain, 10, 100.0f, -7.25f, std::vector<ShapeDelta>(10, ShapeDelta{1, 3}));
  WriteBytes(dir / "s.qshp", ShapeBytes(0, 1, {}, plain));
  DecodedShapeFile file;
  ASSERT_EQ(ReadShapeFile(dir / "s.qshp", file), ShapeFileProblem::kNone);
  float x = 100.0f, y = -7.25f;
  for (int k = 0; k < 10; ++k) {
    x = static_cast<float>(static_cast<double>(static_cast<float>(1 / 10000.0)) + static_cast<double>(x));
    y = static_cast<float>(static_cast<double>(static_cast<float>(3 / 10000.0)) + static_cast<double>(y));
  }
  ASSERT_EQ(file.loops.at(0).points.size(), 10u);
  EXPECT_EQ(file.loops[0].points[9].x, x);
  EXPECT_EQ(file.loops[0].points[9].y, y);
  EXPECT_NEAR(x, 100.001, 1e-5);  // relative to the previous point, not the start
}

TEST(LoadShapePolylines, PointCountsGiveEmptyOrClosedLoops) {
  TempFolder dir;
  std::vector<std::uint8_t> plain;
  AppendBlock(plain, 0, 5.0f, 5.0f, {});
  AppendBlock(plain, 1, 5.0f, 5.0f, {{10000, 0}});
  AppendBlock(plain, 2, 0.0f, 0.0f, {{10000, 0}, {0, 10000}});
  AppendBlock(plain, -3, 0.0f, 0.0f, {});  // negative M: no points, no deltas
  WriteBytes(dir / "s.qshp", ShapeBytes(0, 4, {}, plain));
  PolylineList list;
  ASSERT_TRUE(LoadShapePolylines(dir / "s.qshp", list));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_TRUE(list[0].segments.empty());
  EXPECT_TRUE(list[1].segments.empty());
  ASSERT_EQ(list[2].segments.size(), 2u);
  ExpectSegment(list[2].segments[0], 1, 0, 1, 1);
  ExpectSegment(list[2].segments[1], 1, 1, 1, 0);
  EXPECT_TRUE(list[3].segments.empty());
}

TEST(LoadShapePolylines, HeaderOnlyFileGivesEmptyListAndShorterIsRefused) {
  TempFolder dir;
  std::vector<std::uint8_t> bytes = ShapeBytes(0, 0, {}, {});
  ASSERT_EQ(bytes.size(), 44u);
  WriteBytes(dir / "44.qshp", bytes);
  bytes.pop_back();
  WriteBytes(dir / "43.qshp", bytes);

  PolylineList list = MarkerList();
  EXPECT_FALSE(LoadShapePolylines(dir / "43.qshp", list));
  ExpectMarkerList(list);
  EXPECT_TRUE(LoadShapePolylines(dir / "44.qshp", list));
  EXPECT_TRUE(list.empty());

  ShapeEntry entry;
  entry.outline.push_back(TPointF{1, 1});
  LoadShapeOutline(dir / "44.qshp", entry);
  EXPECT_TRUE(entry.outline.empty());
  entry.outline.push_back(TPointF{1, 1});
  LoadShapeOutline(dir / "43.qshp", entry);
  EXPECT_TRUE(entry.outline.empty());
}

TEST(LoadShapePolylines, MissingPathOrFolderIsRefused) {
  TempFolder dir;
  PolylineList list = MarkerList();
  EXPECT_FALSE(LoadShapePolylines({}, list));
  EXPECT_FALSE(LoadShapePolylines(dir / "absent.qshp", list));
  std::filesystem::create_directory(dir / "folder.qshp");
  EXPECT_FALSE(LoadShapePolylines(dir / "folder.qshp", list));
  ExpectMarkerList(list);
}

TEST(LoadShapePolylines, NegativeBlockCountMeansNoBlocks) {
  TempFolder dir;
  WriteBytes(dir / "s.qshp", ShapeBytes(0, -5, {}, {}));
  PolylineList list = MarkerList();
  EXPECT_TRUE(LoadShapePolylines(dir / "s.qshp", list));
  EXPECT_TRUE(list.empty());
}

TEST(LoadShapePolylines, BlocksAreStoredPlainAfterTheScrambledPart) {
  // Three outline records put the blocks at offset 92; scrambling them
  // there would change every coordinate.
  TempFolder dir;
  std::vector<std::uint8_t> plain;
  AppendBlock(plain, 2, 10.0f, 20.0f, {{0, 0}, {10000, 10000}});
  plain.push_back(0xAB);  // trailing bytes are ignored
  WriteBytes(dir / "s.qshp", ShapeBytes(3, 1, {{1, 2}, {3, 4}, {5, 6}}, plain));
  PolylineList list;
  ASSERT_TRUE(LoadShapePolylines(dir / "s.qshp", list));
  ASSERT_EQ(list.size(), 1u);
  ASSERT_EQ(list[0].segments.size(), 2u);
  ExpectSegment(list[0].segments[0], 10, 20, 11, 21);
}

TEST(LoadShapeOutline, ReadsFloat64RecordsAsFloat32) {
  TempFolder dir;
  WriteBytes(dir / "s.qshp", ShapeBytes(2, 0, {{600.0, 0.1}, {-3.5, 1e-3}}, {}));
  ShapeEntry entry;
  LoadShapeOutline(dir / "s.qshp", entry);
  ASSERT_EQ(entry.outline.size(), 2u);
  EXPECT_EQ(entry.outline[0].x, 600.0f);
  EXPECT_EQ(entry.outline[0].y, 0.1f);
  EXPECT_EQ(entry.outline[1].x, -3.5f);
  EXPECT_EQ(entry.outline[1].y, 1e-3f);
}

TEST(LoadShapeOutline, KeyPositionFollowsTheFileOffset) {
  // Record 13 lies at offset 252: key positions 252..255, then 0..11.
  std::vector<ShapePointD> outline;
  for (int i = 0; i < 15; ++i) outline.push_back(ShapePointD{i * 10.5, 600.0 - i});
  TempFolder dir;
  std::vector<std::uint8_t> bytes = ShapeBytes(15, 0, outline, {});
  std::uint8_t plain[16];
  WriteLeF64(plain, outline[13].x);
  WriteLeF64(plain + 8, outline[13].y);
  for (int i = 0; i < 16; ++i)
    ASSERT_EQ(bytes[252 + i], static_cast<std::uint8_t>(plain[i] + kShapeKey[(252 + i) % 256]));
  WriteBytes(dir / "s.qshp", bytes);
  ShapeEntry entry;
  LoadShapeOutline(dir / "s.qshp", entry);
  ASSERT_EQ(entry.outline.size(), 15u);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(entry.outline[i].x, static_cast<float>(outline[i].x)) << i;
    EXPECT_EQ(entry.outline[i].y, static_cast<float>(outline[i].y)) << i;
  }
}

struct MalformedCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  ShapeFileProblem problem;
};

std::vector<MalformedCase> MalformedFiles() {
  std::vector<std::uint8_t> good_block;
  AppendBlock(good_block, 2, 0.0f, 0.0f, {{1, 1}, {2, 2}});
  std::vector<std::uint8_t> short_deltas = good_block;
  short_deltas.resize(short_deltas.size() - 1);
  std::vector<std::uint8_t> huge_m;
  AppendBlock(huge_m, 0x7fffffff, 0.0f, 0.0f, {{1, 1}});
  const std::vector<ShapePointD> one{{1, 2}};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<std::uint8_t> nan_start, runaway;
  AppendBlock(nan_start, 2, std::numeric_limits<float>::quiet_NaN(), 0.0f, {{1, 1}, {2, 2}});
  AppendBlock(runaway, 1, 0.0f, std::numeric_limits<float>::infinity(), {{0, 1}});
  return {
      {"negative outline count", ShapeBytes(-1, 1, {}, good_block), ShapeFileProblem::kNegativeOutlineCount},
      {"outline past end", ShapeBytes(2, 0, one, {}), ShapeFileProblem::kOutlinePastEnd},
      {"huge outline count", ShapeBytes(0x7fffffff, 0, one, {}), ShapeFileProblem::kOutlinePastEnd},
      {"block count past end", ShapeBytes(1, 2, one, good_block), ShapeFileProblem::kPolylinesPastEnd},
      {"huge block count", ShapeBytes(0, 0x7fffffff, {}, good_block), ShapeFileProblem::kPolylinesPastEnd},
      {"truncated deltas", ShapeBytes(1, 1, one, short_deltas), ShapeFileProblem::kPolylinesPastEnd},
      {"huge point count", ShapeBytes(0, 1, {}, huge_m), ShapeFileProblem::kPolylinesPastEnd},
      {"truncated block header", ShapeBytes(0, 1, {}, {1, 0, 0, 0, 0}), ShapeFileProblem::kPolylinesPastEnd},
      {"NaN outline point", ShapeBytes(1, 0, {{nan, 2}}, {}), ShapeFileProblem::kNotFinite},
      {"outline beyond float32", ShapeBytes(1, 0, {{1, 1e300}}, {}), ShapeFileProblem::kNotFinite},
      {"NaN loop start", ShapeBytes(1, 1, one, nan_start), ShapeFileProblem::kNotFinite},
      {"infinite loop start", ShapeBytes(1, 1, one, runaway), ShapeFileProblem::kNotFinite},
  };
}

TEST(LoadShapePolylines, MalformedFilesAreRejectedWhole) {
  TempFolder dir;
  for (const MalformedCase& c : MalformedFiles()) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir / "bad.qshp", c.bytes);
    DecodedShapeFile file;
    EXPECT_EQ(ReadShapeFile(dir / "bad.qshp", file), c.problem);
    PolylineList list = MarkerList();
    EXPECT_FALSE(LoadShapePolylines(dir / "bad.qshp", list));
    ExpectMarkerList(list);
    ShapeEntry entry;
    LoadShapeOutline(dir / "bad.qshp", entry);
    EXPECT_TRUE(entry.outline.empty());
  }
}

TEST(LoadShapePolylines, LoopAndPointCountsAreBounded) {
  // Tiny loops, each a point: cheap to store, costly to warp into.
  auto loops = [](std::int32_t count) {
    std::vector<std::uint8_t> plain;
    for (std::int32_t i = 0; i < count; ++i) AppendBlock(plain, 1, 0.0f, 0.0f, {{1, 1}});
    return ShapeBytes(0, count, {}, plain);
  };
  auto points = [](std::size_t count) {
    std::vector<std::uint8_t> plain;
    const std::vector<ShapeDelta> deltas(count / 2, ShapeDelta{1, -1});
    AppendBlock(plain, static_cast<std::int32_t>(deltas.size()), 0.0f, 0.0f, deltas);
    const std::vector<ShapeDelta> rest(count - count / 2, ShapeDelta{-1, 1});
    AppendBlock(plain, static_cast<std::int32_t>(rest.size()), 0.0f, 0.0f, rest);
    return ShapeBytes(0, 2, {}, plain);
  };
  DecodedShapeFile file;
  EXPECT_EQ(DecodeShapeFile(loops(kMaxShapeLoops), file), ShapeFileProblem::kNone);
  EXPECT_EQ(DecodeShapeFile(loops(kMaxShapeLoops + 1), file), ShapeFileProblem::kTooManyLoops);
  EXPECT_EQ(DecodeShapeFile(points(kMaxShapePoints), file), ShapeFileProblem::kNone);
  TempFolder dir;
  WriteBytes(dir / "many.qshp", points(kMaxShapePoints + 1));
  PolylineList list = MarkerList();
  EXPECT_EQ(ReadShapeFile(dir / "many.qshp", file), ShapeFileProblem::kTooManyPoints);
  EXPECT_FALSE(LoadShapePolylines(dir / "many.qshp", list));
  ExpectMarkerList(list);
}

TEST(WriteShapeFile, RoundTripsThroughTheReader) {
  ShapeFileContents contents;
  for (int i = 0; i < 40; ++i) contents.outline.push_back(ShapePointD{i * 15.0, 600.0 - i * 7.25});
  contents.blocks.push_back(ShapeFileBlock{-150.0f, 149.5f, {{0, 0}, {32767, -32768}, {-1, 1}}});
  contents.blocks.push_back(ShapeFileBlock{});
  contents.blocks.push_back(ShapeFileBlock{3.0f, 4.0f, {{7, 8}}});
  TempFolder dir;
  // A link planted where a fixed temporary name would be is never written through.
  WriteBytes(dir / "victim", {1, 2, 3});
  std::filesystem::create_symlink(dir / "victim", dir / "w.qshp.partial");
  ASSERT_TRUE(WriteShapeFile(dir / "w.qshp", contents));
  EXPECT_EQ(testing::ReadBytes(dir / "victim"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);

  DecodedShapeFile file;
  ASSERT_EQ(ReadShapeFile(dir / "w.qshp", file), ShapeFileProblem::kNone);
  ASSERT_EQ(file.outline.size(), 40u);
  EXPECT_EQ(file.outline[39].y, static_cast<float>(600.0 - 39 * 7.25));
  ASSERT_EQ(file.loops.size(), 3u);
  EXPECT_EQ(file.loops[0].start_x, -150.0f);
  ASSERT_EQ(file.loops[0].points.size(), 3u);
  EXPECT_EQ(file.loops[0].points[1].x, DecodeShapeStep(-150.0f, 32767));
  EXPECT_EQ(file.loops[0].points[1].y, DecodeShapeStep(149.5f, -32768));
  EXPECT_TRUE(file.loops[1].points.empty());
  ASSERT_EQ(file.loops[2].points.size(), 1u);
  EXPECT_EQ(file.loops[2].points[0].x, DecodeShapeStep(3.0f, 7));
}

TEST(WriteShapeFile, UnwritablePathFailsAndKeepsNothing) {
  TempFolder dir;
  EXPECT_FALSE(WriteShapeFile(dir / "missing" / "w.qshp", ShapeFileContents{}));
  EXPECT_FALSE(WriteShapeFile({}, ShapeFileContents{}));
}

}  // namespace
}  // namespace quorvel
