#include "shapebuild/sparse_solve.h"

#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>

namespace quorvel {

bool SolveSparseSymmetric(const std::vector<SparseEntry>& entries, const std::vector<double>& rhs,
                          std::vector<double>& x) {
  const auto unknowns = static_cast<Eigen::Index>(rhs.size());
  std::vector<Eigen::Triplet<double>> triplets;
  triplets.reserve(entries.size());
  for (const SparseEntry& e : entries) triplets.emplace_back(e.row, e.col, e.value);
  Eigen::SparseMatrix<double> a(unknowns, unknowns);
  a.setFromTriplets(triplets.begin(), triplets.end());
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> solver(a);
  if (solver.info() != Eigen::Success) return false;
  const Eigen::VectorXd b = Eigen::Map<const Eigen::VectorXd>(rhs.data(), unknowns);
  const Eigen::VectorXd solved = solver.solve(b);
  if (solver.info() != Eigen::Success) return false;
  x.assign(solved.data(), solved.data() + solved.size());
  return true;
}

}  // namespace quorvel
