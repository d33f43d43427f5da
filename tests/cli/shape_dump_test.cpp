#include "cli/shape_dump.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "cli/shape_pack.h"
#include "shapebuild/loop_encoder.h"
#include "shapes/shape_file_layout.h"
#include "shapebuild/shape_writer.h"

namespace quorvel {
namespace {

DecodedShapeFile Decode(const ShapeFileContents& contents) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(EncodeShapeFile(contents, bytes));
  DecodedShapeFile file;
  EXPECT_EQ(DecodeShapeFile(bytes, file), ShapeFileProblem::kNone);
  return file;
}

// dump text -> pack -> file -> dump text
std::string Repack(const std::string& text) {
  ShapeDump dump;
  ShapeFileContents contents;
  std::string error;
  EXPECT_TRUE(ParseShapeDump(text, dump, error)) << error;
  EXPECT_TRUE(PackShapeDump(dump, contents, error)) << error;
  return FormatShapeDump(Decode(contents));
}

// Loops written with arbitrary starts and deltas, as any encoder might have.
ShapeFileContents VariedContents() {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> delta(-32768, 32767);
  std::uniform_real_distribution<float> start(-150.0f, 150.0f);
  ShapeFileContents c;
  c.outline = {{0.1, 1.0 / 3.0}, {599.99999, 1e-7}, {300, 600}};
  for (int m : {40, 0, 1, 2, 300}) {
    ShapeFileBlock block{start(rng), start(rng), {}};
    for (int k = 0; k < m; ++k)
      block.deltas.push_back(ShapeDelta{static_cast<std::int16_t>(delta(rng) / (k % 3 + 1)),
                                        static_cast<std::int16_t>(delta(rng) / 100)});
    c.blocks.push_back(block);
  }
  c.blocks[3].deltas = {{32767, -32768}, {-32768, 32767}};
  return c;
}

TEST(ShapeDump, PrintsCountsAndPointsWithNineDigits) {
  ShapeFileContents c;
  c.outline = {{0.1, 600}};
  c.blocks = {ShapeFileBlock{1.5f, 2.0f, {{10000, 0}, {0, -5000}}}, ShapeFileBlock{}};
  EXPECT_EQ(FormatShapeDump(Decode(c)),
            "outline 1\n0.100000001 600\npolylines 2\npolyline 2\n2.5 2\n2.5 1.5\npolyline 0\n");
}

TEST(ShapeDump, DumpPackDumpIsExact) {
  const std::string first = FormatShapeDump(Decode(VariedContents()));
  EXPECT_EQ(Repack(first), first);
}

TEST(ShapePack, LandsEachPointOnTheNearestDecodedValue) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> step(-3.2, 3.2);
  std::string text = "polylines 1\npolyline 60\n";
  std::vector<double> xs, ys;
  double x = 12.3456789, y = -98.7654321;
  for (int k = 0; k < 60; ++k) {
    char line[80];
    std::snprintf(line, sizeof line, "%.12f %.12f\n", x, y);
    text += line;
    xs.push_back(x);
    ys.push_back(y);
    x += step(rng);
    y += step(rng);
  }
  ShapeDump dump;
  ShapeFileContents contents;
  std::string error;
  ASSERT_TRUE(ParseShapeDump(text, dump, error)) << error;
  ASSERT_TRUE(PackShapeDump(dump, contents, error)) << error;
  const std::vector<TPointF> decoded = Decode(contents).loops.at(0).points;
  ASSERT_EQ(decoded.size(), 60u);
  EXPECT_EQ(decoded[0].x, static_cast<float>(xs[0]));
  EXPECT_EQ(decoded[0].y, static_cast<float>(ys[0]));
  for (std::size_t k = 1; k < decoded.size(); ++k) {
    double best_x = std::numeric_limits<double>::infinity(), best_y = best_x;
    for (std::int32_t d = -32768; d <= 32767; ++d) {
      const auto d16 = static_cast<std::int16_t>(d);
      best_x = std::min(best_x, std::fabs(static_cast<double>(DecodeShapeStep(decoded[k - 1].x, d16)) - xs[k]));
      best_y = std::min(best_y, std::fabs(static_cast<double>(DecodeShapeStep(decoded[k - 1].y, d16)) - ys[k]));
    }
    EXPECT_EQ(std::fabs(static_cast<double>(decoded[k].x) - xs[k]), best_x) << k;
    EXPECT_EQ(std::fabs(static_cast<double>(decoded[k].y) - ys[k]), best_y) << k;
  }
}

TEST(ShapePack, WithoutOutlineUsesTheOuterLoopInTheDesignSquare) {
  const std::string text =
      "# outer square, then a hole\r\n"
      "\n"
      "polylines 2\r\n"
      "polyline 3\n"
      "  -150 -150\n"
      "150 -150\n"
      "  # comment between points\n"
      "0 0.5\n"
      "polyline 1\n"
      "1 1\n";
  ShapeDump dump;
  ShapeFileContents contents;
  std::string error;
  ASSERT_TRUE(ParseShapeDump(text, dump, error)) << error;
  EXPECT_FALSE(dump.has_outline);
  ASSERT_TRUE(PackShapeDump(dump, contents, error)) << error;
  const DecodedShapeFile file = Decode(contents);
  ASSERT_EQ(file.loops.size(), 2u);
  const std::vector<TPointF>& outer = file.loops[0].points;
  ASSERT_EQ(file.outline.size(), outer.size());  // the 300-unit edge was split
  EXPECT_GT(outer.size(), 3u);
  for (std::size_t k = 0; k < outer.size(); ++k) {
    EXPECT_EQ(file.outline[k].x, static_cast<float>(static_cast<double>(outer[k].x) * 2.0 + 300.0));
    EXPECT_EQ(file.outline[k].y, static_cast<float>(static_cast<double>(outer[k].y) * 2.0 + 300.0));
  }
  EXPECT_EQ(file.outline.front().x, 0.0f);
  EXPECT_NEAR(file.outline.back().y, 301.0f, 1e-3);
}

TEST(ShapeDumpParse, RefusesBrokenTextNamingTheLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"", "'polylines COUNT' expected before the end of the text"},
      {"outline 1\n1 2\n", "'polylines COUNT' expected before the end of the text"},
      {"outline 2\n1 2\npolylines 0\n", "line 3: 'x y' expected (two finite numbers)"},
      {"polylines 1\npolyline 2\n1 2\n", "the text ends before the last of 2 points"},
      {"polylines 1\npolyline 1\n1 2 3\n", "line 3: 'x y' expected (two finite numbers)"},
      {"polylines 1\npolyline 1\n1 nan\n", "line 3: 'x y' expected (two finite numbers)"},
      {"polylines 1\npolyline 1\n1 200000\n", "line 3: coordinate beyond 100000"},
      {"polylines -1\n", "line 1: 'polylines COUNT' expected"},
      {"polylines 0\npolyline 0\n", "line 2: unexpected text after the last polyline"},
      {"outline 1\n1e39 0\npolylines 0\n", "line 2: coordinate beyond the float32 range"},
  };
  for (const Case& c : cases) {
    ShapeDump dump;
    dump.loops.resize(7);
    std::string error;
    EXPECT_FALSE(ParseShapeDump(c.text, dump, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(dump.loops.size(), 7u);
  }
}

}  // namespace
}  // namespace quorvel
