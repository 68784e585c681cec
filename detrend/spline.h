// Cubic smoothing spline with a 50% frequency response at a given period. The band matrix
// and vector work area is fixed (MXY values) and owned by this object for the whole run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/limits.h"

namespace ringdate {

// How a fit ended. The caller decides what to tell the user.
enum class SplineStatus { ok, too_short, not_positive_definite, too_long };

class Spline {
 public:
  static constexpr int32_t MXY = mxyr;
  // Fits the curve g(1..n) to y(1..n); p receives the smoothing parameter. On failure g(1)
  // is -9998 (n < 4) or -9999 (not positive definite); n > MXY leaves g untouched.
  SplineStatus operator()(int32_t n, std::span<const float> y, std::span<float> g, float& p,
                          int32_t iper);

 private:
  std::array<std::array<double, 3>, MXY> a_{};  // band rows: second sub-, first sub-, main diagonal
  std::array<double, MXY> v_{};
  // 1-based views of the work area: band slot A(i,j), j = 1..3, and vector element V(i).
  double& a(int32_t i, int32_t j) {
    return a_[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
  }
  double& v(int32_t i) { return v_[static_cast<std::size_t>(i - 1)]; }
};

}  // namespace ringdate
