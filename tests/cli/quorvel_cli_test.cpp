// quorvel-cli as a user runs it, against the same job run in-process.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "cli/exit_status.h"
#include "cli/warp_options.h"
#include "cli/warp_run.h"
#include "imagefiles/loader.h"
#include "imagefiles/saver.h"
#include "shapebuild/loop_encoder.h"
#include "shapes/shape_reader.h"
#include "shapebuild/shape_writer.h"
#include "tests/support/shape_test_support.h"
#include "tests/support/icc_sample.h"
#include "tests/support/sanitizer.h"
#include "warp/job.h"

namespace quorvel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

int RunCli(const std::string& args, const std::filesystem::path& err) {
  const std::string command = std::string("'") + QUORVEL_CLI + "' " + args + " >/dev/null 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Text(const std::filesystem::path& p) {
  const auto bytes = ReadBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

// Five nested circles, packed as the shape tools pack them.
void WriteCircleShape(const std::filesystem::path& path) {
  ShapeFileContents contents;
  for (int loop = 0; loop < 5; ++loop) {
    const double radius = 145.0 - 35.0 * loop;
    std::vector<ShapePointD> points;
    for (int i = 0; i < 90; ++i)
      points.push_back({radius * std::cos(2 * M_PI * i / 90), radius * std::sin(2 * M_PI * i / 90)});
    ShapeFileBlock block;
    ASSERT_TRUE(EncodeShapeLoop(points, block));
    contents.blocks.push_back(block);
    if (loop == 0)
      for (const ShapePointD& p : points) contents.outline.push_back({p.x * 2 + 300, p.y * 2 + 300});
  }
  ASSERT_TRUE(WriteShapeFile(path, contents));
}

// A picture file of w x h with a colour gradient, written as a BMP.
void WritePicture(const std::filesystem::path& path, int w, int h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  AllocBlock(pair.result, w, h);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x)
      pair.result[row * w + x] = 0xFF000000u | static_cast<Pixel>(x * 255 / w) << 16 |
                                 static_cast<Pixel>(row * 255 / h) << 8 | static_cast<Pixel>((x * row) & 0xFF);
  ASSERT_EQ(SaveImageFile(pair, path), 1);
}

TEST(QuorvelCli, WarpWritesTheBytesOfTheSameJobInProcess) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  WritePicture(dir / "in.bmp", 90, 70);
  for (const char* ending : {"bmp", "png", "jpg"}) {
    const std::string out = std::string("out.") + ending;
    ASSERT_EQ(RunCli("warp '" + (dir / "in.bmp").string() + "' -s '" + (dir / "circle.qshp").string() +
                      "' -o '" + (dir / out).string() + "' --angle 45 --direction horizontal --feather 3",
                  dir / "err"),
              kExitSuccess)
        << Text(dir / "err");

    TWarpEngine engine;
    ASSERT_TRUE(LoadShapePolylines(dir / "circle.qshp", engine.shape_polylines));
    engine.selected = 0;
    engine.angle = 45;
    engine.direction = 1;
    engine.feather = 3;
    TImagePair pair;
    ASSERT_EQ(LoadImageFile(pair, dir / "in.bmp"), 1);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(RunWarpJob(engine, WarpKind::Apply, pair));
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(SaveImageFile(pair, dir / (std::string("inproc.") + ending)), 1);
    EXPECT_EQ(ReadBytes(dir / out), ReadBytes(dir / (std::string("inproc.") + ending))) << ending;
  }
}

TEST(QuorvelCli, PreviewAndReferenceAndThreadsAgree) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  WritePicture(dir / "in.bmp", 130, 150);
  const std::string common = "warp '" + (dir / "in.bmp").string() + "' -s '" + (dir / "circle.qshp").string() + "'";
  ASSERT_EQ(RunCli(common + " -o '" + (dir / "fast.bmp").string() + "'", dir / "err"), 0) << Text(dir / "err");
  ASSERT_EQ(RunCli(common + " --reference -o '" + (dir / "plain.bmp").string() + "'", dir / "err"), 0);
  ASSERT_EQ(RunCli(common + " --threads 3 -o '" + (dir / "three.bmp").string() + "'", dir / "err"), 0);
  EXPECT_EQ(ReadBytes(dir / "fast.bmp"), ReadBytes(dir / "plain.bmp"));
  EXPECT_EQ(ReadBytes(dir / "fast.bmp"), ReadBytes(dir / "three.bmp"));
  ASSERT_EQ(RunCli(common + " --preview -o '" + (dir / "small.bmp").string() + "'", dir / "err"), 0);
  TImagePair small;
  ASSERT_EQ(LoadImageFile(small, dir / "small.bmp"), 1);
  EXPECT_EQ(small.width, 100);  // each side by its own ratio
  EXPECT_EQ(small.height, 100);
}

