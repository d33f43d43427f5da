#include "shapes/shape_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "raster/message_sink.h"
#include "tests/support/message_capture.h"
#include "shapes/folder_catalog.h"
#include "shapes/platform.h"
#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteBytes;
using testing::WriteSquareShape;

void Touch(const fs::path& path) { WriteBytes(path, {}); }

std::vector<std::string> RelativeNames(const std::vector<fs::path>& files, const fs::path& root) {
  std::vector<std::string> names;
  for (const fs::path& f : files) names.push_back(f.lexically_relative(root).generic_string());
  return names;
}

TEST(FolderCatalog, WalksBreadthFirstInNameOrder) {
  TempFolder dir;
  fs::create_directories(dir / "sub" / "deeper");
  fs::create_directories(dir / "Zed");
  fs::create_directory(dir / "y.qshp");
  Touch(dir / "B.qshp");
  Touch(dir / "a.QSHP");
  Touch(dir / "b.qshp");
  Touch(dir / "x.qshp.bak");
  Touch(dir / "x.txt");
  Touch(dir / "qshp");  // no dot: the whole name is the extension
  Touch(dir / "sub" / "c.qshp");
  Touch(dir / "sub" / "deeper" / "d.qshp");
  Touch(dir / "Zed" / "e.qshp");
  Touch(dir / "y.qshp" / "f.qshp");

  FolderCatalog catalog;
  const std::vector<fs::path>& files = ScanFolderCatalog(catalog, dir.path(), {"qshp"});
  EXPECT_EQ(RelativeNames(files, dir.path()),
            (std::vector<std::string>{"a.QSHP", "B.qshp", "b.qshp", "qshp", "sub/c.qshp",
                                      "y.qshp/f.qshp", "Zed/e.qshp", "sub/deeper/d.qshp"}));
  EXPECT_EQ(&files, &catalog.files);
}

TEST(FolderCatalog, LeavesOutHiddenEntriesAndLinkedFolders) {
  TempFolder dir;
  TempFolder outside;
  Touch(outside / "linked.qshp");
  fs::create_directory(dir / ".hidden");
  Touch(dir / ".hidden" / "in_hidden.qshp");
  Touch(dir / ".secret.qshp");
  Touch(dir / "shown.qshp");
  fs::create_directory_symlink(outside.path(), dir / "link");
  fs::create_directory_symlink(dir.path(), dir / "loop");  // would never end if followed

  FolderCatalog catalog;
  EXPECT_EQ(RelativeNames(ScanFolderCatalog(catalog, dir.path(), {"qshp"}), dir.path()),
            std::vector<std::string>{"shown.qshp"});
}

TEST(FolderCatalog, RootThatIsHiddenOrMissing) {
  TempFolder dir;
  fs::create_directory(dir / ".root");
  Touch(dir / ".root" / "s.qshp");
  FolderCatalog catalog;
  EXPECT_EQ(ScanFolderCatalog(catalog, dir / ".root", {"qshp"}).size(), 1u);
  EXPECT_TRUE(ScanFolderCatalog(catalog, dir / "absent", {"qshp"}).empty());
}

TEST(ScanShapeFolder, ListsEveryFileWithNameFolderPathAndOutline) {
  TempFolder dir;
  fs::create_directory(dir / "sub");
  WriteSquareShape(dir / "B.qshp");
  WriteSquareShape(dir / "a.QSHP");
  Touch(dir / "sub" / "c.qshp");  // unreadable: listed with an empty outline
  WriteSquareShape(dir / "sub" / "b.c.qshp");

  TWarpEngine engine;
  engine.selected = 3;
  testing::MessageCapture sink;
  ScanShapeFolder(engine, dir.path());
  EXPECT_TRUE(sink.texts.empty());
  ASSERT_EQ(engine.shapes.size(), 4u);
  EXPECT_EQ(engine.selected, -1);
  EXPECT_EQ(engine.shapes[0].name, "a");
  EXPECT_EQ(engine.shapes[0].path, dir / "a.QSHP");
  EXPECT_EQ(engine.shapes[0].folder, dir.path());
  EXPECT_EQ(engine.shapes[0].outline.size(), 4u);
  EXPECT_EQ(engine.shapes[1].name, "B");
  EXPECT_EQ(engine.shapes[2].name, "b.c");
  EXPECT_EQ(engine.shapes[3].name, "c");
  EXPECT_EQ(engine.shapes[3].folder, dir / "sub");
  EXPECT_TRUE(engine.shapes[3].outline.empty());
}

TEST(ScanShapeFolder, NoShapeFilesShowsTheMessageAndKeepsTheList) {
  TempFolder dir;
  Touch(dir / "x.qshp.bak");
  TWarpEngine engine;
  engine.shapes.push_back(ShapeEntry{{}, "kept", {}, {}});
  testing::MessageCapture sink;
  ScanShapeFolder(engine, dir.path());
  EXPECT_EQ(sink.texts, std::vector<std::string>{kNoShapeFilesMessage});
  Touch(dir / "plain-file");
  ScanShapeFolder(engine, dir / "plain-file");  // a file where the folder should be
  EXPECT_EQ(sink.texts.size(), 2u);
  ScanShapeFolder(engine, dir / "absent");  // silent
  EXPECT_EQ(sink.texts.size(), 2u);
  ASSERT_EQ(engine.shapes.size(), 1u);
  EXPECT_EQ(engine.shapes[0].name, "kept");
}

