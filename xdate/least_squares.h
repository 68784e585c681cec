// Ordinary least squares of a value on a few regressors, through the normal equations: the
// regressions of the location (a series on its master and the best-agreeing other series).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace ringdate::xdate {

class LeastSquares {
 public:
  // q regressors (the caller includes a column of ones for an intercept).
  explicit LeastSquares(std::size_t q) : q_(q), xtx_(q * q, 0.0), xty_(q, 0.0) {}

  // One row: its q regressors and its value.
  void add(std::span<const double> x, double y);

  std::size_t rows() const { return rows_; }

  // The coefficients, or none when the normal equations are singular (a regressor constant
  // or a combination of the others over the rows added) or have no finite solution.
  std::optional<std::vector<double>> solve() const;

 private:
  std::size_t q_;
  std::size_t rows_ = 0;
  std::vector<double> xtx_, xty_;
};

}  // namespace ringdate::xdate