TEST(QuorvelCli, BatchGoesOnPastARefusedPictureAndReportsIt) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  WritePicture(dir / "a.bmp", 40, 30);
  WritePicture(dir / "c.bmp", 30, 40);
  testing::WriteBytes(dir / "b.bmp", {'B', 'M', 1, 2, 3});
  const int status = RunCli("warp '" + (dir / "a.bmp").string() + "' '" + (dir / "b.bmp").string() + "' '" +
                             (dir / "c.bmp").string() + "' -s '" + (dir / "circle.qshp").string() +
                             "' -o '" + (dir / "out").string() + "' --jobs 2 --ext png",
                         dir / "err");
  EXPECT_EQ(status, kExitPictureRefused);
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "a.png"));
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "c.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "out" / "b.png"));
  const std::string err = Text(dir / "err");
  EXPECT_NE(err.find("1 of 3 pictures not warped"), std::string::npos) << err;
  EXPECT_NE(err.find("无法读取图片文件"), std::string::npos) << err;
}

TEST(QuorvelCli, ShapesByNameOrIndexFromTheShapeFolder) {
  TempFolder dir;
  std::filesystem::create_directories(dir / "shapes");
  WriteCircleShape(dir / "shapes" / "round.qshp");
  testing::WriteSquareShape(dir / "shapes" / "Box.qshp");
  WritePicture(dir / "in.bmp", 40, 40);
  const std::string folder = " --shapes '" + (dir / "shapes").string() + "'";
  ASSERT_EQ(RunCli("shapes" + folder, dir / "err"), 0);
  const std::string in = "warp '" + (dir / "in.bmp").string() + "'";
  EXPECT_EQ(RunCli(in + " -s round -o '" + (dir / "1.bmp").string() + "'" + folder, dir / "err"), 0);
  EXPECT_EQ(RunCli(in + " -s box -o '" + (dir / "2.bmp").string() + "'" + folder, dir / "err"), 0);
  EXPECT_EQ(RunCli(in + " -s 1 -o '" + (dir / "3.bmp").string() + "'" + folder, dir / "err"), 0);
  EXPECT_EQ(ReadBytes(dir / "1.bmp"), ReadBytes(dir / "3.bmp"));  // sorted: Box, round
  EXPECT_EQ(RunCli(in + " -s nothing -o '" + (dir / "4.bmp").string() + "'" + folder, dir / "err"),
            kExitShapeUnusable);
  EXPECT_EQ(RunCli(in + " -s '" + (dir / "missing.qshp").string() + "' -o x.bmp", dir / "err"), kExitShapeUnusable);
}

TEST(QuorvelCli, StatusesForUsageRefusedPictureAndUnwritableOutput) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  WritePicture(dir / "in.bmp", 40, 40);
  const std::string shape = " -s '" + (dir / "circle.qshp").string() + "'";
  EXPECT_EQ(RunCli("", dir / "err"), kExitUsage);
  EXPECT_EQ(RunCli("warp", dir / "err"), kExitUsage);
  EXPECT_EQ(RunCli("warp x.bmp -o y.bmp", dir / "err"), kExitUsage);
  EXPECT_EQ(RunCli("warp x.bmp" + shape + " -o y.bmp --angle 361", dir / "err"), kExitUsage);
  EXPECT_EQ(RunCli("warp x.bmp" + shape + " -o y.bmp --direction diagonal", dir / "err"), kExitUsage);
  EXPECT_EQ(RunCli("--help", dir / "err"), kExitSuccess);
  EXPECT_EQ(RunCli("--version", dir / "err"), kExitSuccess);
  EXPECT_EQ(RunCli("warp '" + (dir / "none.bmp").string() + "'" + shape + " -o '" + (dir / "o.bmp").string() + "'",
                dir / "err"),
            kExitPictureRefused);
  EXPECT_EQ(RunCli("warp '" + (dir / "in.bmp").string() + "'" + shape + " -o '" +
                    (dir / "no" / "such" / "folder.bmp").string() + "'",
                dir / "err"),
            kExitOutputNotWritten);
  EXPECT_NE(Text(dir / "err").find("保存图片失败"), std::string::npos);
}