TEST(ScanShapeFolders, BundledFirstUnchangedThenTheUsersMarked) {
  TempFolder dir;
  fs::create_directories(dir / "bundled" / "sub");
  fs::create_directories(dir / "user");
  WriteSquareShape(dir / "bundled" / "b.qshp");
  WriteSquareShape(dir / "bundled" / "sub" / "a.qshp");
  WriteSquareShape(dir / "user" / "a.qshp");
  WriteSquareShape(dir / "user" / ".hidden.qshp");
  testing::MessageCapture sink;
  TWarpEngine alone, both;
  ScanShapeFolder(alone, dir / "bundled");
  ScanShapeFolders(both, dir / "bundled", dir / "user");
  ASSERT_EQ(both.shapes.size(), 3u);
  for (std::size_t i = 0; i < alone.shapes.size(); ++i) {
    EXPECT_EQ(both.shapes[i].path, alone.shapes[i].path);
    EXPECT_FALSE(both.shapes[i].user);
  }
  EXPECT_EQ(both.shapes[2].path, dir / "user" / "a.qshp");
  EXPECT_TRUE(both.shapes[2].user);
  EXPECT_FALSE(both.shapes[2].outline.empty());

  // A missing user folder adds nothing; user shapes alone need no message;
  // nothing anywhere is the bundled folder's message.
  TWarpEngine missing, only_user, none;
  ScanShapeFolders(missing, dir / "bundled", dir / "absent");
  EXPECT_EQ(missing.shapes.size(), 2u);
  fs::create_directories(dir / "empty");
  ScanShapeFolders(only_user, dir / "empty", dir / "user");
  EXPECT_EQ(only_user.shapes.size(), 1u);
  EXPECT_TRUE(sink.texts.empty());
  ScanShapeFolders(none, dir / "empty", dir / "absent");
  EXPECT_EQ(sink.texts, std::vector<std::string>{kNoShapeFilesMessage});
}

TEST(SelectShape, LoadsFromTheExactPathAndFollowsTheRules) {
  TempFolder dir;
  WriteSquareShape(dir / "a.QSHP");  // found only through the kept path here
  Touch(dir / "b.qshp");             // refused by the reader
  WriteSquareShape(dir / "c.qshp");
  TWarpEngine engine;
  EXPECT_EQ(SelectShape(engine, 0), 0);  // empty list

  ScanShapeFolder(engine, dir.path());
  ASSERT_EQ(engine.shapes.size(), 3u);
  EXPECT_EQ(SelectShape(engine, 0), 1);
  EXPECT_EQ(engine.selected, 0);
  ASSERT_EQ(engine.shape_polylines.size(), 1u);
  EXPECT_EQ(engine.shape_polylines[0].segments.size(), 4u);

  engine.shape_polylines[0].segments.clear();  // a reload would restore it
  EXPECT_EQ(SelectShape(engine, 0), 3);
  EXPECT_TRUE(engine.shape_polylines[0].segments.empty());
  EXPECT_EQ(SelectShape(engine, -1), 3);
  EXPECT_EQ(SelectShape(engine, 3), 3);
  EXPECT_EQ(engine.selected, 0);

  EXPECT_EQ(SelectShape(engine, 1), 0);  // refused file: nothing changes
  EXPECT_EQ(engine.selected, 0);
  EXPECT_TRUE(engine.shape_polylines[0].segments.empty());

  EXPECT_EQ(SelectShape(engine, 2), 1);
  EXPECT_EQ(engine.selected, 2);
  EXPECT_EQ(engine.shape_polylines[0].segments.size(), 4u);
}

TEST(SelectShape, FirstShapeRefusedLeavesNoneSelected) {
  TempFolder dir;
  WriteBytes(dir / "a.qshp", std::vector<std::uint8_t>(43, 0));
  WriteSquareShape(dir / "b.qshp");
  TWarpEngine engine;
  ScanShapeFolder(engine, dir.path());
  ASSERT_EQ(engine.shapes.size(), 2u);
  EXPECT_EQ(SelectShape(engine, 0), 0);
  EXPECT_EQ(engine.selected, -1);
  EXPECT_TRUE(engine.shape_polylines.empty());
}

TEST(Platform, ShapeFolderLiesBesideTheExecutable) {
  const fs::path folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(folder / "shapes_tests"));
  EXPECT_EQ(DefaultShapeFolder(), folder / "quorvel-shapes");
}

TEST(Platform, UserShapeFolderFollowsTheBaseDirectoryRules) {
  const char* saved_data = std::getenv("XDG_DATA_HOME");
  const char* saved_home = std::getenv("HOME");
  const std::string data = saved_data ? saved_data : "", home = saved_home ? saved_home : "";
  setenv("HOME", "/home/u", 1);
  setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(UserShapeFolder(), fs::path("/data/quorvel/shapes"));
  setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(UserShapeFolder(), fs::path("/home/u/.local/share/quorvel/shapes"));
  unsetenv("XDG_DATA_HOME");
  unsetenv("HOME");
  EXPECT_TRUE(UserShapeFolder().empty());
  if (saved_home) setenv("HOME", home.c_str(), 1);
  if (saved_data) setenv("XDG_DATA_HOME", data.c_str(), 1);
}

TEST(Platform, NameOrderIgnoresCaseThenUsesBytes) {
  std::vector<std::string> names{"b", "B", "a.qshp", "A.qshp", "_x", "10", "9"};
  std::sort(names.begin(), names.end(), NameLessCaseInsensitive);
  // Letters fold to lower case, so "_" (0x5F) sorts before every letter.
  EXPECT_EQ(names, (std::vector<std::string>{"10", "9", "_x", "A.qshp", "a.qshp", "B", "b"}));
}

}  // namespace
}  // namespace quorvel
