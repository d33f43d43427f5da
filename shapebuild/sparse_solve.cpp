#include "shapebuild/sparse_solve.h"

#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>

namespace quorvel {

struct SymmetricFactor::Impl {
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> solver;
  Eigen::Index unknowns = 0;
};

SymmetricFactor::SymmetricFactor() = default;
SymmetricFactor::~SymmetricFactor() = default;

bool SymmetricFactor::Factor(const std::vector<SparseEntry>& entries, std::int32_t unknowns) {
  impl_ = std::make_unique<Impl>();
  impl_->unknowns = unknowns;
  std::vector<Eigen::Triplet<double>> triplets;
  triplets.reserve(entries.size());
  for (const SparseEntry& e : entries) triplets.emplace_back(e.row, e.col, e.value);
  Eigen::SparseMatrix<double> a(unknowns, unknowns);
  a.setFromTriplets(triplets.begin(), triplets.end());
  impl_->solver.compute(a);
  if (impl_->solver.info() == Eigen::Success) return true;
  impl_.reset();
  return false;
}

bool SymmetricFactor::Solve(const std::vector<double>& rhs, std::vector<double>& x) const {
  if (!impl_ || static_cast<Eigen::Index>(rhs.size()) != impl_->unknowns) return false;
  const Eigen::VectorXd solved = impl_->solver.solve(Eigen::Map<const Eigen::VectorXd>(rhs.data(), impl_->unknowns));
  if (impl_->solver.info() != Eigen::Success) return false;
  x.assign(solved.data(), solved.data() + solved.size());
  return true;
}

bool SolveSparseSymmetric(const std::vector<SparseEntry>& entries, const std::vector<double>& rhs,
                          std::vector<double>& x) {
  SymmetricFactor factor;
  return factor.Factor(entries, static_cast<std::int32_t>(rhs.size())) && factor.Solve(rhs, x);
}

}  // namespace quorvel
