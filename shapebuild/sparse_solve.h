// The one sparse linear solve of the loop methods: a symmetric positive
// definite system given as entries (repeated positions add up), as the grid
// Laplacians make them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quorvel {

struct SparseEntry {
  std::int32_t row = 0;
  std::int32_t col = 0;
  double value = 0.0;
};

// Solves a x = rhs, rhs.size() unknowns; false when the
// factorisation or the solve fails.
[[nodiscard]] bool SolveSparseSymmetric(const std::vector<SparseEntry>& entries, const std::vector<double>& rhs,
                                        std::vector<double>& x);
// A factorised matrix, for solving with several right-hand sides.
class SymmetricFactor {
 public:
  SymmetricFactor();
  ~SymmetricFactor();
  [[nodiscard]] bool Factor(const std::vector<SparseEntry>& entries, std::int32_t unknowns);
  [[nodiscard]] bool Solve(const std::vector<double>& rhs, std::vector<double>& x) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
