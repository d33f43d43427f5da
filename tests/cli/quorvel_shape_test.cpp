// The quorvel-shape program as a user runs it: exit statuses, streams, files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "shapebuild/shape_writer.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct RunResult {
  int status = -1;
  std::string out;  // standard output
};

// Runs the tool with args (already quoted), stderr sent to err_file.
RunResult RunTool(const std::string& args, const std::filesystem::path& err_file) {
  const std::string command =
      std::string("'") + QUORVEL_SHAPE_TOOL + "' " + args + " 2>'" + err_file.string() + "'";
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) result.out.append(buf, n);
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

std::string Quoted(const std::filesystem::path& p) {
  std::string quoted(1, '\'');
  quoted += p.string();
  quoted += '\'';
  return quoted;
}

std::string ReadText(const std::filesystem::path& p) {
  const std::vector<std::uint8_t> bytes = ReadBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

TEST(QuorvelShape, DumpPackDumpThroughFilesIsExact) {
  TempFolder dir;
  ShapeFileContents c;
  c.outline = {{10, 20}, {590.5, 0.3}};
  c.blocks = {ShapeFileBlock{-149.9f, 149.9f, {{0, 0}, {32767, -32768}, {-17, 3}}},
              ShapeFileBlock{0.25f, -0.25f, {{5, 5}}}};
  ASSERT_TRUE(WriteShapeFile(dir / "in.qshp", c));

  const RunResult first = RunTool("dump " + Quoted(dir / "in.qshp"), dir / "err");
  ASSERT_EQ(first.status, 0) << ReadText(dir / "err");
  EXPECT_EQ(first.out.rfind("outline 2\n10 20\n590.5 0.300000012\npolylines 2\npolyline 3\n", 0), 0u);
  WriteBytes(dir / "dump.txt", std::vector<std::uint8_t>(first.out.begin(), first.out.end()));

  const RunResult pack =
      RunTool("pack " + Quoted(dir / "dump.txt") + " -o " + Quoted(dir / "out.qshp"), dir / "err");
  ASSERT_EQ(pack.status, 0) << ReadText(dir / "err");
  EXPECT_TRUE(pack.out.empty());
  const RunResult second = RunTool("dump " + Quoted(dir / "out.qshp"), dir / "err");
  ASSERT_EQ(second.status, 0);
  EXPECT_EQ(second.out, first.out);
}

TEST(QuorvelShape, ExitStatusesAndStreams) {
  TempFolder dir;
  const std::filesystem::path err = dir / "err";

  const RunResult help = RunTool("--help", err);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("quorvel-shape dump FILE.qshp"), std::string::npos);
  const RunResult version = RunTool("--version", err);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quorvel-shape ", 0), 0u);

  for (const char* usage : {"", "frobnicate", "dump", "dump a b", "pack x.txt", "pack -o y.qshp",
                            "pack x.txt -o"}) {
    const RunResult r = RunTool(usage, err);
    EXPECT_EQ(r.status, 1) << usage;
    EXPECT_TRUE(r.out.empty()) << usage;
    EXPECT_FALSE(ReadText(err).empty()) << usage;
  }

  WriteBytes(dir / "short.qshp", std::vector<std::uint8_t>(43, 0));
  const RunResult short_file = RunTool("dump " + Quoted(dir / "short.qshp"), err);
  EXPECT_EQ(short_file.status, 3);
  EXPECT_TRUE(short_file.out.empty());
  EXPECT_NE(ReadText(err).find("shorter than its 44-byte header"), std::string::npos);

  EXPECT_EQ(RunTool("pack " + Quoted(dir / "absent.txt") + " -o " + Quoted(dir / "o.qshp"), err).status, 3);
  WriteBytes(dir / "bad.txt", {'p', 'o', 'l', 'y', '\n'});
  EXPECT_EQ(RunTool("pack " + Quoted(dir / "bad.txt") + " -o " + Quoted(dir / "o.qshp"), err).status, 3);
  EXPECT_FALSE(std::filesystem::exists(dir / "o.qshp"));

  const std::string good = "polylines 1\npolyline 1\n0 0\n";
  WriteBytes(dir / "good.txt", std::vector<std::uint8_t>(good.begin(), good.end()));
  EXPECT_EQ(RunTool("pack " + Quoted(dir / "good.txt") + " -o " + Quoted(dir / "no" / "o.qshp"), err).status, 4);
  EXPECT_EQ(RunTool("pack -o " + Quoted(dir / "o.qshp") + " " + Quoted(dir / "good.txt"), err).status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "o.qshp"));
}