TEST(QuorvelCli, NewFormatsInAndOutKeepTheColourProfile) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  WritePicture(dir / "in.bmp", 60, 50);
  TImagePair in;
  ASSERT_EQ(LoadImageFile(in, dir / "in.bmp"), 1);
  const ByteBlock profile = testing::MakeIccProfile("display");
  ASSERT_TRUE(WriteWebp(in.src.data(), in.height, dir / "in.webp", in.width, profile));
  for (const char* out : {"out.tif", "out.webp", "small.tif"}) {
    const bool preview = std::string(out) == "small.tif";
    ASSERT_EQ(RunCli("warp '" + (dir / "in.webp").string() + "' -s '" + (dir / "circle.qshp").string() +
                         "' -o '" + (dir / out).string() + "'" + (preview ? " --preview" : ""),
                     dir / "err"),
              kExitSuccess)
        << Text(dir / "err");
    TImagePair back;
    ASSERT_EQ(LoadImageFile(back, dir / out), 1) << out;
    EXPECT_EQ(back.width, 60) << out;
    EXPECT_EQ(back.bitDepth, 32u) << out;  // the outside of the shape stays transparent
    EXPECT_EQ(back.iccProfile, profile) << out;
  }
}

TEST(QuorvelCli, OutputsItCannotWriteOrThatCollideAreRefusedBeforeAnyWork) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  std::filesystem::create_directories(dir / "s1");
  std::filesystem::create_directories(dir / "s2");
  for (const char* name : {"s1/x.bmp", "s2/x.bmp", "a.bmp"}) WritePicture(dir / name, 30, 20);
  std::filesystem::copy_file(dir / "a.bmp", dir / "a.jpg");  // only its name matters here
  auto q = [&](const std::string& name) { return " '" + (dir / name).string() + "'"; };
  const std::string shape = " -s" + q("circle.qshp");
  const std::string refused[] = {
      "warp" + q("a.bmp") + shape + " -o" + q("result.gif"),
      "warp" + q("a.bmp") + shape + " -o" + q("result.heic"),  // read, never written
      "warp" + q("a.bmp") + shape + " -o" + q("result"),
      "warp" + q("a.bmp") + q("s1/x.bmp") + shape + " -o" + q("out") + " --ext gif",
      "warp" + q("s1/x.bmp") + q("s2/x.bmp") + shape + " -o" + q("out"),
      "warp" + q("a.bmp") + q("a.jpg") + shape + " -o" + q("out") + " --ext png",
      "warp" + q("a.bmp") + q("s1/x.bmp") + shape + " -o" + q("."),  // a.bmp over itself
  };
  for (const std::string& args : refused) {
    EXPECT_EQ(RunCli(args, dir / "err"), kExitUsage) << args;
    EXPECT_EQ(Text(dir / "err").find("not warped"), std::string::npos) << args;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));
  EXPECT_FALSE(std::filesystem::exists(dir / "result.gif"));
  EXPECT_FALSE(std::filesystem::exists(dir / "result.gif.bmp"));
  EXPECT_EQ(ReadBytes(dir / "a.bmp"), ReadBytes(dir / "a.jpg"));
  // .jpeg is a JPEG, not a BMP with ".bmp" appended.
  ASSERT_EQ(RunCli("warp" + q("a.bmp") + shape + " -o" + q("r.JPEG"), dir / "err"), kExitSuccess);
  const auto jpeg = ReadBytes(dir / "r.JPEG");
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
}

