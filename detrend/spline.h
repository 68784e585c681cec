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

  // One fit of a batch: n, y and g as above; status and p are set.
  struct Fit {
    int32_t n = 0;
    std::span<const float> y;
    std::span<float> g;
    SplineStatus status = SplineStatus::ok;
    float p = 0.0f;
  };
  // Fits several series, each exactly as a call of its own would (bit for bit, failures
  // included), the substitutions of up to four series side by side: they are chains of
  // dependent operations, which the processor can then overlap.
  void fit(std::span<Fit> fits, int32_t iper);
  static constexpr std::size_t kBatch = 4;

  // The work vectors of one thread's fits.
  struct Work {
    std::array<std::vector<double>, kBatch> v;  // a vector per series of a batch
  };
  // Factors ahead for series of up to n values at the period iper, so that their fits only
  // read the factor (the fit below).
  void prepare(int32_t n, int32_t iper);
  // The same fits as fit(fits, iper), bit for bit, in `work`, for series that prepare has
  // covered (a longer one, or another period, throws std::logic_error): it changes nothing
  // of the spline, so several threads may fit at once, each with a work of its own.
  void fit(std::span<Fit> fits, int32_t iper, Work& work) const;

  // Rows of the band Cholesky factor computed since construction: the factor depends only
  // on the smoothing parameter, so a run of series with one period factors each row once.
  int64_t rows_factored() const { return rows_factored_; }

 private:
  // Rows 1..rows_ of the factor of the band matrix for the smoothing parameter sp_ (rows
  // of a shorter series are the leading rows of a longer one's); factored on first need.
  void factor(double sp, int32_t m);
  // The substitutions and curves of K fits whose right-hand sides are in vs (sizes ms).
  template <std::size_t K>
  void finish(const std::array<double*, kBatch>& vs, const std::array<int32_t, kBatch>& ms,
              const std::array<Fit*, kBatch>& fits) const;

  // The factor, row by row: L(i,i-2), L(i,i-1), 1 / L(i,i). The work area holds the
  // longest series fitted so far.
  std::vector<std::array<double, 3>> a_;
  Work work_;  // the work vectors of fit(fits, iper)
  // The least pivot (squared diagonal before the root) of rows 1..i, for the test that the
  // matrix of m rows is positive definite (NaN once a pivot is NaN).
  std::vector<double> least_pivot_;
  double sp_ = 0.0;
  int32_t rows_ = 0;
  int64_t rows_factored_ = 0;
  // 1-based view of the factor: band slot A(i,j), j = 1..3.
  double& a(int32_t i, int32_t j) {
    return a_[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
  }
};

}  // namespace ringdate