// The user's own folder, as a user keeps it from the command line.
TEST(QuorvelShape, AddListWarpAndRemoveUserShapes) {
  TempFolder dir;
  ASSERT_EQ(setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1), 0);
  const std::filesystem::path folder = dir / "data" / "quorvel" / "shapes";
  const std::string drop = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
                           "<path d='M4 0 c1 2 4 4 4 6 a4 4 0 0 1 -8 0 c0-2 3-4 4-6z'/></svg>";
  WriteBytes(dir / "drop.svg", std::vector<std::uint8_t>(drop.begin(), drop.end()));
  WriteBytes(dir / "garbage.svg", {'n', 'o'});
  const std::string add = "add " + Quoted(dir / "drop.svg");

  EXPECT_EQ(RunTool(add, dir / "err").out, (folder / "drop.qshp").string() + "\n");
  EXPECT_EQ(RunTool(add, dir / "err").out, (folder / "drop-2.qshp").string() + "\n");
  EXPECT_EQ(RunTool(add + " --name ../x", dir / "err").status, 1);
  EXPECT_EQ(RunTool("add " + Quoted(dir / "garbage.svg"), dir / "err").status, 3);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);  // nothing half-made
  EXPECT_FALSE(std::filesystem::exists(dir / "data" / "quorvel" / "x.qshp"));
  // -v names the shape, not the hidden file it is built in.
  EXPECT_EQ(RunTool(add + " -v --name bolt", dir / "err").out.substr(0, 6), "bolt: ");

  // Listed after the bundled shapes, whose indices stay; found by name.
  const auto Cli = [&](const std::string& args) {
    return RunTool("--version >/dev/null; '" + std::string(QUORVEL_CLI) + "' " + args, dir / "err");
  };
  const std::string listed = Cli("shapes").out;
  ASSERT_EQ(setenv("XDG_DATA_HOME", (dir / "none").c_str(), 1), 0);
  const std::string bundled = Cli("shapes").out;
  ASSERT_EQ(setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1), 0);
  ASSERT_EQ(listed.compare(0, bundled.size(), bundled), 0);
  EXPECT_NE(listed.find("\tdrop-2\t" + (folder / "drop-2.qshp").string() + "\tuser\n", bundled.size()),
            std::string::npos);
  EXPECT_EQ(Cli("warp " + Quoted(std::filesystem::path(QUORVEL_SOURCE_DIR) / "resources" / "splash.png") +
                " -s drop-2 -o " + Quoted(dir / "out.png")).status, 0);

  EXPECT_EQ(RunTool("remove drop", dir / "err").status, 0);
  EXPECT_EQ(RunTool("remove drop", dir / "err").status, 3);
  EXPECT_EQ(RunTool("remove ../drop-2", dir / "err").status, 1);
  EXPECT_TRUE(std::filesystem::exists(folder / "drop-2.qshp"));
  EXPECT_TRUE(std::filesystem::exists(folder / "bolt.qshp"));
  unsetenv("XDG_DATA_HOME");
}

TEST(QuorvelShape, NumbersAreStrictAndUnknownOptionsRefused) {
  TempFolder dir;
  const std::string build = "build " + Quoted(dir / "absent.svg") + " -o " + Quoted(dir / "o.qshp");
  const std::pair<const char*, const char*> refused[] = {
      {" --loops 2.5", "--loops takes 2 to 200"},           {" --loops 8x", "--loops takes 2 to 200"},
      {" --grid 1e3", "--grid takes 101 to 1201"},          {" --resolution 1600.5", "--resolution takes 200 to 4000"},
      {" --spacing abc", "--spacing takes 0.5 to 50"},      {" --margin 201", "--margin takes 0 to 200"},
      {" --time-limit 0x10", "--time-limit takes 1 to 3600 seconds"}, {" --bogus", "unknown option '--bogus'"},
  };
  for (const auto& [option, message] : refused) {
    const RunResult r = RunTool(build + option, dir / "err");
    EXPECT_EQ(r.status, 1) << option;  // refused before the missing drawing is looked at
    EXPECT_EQ(ReadText(dir / "err").rfind(std::string("quorvel-shape build: ") + message + "\nUsage:\n", 0), 0u)
        << ReadText(dir / "err");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "o.qshp"));
  EXPECT_EQ(RunTool("add " + Quoted(dir / "absent.svg") + " --loops 2.5", dir / "err").status, 1);
  EXPECT_EQ(RunTool("dump --bogus", dir / "err").status, 1);
  EXPECT_EQ(ReadText(dir / "err").rfind("quorvel-shape: unknown option '--bogus'\n", 0), 0u);

  for (const char* command : {"add", "remove"}) {
    const RunResult help = RunTool(std::string(command) + " --help", dir / "err");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(std::string("quorvel-shape ") + command), std::string::npos) << command;
  }
}

}  // namespace
}  // namespace quorvel