TEST(QuorvelCli, PictureTooLargeForTheAddressSpaceIsRefusedAndTheBatchGoesOn) {
  if (testing::AddressSanitized()) GTEST_SKIP() << "the sanitizer's shadow memory does not fit under an address-space cap";
  {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  // 32767 x 15: a small file whose square work copy alone is 4.3 GB.
  TImagePair wide;
  wide.width = 32767;
  wide.height = 15;
  wide.result.assign(32767u * 15u, 0xFF336699u);
  ASSERT_EQ(SaveImageFile(wide, dir / "wide.png"), 1);
  WritePicture(dir / "small.bmp", 40, 30);
  auto q = [&](const std::string& name) { return " '" + (dir / name).string() + "'"; };
  const std::string capped = "--as=" + std::to_string(std::uint64_t{2} << 30) + " '" + QUORVEL_CLI + "'";
  auto run = [&](const std::string& args) {
    const std::string command = "prlimit " + capped + " " + args + " >/dev/null 2>'" + (dir / "err").string() + "'";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(run("warp" + q("wide.png") + " -s" + q("circle.qshp") + " -o" + q("out.png")), kExitPictureRefused);
  EXPECT_NE(Text(dir / "err").find("内存不足: 需要约 "), std::string::npos) << Text(dir / "err");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
  EXPECT_EQ(run("warp" + q("wide.png") + q("small.bmp") + " -s" + q("circle.qshp") + " -o" + q("out")),
            kExitPictureRefused);
  EXPECT_TRUE(std::filesystem::exists(dir / "out" / "small.bmp"));
  EXPECT_NE(Text(dir / "err").find("1 of 2 pictures not warped"), std::string::npos) << Text(dir / "err");
  }
}

TEST(QuorvelCli, NumbersAreStrictAndEveryCommandHasItsHelp) {
  TempFolder dir;
  WriteCircleShape(dir / "circle.qshp");
  WritePicture(dir / "in.bmp", 40, 40);
  const std::string warp = "warp '" + (dir / "in.bmp").string() + "' -s '" + (dir / "circle.qshp").string() +
                           "' -o '" + (dir / "out.bmp").string() + "'";
  const std::pair<const char*, const char*> refused[] = {
      {" --angle 2.5", "--angle takes a whole number from 0 to 360"},
      {" --angle 12x", "--angle takes a whole number from 0 to 360"},
      {" --feather 100", "--feather takes a whole number from 0 to 99"},
      {" --jobs 0x2", "--jobs takes a whole number from 1 to 64"},
      {" --threads", "--threads needs a value"},
      {" --bogus", "unknown option --bogus"},
  };
  for (const auto& [option, message] : refused) {
    EXPECT_EQ(RunCli(warp + option, dir / "err"), kExitUsage) << option;
    EXPECT_EQ(Text(dir / "err").rfind(std::string("quorvel-cli: ") + message + "\nUsage:\n", 0), 0u) << Text(dir / "err");
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp"));
  for (const char* command : {"warp", "shapes"}) {
    const std::string line = std::string("'") + QUORVEL_CLI + "' " + command + " --help >'" + (dir / "out").string() + "'";
    EXPECT_EQ(std::system(line.c_str()), 0) << command;
    EXPECT_EQ(Text(dir / "out").rfind("Usage:\n  quorvel-cli warp INPUT", 0), 0u) << command;
  }
}

TEST(WarpOptions, BatchOutputNamesFollowTheInputUnlessAsked) {
  EXPECT_EQ(BatchOutputPath("o", "a.webp", ""), std::filesystem::path("o/a.webp"));
  EXPECT_EQ(BatchOutputPath("o", "a.TIFF", ""), std::filesystem::path("o/a.tif"));
  EXPECT_EQ(BatchOutputPath("o", "a.heic", ""), std::filesystem::path("o/a.png"));
  EXPECT_EQ(BatchOutputPath("o", "x/a.JPEG", ""), std::filesystem::path("o/a.jpg"));
  EXPECT_EQ(BatchOutputPath("o", "a.bmp", ""), std::filesystem::path("o/a.bmp"));
  EXPECT_EQ(BatchOutputPath("o", "a.gif", ""), std::filesystem::path("o/a.png"));
  EXPECT_EQ(BatchOutputPath("o", "a.bmp", "PNG"), std::filesystem::path("o/a.png"));
}

}  // namespace
}  // namespace quorvel
