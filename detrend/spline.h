// Cubic smoothing spline with a 50% frequency response at a given period. The band matrix
// and vector work area is fixed (MXY values) and owned by this object for the whole run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "recio/session.h"

namespace ringdate {

class Spline {
 public:
  static constexpr int32_t MXY = 2000;
  explicit Spline(recio::Session& session) : s_(&session) {}
  // Fits the curve g(1..n) to y(1..n); p receives the smoothing parameter. On failure g(1)
  // is -9998 (n < 4) or -9999 (not positive definite); n > MXY ends the program.
  void operator()(int32_t n, std::span<const float> y, std::span<float> g, float& p, int32_t iper);

 private:
  recio::Session* s_;
  std::array<std::array<double, 3>, MXY> a_{};  // band rows: second sub-, first sub-, main diagonal
  std::array<double, MXY> v_{};
  // 1-based views of the work area: band slot A(i,j), j = 1..3, and vector element V(i).
  double& a(int32_t i, int32_t j) { return a_[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)]; }
  double& v(int32_t i) { return v_[static_cast<std::size_t>(i - 1)]; }
};

}  // namespace ringdate
