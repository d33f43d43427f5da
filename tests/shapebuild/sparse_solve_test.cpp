// The one sparse solve the loop methods share.
#include "shapebuild/sparse_solve.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvel {
namespace {

// u'' = 0 on a line of nodes with u = 0 left of the first and u = 1 right of
// the last: the solution is linear. The diagonal comes in two halves, as a
// grid assembly adds a neighbour at a time, and must be summed.
TEST(SolveSparseSymmetric, LineLaplacianIsLinearAndRepeatedEntriesAddUp) {
  constexpr std::int32_t n = 50;
  std::vector<SparseEntry> entries;
  std::vector<double> rhs(n, 0.0);
  for (std::int32_t i = 0; i < n; ++i) {
    entries.push_back({i, i, 1.0});
    entries.push_back({i, i, 1.0});
    if (i > 0) entries.push_back({i, i - 1, -1.0});
    if (i + 1 < n) entries.push_back({i, i + 1, -1.0});
  }
  rhs[n - 1] = 1.0;
  std::vector<double> x;
  ASSERT_TRUE(SolveSparseSymmetric(entries, rhs, x));
  ASSERT_EQ(x.size(), std::size_t(n));
  for (std::int32_t i = 0; i < n; ++i) EXPECT_NEAR(x[std::size_t(i)], (i + 1.0) / (n + 1.0), 1e-12);
}

TEST(SolveSparseSymmetric, SingularSystemFails) {
  // A free line with no fixed end: u + c solves it for every c.
  std::vector<SparseEntry> entries = {{0, 0, 1.0}, {0, 1, -1.0}, {1, 0, -1.0}, {1, 1, 1.0}};
  std::vector<double> x;
  EXPECT_FALSE(SolveSparseSymmetric(entries, {0.0, 0.0}, x));
}

}  // namespace
}  // namespace quorvel
