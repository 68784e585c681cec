#include "xdate/least_squares.h"

// No numeric re-check of the factors in debug builds: a nearly singular system is refused
// by its pivots below, in every build alike.
#define BOOST_UBLAS_TYPE_CHECK 0
#include <algorithm>
#include <boost/numeric/ublas/lu.hpp>
#include <boost/numeric/ublas/matrix.hpp>
#include <boost/numeric/ublas/vector.hpp>
#include <cmath>

namespace ringdate::xdate {

void LeastSquares::add(std::span<const double> x, double y) {
  for (std::size_t i = 0; i < q_; ++i) {
    xty_[i] += x[i] * y;
    for (std::size_t j = 0; j < q_; ++j) xtx_[i * q_ + j] += x[i] * x[j];
  }
  ++rows_;
}

std::optional<std::vector<double>> LeastSquares::solve() const {
  namespace ublas = boost::numeric::ublas;
  if (q_ == 0 || rows_ < q_) return std::nullopt;
  // Storage in std::vector: uBLAS's own array type uses allocator members that C++20 removed.
  ublas::matrix<double, ublas::row_major, std::vector<double>> a(q_, q_);
  ublas::vector<double, std::vector<double>> b(q_);
  double scale = 0.0;  // the largest sum of squares of a regressor
  for (std::size_t i = 0; i < q_; ++i) {
    b(i) = xty_[i];
    for (std::size_t j = 0; j < q_; ++j) a(i, j) = xtx_[i * q_ + j];
    scale = std::max(scale, std::abs(a(i, i)));
  }
  // LU with partial pivoting. A pivot that is only rounding beside the sums (a regressor
  // that the others determine over the rows, such as a reference series equal to the
  // master) leaves no single solution.
  ublas::permutation_matrix<std::size_t, std::vector<std::size_t>> pivots(q_);
  if (ublas::lu_factorize(a, pivots) != 0) return std::nullopt;
  for (std::size_t i = 0; i < q_; ++i) {
    if (!(std::abs(a(i, i)) > 1e-11 * scale)) return std::nullopt;
  }
  ublas::lu_substitute(a, pivots, b);
  std::vector<double> beta(b.begin(), b.end());
  for (double c : beta) {
    if (!std::isfinite(c)) return std::nullopt;
  }
  return beta;
}

}  // namespace ringdate::xdate
