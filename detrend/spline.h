// Cubic smoothing spline with a 50% frequency response at a given period. The band matrix
// and vector work area is owned by this object for the whole run and grows with the
// longest series fitted (at most MXY values).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/limits.h"

namespace ringdate {

// How a fit ended. The caller decides what to tell the user.
enum class SplineStatus { ok, too_short, not_positive_definite, too_long };

class Spline {
 public:
  static constexpr int32_t MXY = max_span_years;
  // Fits the curve g(1..n) to y(1..n); p receives the smoothing parameter. On failure g(1)
  // is -9998 (n < 4) or -9999 (not positive definite); n > MXY leaves g untouched.
  SplineStatus operator()(int32_t n, std::span<const float> y, std::span<float> g, float& p,
                          int32_t iper);

  // Rows of the band Cholesky factor computed since construction: the factor depends only
  // on the smoothing parameter, so a run of series with one period factors each row once.
  int64_t rows_factored() const { return rows_factored_; }

 private:
  // Rows 1..rows_ of the factor of the band matrix for the smoothing parameter sp_ (rows
  // of a shorter series are the leading rows of a longer one's); factored on first need.
  void factor(double sp, int32_t m);

  // The factor, row by row: L(i,i-2), L(i,i-1), 1 / L(i,i). The work area holds the
  // longest series fitted so far.
  std::vector<std::array<double, 3>> a_;
  std::vector<double> v_;
  // The least pivot (squared diagonal before the root) of rows 1..i, for the test that the
  // matrix of m rows is positive definite (NaN once a pivot is NaN).
  std::vector<double> least_pivot_;
  double sp_ = 0.0;
  int32_t rows_ = 0;
  int64_t rows_factored_ = 0;
  // 1-based views of the work area: band slot A(i,j), j = 1..3, and vector element V(i).
  double& a(int32_t i, int32_t j) {
    return a_[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
  }
  double& v(int32_t i) { return v_[static_cast<std::size_t>(i - 1)]; }
};

}  // namespace ringdate
