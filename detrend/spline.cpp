// Cubic smoothing spline: G = Y - Q (Q'Q + p T)^-1 Q'Y, solved as a pentadiagonal system by
// band Cholesky. Double precision inside, single precision in and out.
#include "detrend/spline.h"

#include <cmath>
#include <stdexcept>

namespace ringdate {

namespace {

constexpr double PI = 3.1415926535897936;
// Parameter-free and p-weighted parts of the band columns (second sub-, first sub-, main).
constexpr double C1[3] = {1.0, -4.0, 6.0};
constexpr double C2[3] = {0.0, 0.33333333333333, 1.33333333333333};
// Response at the period; the formula for p below is the one for 50%.
[[maybe_unused]] constexpr double PCT = 0.5;

constexpr float too_short = -9998.0f;
constexpr float not_positive_definite = -9999.0f;

}  // namespace

void Spline::factor(double sp, int32_t m) {
  if (!(sp == sp_)) rows_ = 0;  // another smoothing parameter (or none yet): start again
  sp_ = sp;
  if (m <= rows_) return;
  // Band entries of every row (second sub-, first sub-, main diagonal); the slots that lie
  // outside the matrix (rows 1 and 2) count as 0.
  const double b1 = C1[0] + sp * C2[0], b2 = C1[1] + sp * C2[1], b3 = C1[2] + sp * C2[2];
  // The previous rows' entries carried in locals: r1, r2 = 1/L of rows i-1 and i-2,
  // s1 = L(i-1,i-2).
  double r1 = rows_ >= 1 ? a(rows_, 3) : 0.0;
  double r2 = rows_ >= 2 ? a(rows_ - 1, 3) : 0.0;
  double s1 = rows_ >= 1 ? a(rows_, 2) : 0.0;
  double least = rows_ >= 1 ? least_pivot_[static_cast<std::size_t>(rows_ - 1)] : 0.0;
  for (int32_t i = rows_ + 1; i <= m; ++i) {
    const double l1 = i > 2 ? b1 * r2 : 0.0;
    const double l2 = i > 1 ? (b2 - l1 * s1) * r1 : 0.0;
    const double yy = b3 - l1 * l1 - l2 * l2;
    const double ri = 1.0 / std::sqrt(yy);
    a(i, 1) = l1;
    a(i, 2) = l2;
    a(i, 3) = ri;
    if (i == 1 || std::isnan(yy) || yy < least) least = std::isnan(least) ? least : yy;
    least_pivot_[static_cast<std::size_t>(i - 1)] = least;
    r2 = r1;
    r1 = ri;
    s1 = l2;
  }
  rows_factored_ += m - rows_;
  rows_ = m;
}

SplineStatus Spline::operator()(int32_t n, std::span<const float> y, std::span<float> g, float& p,
                                int32_t iper) {
  // 1. Too short: only the marker.
  if (n < 4) {
    if (!g.empty()) g[0] = too_short;
    return SplineStatus::too_short;
  }
  // 2. Too long for the work area.
  if (n > MXY) return SplineStatus::too_long;
  const auto un = static_cast<std::size_t>(n);
  if (y.size() < un || g.size() < un) throw std::invalid_argument("spline: arrays shorter than n");
  if (a_.size() < un) {  // rows already factored keep their values
    a_.resize(un);
    v_.resize(un);
    least_pivot_.resize(un);
  }
  auto Y = [&](int32_t i) { return static_cast<double>(y[static_cast<std::size_t>(i - 1)]); };

  // 3. Smoothing parameter for a 50% response at the period.
  const int32_t m = n - 2;
  const double per = static_cast<double>(iper);
  const double arg = (PI * 2.0) / per;
  const double c = std::cos(arg);
  const double sp = 6.0 * (c - 1.0) * (c - 1.0) / (c + 2.0);
  p = static_cast<float>(sp);

  // 4. Right-hand side Q'Y.
  for (int32_t i = 1; i <= m; ++i) v(i) = Y(i) - 2.0 * Y(i + 1) + Y(i + 2);

  // 5-6. The factor A = L L' of the band rows of Q'Q + p T, and the test that the matrix is
  // positive definite: a pivot that adds nothing to the diagonal at the series' scale fails
  // (written as "not less" so that a NaN pivot also fails). fl(diag + rn * y) does not
  // decrease as y grows, so testing the least pivot of rows 1..m tests every row.
  factor(sp, m);
  const double rn = 1.0 / (static_cast<double>(m) * 16.0);
  const double diag = C1[2] + sp * C2[2];
  const double least = least_pivot_[static_cast<std::size_t>(m - 1)];
  if (!(diag < diag + rn * least)) {
    g[0] = not_positive_definite;
    return SplineStatus::not_positive_definite;
  }

  // 7. Forward substitution L z = r in place over r; right-hand sides before the first
  // non-zero one give z = 0 (z1, z2 = z(i-1), z(i-2)).
  {
    int32_t i0 = 1;
    while (i0 <= m && v(i0) == 0.0) ++i0;
    for (int32_t i = 1; i < i0; ++i) v(i) = 0.0;
    double z1 = 0.0, z2 = 0.0;
    for (int32_t i = i0; i <= m; ++i) {
      double z = v(i);
      if (i > 2) z -= a(i, 1) * z2;
      if (i > 1) z -= a(i, 2) * z1;
      v(i) = z * a(i, 3);
      z2 = z1;
      z1 = v(i);
    }
  }

  // 8. Back substitution L' x = z.
  {
    v(m) = v(m) * a(m, 3);
    double x1 = v(m), x2 = 0.0;  // x(i+1), x(i+2)
    for (int32_t i = m - 1; i >= 1; --i) {
      double xi = v(i) - a(i + 1, 2) * x1;
      if (i + 2 <= m) xi -= a(i + 2, 1) * x2;
      v(i) = xi * a(i, 3);
      x2 = x1;
      x1 = v(i);
    }
  }

  // 9. Curve: G = Y - Q x, with x(k) = 0 outside 1..M.
  auto x = [&](int32_t k) { return (k < 1 || k > m) ? 0.0 : v(k); };
  auto put = [&](int32_t i, double d) {
    const auto k = static_cast<std::size_t>(i - 1);
    g[k] = y[k] - static_cast<float>(d);
  };
  put(1, x(1));
  put(2, x(2) - 2.0 * x(1));
  for (int32_t i = 3; i <= m; ++i) put(i, v(i - 2) - 2.0 * v(i - 1) + v(i));
  put(n - 1, x(m - 1) - 2.0 * x(m));
  put(n, x(m));
  return SplineStatus::ok;
}

}  // namespace ringdate
