// quorvel-shape build and sheet as a user runs them.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/shape_dump.h"
#include "imagefiles/saver.h"
#include "shapebuild/loop_encoder.h"
#include "shapes/shape_reader.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

int RunShapeTool(const std::string& args) {
  const std::string command = std::string("'") + QUORVEL_SHAPE_TOOL + "' " + args + " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Capture(const std::string& args) {
  std::string out;
  FILE* pipe = popen((std::string("'") + QUORVEL_SHAPE_TOOL + "' " + args + " 2>/dev/null").c_str(), "r");
  if (!pipe) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

void WriteText(const std::filesystem::path& p, const std::string& text) {
  WriteBytes(p, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "'" + string.
std::string Q(const std::filesystem::path& p) {
  std::string quoted(1, '\'');
  quoted.append(p.string()).push_back('\'');
  return quoted;
}

TEST(ShapeBuild, DumpOfABuiltFileShowsTheLoopsThatWereWritten) {
  TempFolder dir;
  WriteText(dir / "drop.svg",
            "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
            "<g transform='translate(1 0)'><path d='M4 0 c1 2 4 4 4 6 a4 4 0 0 1 -8 0 c0-2 3-4 4-6z'/></g></svg>");
  ASSERT_EQ(RunShapeTool("build " + Q(dir / "drop.svg") + " -o " + Q(dir / "drop.qshp")), 0);
  DecodedShapeFile file;
  ASSERT_EQ(ReadShapeFile(dir / "drop.qshp", file), ShapeFileProblem::kNone);
  ASSERT_GE(file.loops.size(), 2u);

  ShapeDump dump;
  std::string error;
  ASSERT_TRUE(ParseShapeDump(Capture("dump " + Q(dir / "drop.qshp")), dump, error)) << error;
  ASSERT_EQ(dump.loops.size(), file.loops.size());
  for (std::size_t k = 0; k < dump.loops.size(); ++k) {
    ASSERT_EQ(dump.loops[k].size(), file.loops[k].points.size());
    for (std::size_t i = 0; i < dump.loops[k].size(); ++i) {
      EXPECT_EQ(float(dump.loops[k][i].x), file.loops[k].points[i].x);
      EXPECT_EQ(float(dump.loops[k][i].y), file.loops[k].points[i].y);
    }
  }
  EXPECT_EQ(dump.outline.size(), file.outline.size());
}

TEST(ShapeBuild, RefusalsWriteNoFile) {
  TempFolder dir;
  const std::filesystem::path out = dir / "out.qshp";
  WriteText(dir / "empty.svg", "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'><rect width='5' height='5' fill='none'/></svg>");
  WriteText(dir / "garbage.svg", "this is not a drawing");
  WriteText(dir / "two.svg",
            "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
            "<circle cx='2' cy='5' r='2'/><circle cx='8' cy='5' r='2'/></svg>");
  // More points than the SVG reader keeps: it would read a sliver of the path.
  std::string rosette = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='-1 -1 2 2'><path d='M1 0";
  for (int i = 1; i < 40000; ++i) {
    const double t = i * 6.283185307179586 / 40000, r = 0.7 + 0.3 * std::cos(12 * t);
    rosette += " L" + std::to_string(r * std::cos(t)) + " " + std::to_string(r * std::sin(t));
  }
  WriteText(dir / "rosette.svg", rosette + "Z'/></svg>");
  for (const char* name : {"empty.svg", "garbage.svg", "two.svg", "absent.svg", "rosette.svg"}) {
    EXPECT_EQ(RunShapeTool("build " + Q(dir / name) + " -o " + Q(out)), 3) << name;
    EXPECT_FALSE(std::filesystem::exists(out)) << name;
  }
  // A scribble of thousands of self-crossing strokes takes minutes to fill:
  // the time limit stops the drawing itself.
  std::string scribble = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 1000 1000'><path d='M0 0";
  for (int i = 0; i < 9000; ++i)
    scribble += " L" + std::to_string((i * 7919) % 1000) + " " + std::to_string((i * 104729 + 13) % 997);
  WriteText(dir / "scribble.svg", scribble + "Z'/></svg>");
  EXPECT_EQ(RunShapeTool("build " + Q(dir / "scribble.svg") + " -o " + Q(out) + " --time-limit 1"), 3);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(RunShapeTool("build " + Q(dir / "two.svg")), 1);
  EXPECT_EQ(RunShapeTool("build " + Q(dir / "two.svg") + " -o " + Q(out) + " --time-limit 0"), 1);
  EXPECT_EQ(RunShapeTool("build " + Q(dir / "two.svg") + " -o " + Q(out) + " --method round"), 1);
}

TEST(ShapeSheet, EmptyFolderIsRefusedAndASheetIsWritten) {
  TempFolder dir;
  EXPECT_EQ(RunShapeTool("sheet --shapes " + Q(dir.path()) + " -o " + Q(dir / "s.png")), 3);
  WriteText(dir / "sq.svg", "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'><rect x='1' y='1' width='8' height='8'/></svg>");
  std::filesystem::create_directory(dir / "lib");
  ASSERT_EQ(RunShapeTool("build " + Q(dir / "sq.svg") + " -o " + Q(dir / "lib" / "sq.qshp")), 0);
  const std::string stats = Capture("sheet --shapes " + Q(dir / "lib") + " -o " + Q(dir / "s.png") + " --stats");
  EXPECT_NE(stats.find("sq"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "s.png"));
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

// A PNG of a disk: transparent around it, or (opaque) dark on white.
void WriteDiskPng(const std::filesystem::path& path, bool with_alpha) {
  constexpr std::int32_t side = 120;
  std::vector<Pixel> pixels(std::size_t(side) * side);
  for (std::int32_t y = 0; y < side; ++y)
    for (std::int32_t x = 0; x < side; ++x) {
      const bool in = std::hypot(x + 0.5 - 60, y + 0.5 - 55) < 40;
      pixels[std::size_t(y) * side + x] = with_alpha ? (in ? 0xFF3060A0u : 0x00FFFFFFu) : (in ? 0xFF202020u : 0xFFFFFFFFu);
    }
  ASSERT_TRUE(WritePng(pixels.data(), side, path, side));
}

TEST(ShapeBuild, PngSilhouettesAreTracedFromAlphaOrFromTheDarkPart) {
  TempFolder dir;
  for (const bool alpha : {true, false}) {
    WriteDiskPng(dir / "disk.png", alpha);
    ASSERT_EQ(RunShapeTool("build " + Q(dir / "disk.png") + " -o " + Q(dir / "disk.qshp")), 0) << alpha;
    DecodedShapeFile file;
    ASSERT_EQ(ReadShapeFile(dir / "disk.qshp", file), ShapeFileProblem::kNone);
    ASSERT_GE(file.loops.size(), 2u);
    // Fitted, round: every outer point near the frame's circle of radius 144.
    for (const TPointF& p : file.loops.front().points) EXPECT_NEAR(std::hypot(p.x, p.y), 144.0, 2.0);
  }
  WriteText(dir / "bad.png", "not a picture");
  EXPECT_EQ(RunShapeTool("build " + Q(dir / "bad.png") + " -o " + Q(dir / "bad.qshp")), 3);
  EXPECT_FALSE(std::filesystem::exists(dir / "bad.qshp"));
}

TEST(ShapeBuild, EveryCommandsHelpPrintsItsUsageAndSucceeds) {
  for (const char* command : {"build", "sheet", "dump", "pack"}) {
    EXPECT_EQ(RunShapeTool(std::string(command) + " --help"), 0) << command;
    EXPECT_NE(Capture(std::string(command) + " --help").find(std::string("quorvel-shape ") + command),
              std::string::npos) << command;
  }
  EXPECT_NE(Capture("build --help").find("--strict"), std::string::npos);
}

TEST(ShapeBuild, ALetterIWithItsDotBuildsFromItsStemWithANoticeUnlessStrict) {
  TempFolder dir;
  WriteText(dir / "i.svg",
            "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 20'>"
            "<rect x='3' y='6' width='4' height='13'/><circle cx='5' cy='2.5' r='2'/></svg>");
  const std::string build = "build " + Q(dir / "i.svg") + " -o " + Q(dir / "i.qshp");
  EXPECT_EQ(RunShapeTool(build + " --strict"), 3);
  EXPECT_FALSE(std::filesystem::exists(dir / "i.qshp"));
  const std::string command = std::string("'") + QUORVEL_SHAPE_TOOL + "' " + build + " 2>" + Q(dir / "said.txt");
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(dir / "said.txt");
  const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(said.find("dropped 1 other piece"), std::string::npos) << said;
  EXPECT_TRUE(std::filesystem::exists(dir / "i.qshp"));
}

}  // namespace
}  // namespace quorvel
