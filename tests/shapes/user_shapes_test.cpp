#include "shapes/user_shapes.h"

#include <gtest/gtest.h>

#include "tests/support/shape_test_support.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteSquareShape;

TEST(UserShapes, NamesStayInsideTheFolder) {
  EXPECT_TRUE(IsSafeUserShapeName("my heart"));
  EXPECT_TRUE(IsSafeUserShapeName("Ωmega"));
  for (const char* bad : {"", "../x", "a/b", ".hidden", "..", "tab\there"}) EXPECT_FALSE(IsSafeUserShapeName(bad)) << bad;
  EXPECT_FALSE(IsSafeUserShapeName(std::string(201, 'a')));
  EXPECT_EQ(UserShapeNameFor("/in/Logo.final.svg"), "Logo.final");
  EXPECT_EQ(UserShapeNameFor("/in/..hidden.png"), "hidden");
  EXPECT_EQ(UserShapeNameFor("/in/.svg"), "shape");
  EXPECT_EQ(UserShapeNameFor("/in/a\nb.svg"), "a_b");
  EXPECT_EQ(UserShapeNameFor("/in/Ω.svg"), "Ω");
  // Cut to length on a character boundary.
  const std::string name = UserShapeNameFor(std::string(199, 'a') + "ΩΩ.svg");
  EXPECT_EQ(name, std::string(199, 'a'));
}

TEST(UserShapes, PlacingNeverReplacesAndRemovingFindsTheName) {
  TempFolder dir;
  fs::path placed;
  for (const char* expected : {"star.qshp", "star-2.qshp", "star-3.qshp"}) {
    WriteSquareShape(dir / ".built");
    ASSERT_TRUE(PlaceUserShape(dir / ".built", dir.path(), "star", placed));
    EXPECT_EQ(placed, dir / expected);
    EXPECT_FALSE(fs::exists(dir / ".built"));
  }
  WriteSquareShape(dir / ".built");
  EXPECT_FALSE(PlaceUserShape(dir / ".built", dir.path(), "../star", placed));
  EXPECT_FALSE(fs::exists(dir / ".built"));
  EXPECT_FALSE(fs::exists(dir.path().parent_path() / "star.qshp"));

  WriteSquareShape(dir / "Moon.QSHP");
  EXPECT_EQ(RemoveUserShape(dir.path(), "Moon"), UserShapeRemoval::kRemoved);
  EXPECT_FALSE(fs::exists(dir / "Moon.QSHP"));
  EXPECT_EQ(RemoveUserShape(dir.path(), "star-2"), UserShapeRemoval::kRemoved);
  EXPECT_TRUE(fs::exists(dir / "star.qshp"));
  EXPECT_EQ(RemoveUserShape(dir.path(), "star-2"), UserShapeRemoval::kNotFound);
  EXPECT_EQ(RemoveUserShape(dir.path(), "../star"), UserShapeRemoval::kNotFound);
}

}  // namespace
}  // namespace quorvel
