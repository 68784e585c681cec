// Cubic smoothing spline: G = Y - Q (Q'Q + p T)^-1 Q'Y, solved as a pentadiagonal system by
// band Cholesky. Double precision inside, single precision in and out.
#include "detrend/spline.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace ringdate {

namespace {

constexpr double PI = 3.1415926535897936;
// Parameter-free and p-weighted parts of the band columns (second sub-, first sub-, main).
constexpr double C1[3] = {1.0, -4.0, 6.0};
constexpr double C2[3] = {0.0, 0.33333333333333, 1.33333333333333};
// Response at the period; the formula for p below is the one for 50%.
[[maybe_unused]] constexpr double PCT = 0.5;

// Smoothing parameter for a 50% response at the period.
double smoothing(int32_t iper) {
  const double per = static_cast<double>(iper);
  const double arg = (PI * 2.0) / per;
  const double c = std::cos(arg);
  return 6.0 * (c - 1.0) * (c - 1.0) / (c + 2.0);
}

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
  Fit one{n, y, g, SplineStatus::ok, p};
  fit(std::span<Fit>(&one, 1), iper);
  p = one.p;
  return one.status;
}

void Spline::prepare(int32_t n, int32_t iper) {
  if (n < 4 || n > MXY) return;  // no factor is needed
  const auto un = static_cast<std::size_t>(n);
  if (a_.size() < un) {  // rows already factored keep their values
    a_.resize(un);
    least_pivot_.resize(un);
  }
  factor(smoothing(iper), n - 2);
}

void Spline::fit(std::span<Fit> fits, int32_t iper) {
  int32_t longest = 0;
  for (const Fit& x : fits)
    if (x.n <= MXY) longest = std::max(longest, x.n);
  prepare(longest, iper);
  fit(fits, iper, work_);
}

void Spline::fit(std::span<Fit> fits, int32_t iper, Work& work) const {
  // 3. Smoothing parameter for a 50% response at the period.
  const double sp = smoothing(iper);

  // The fits that reach the substitutions, by their work vectors and sizes m.
  std::array<double*, kBatch> vs{};
  std::array<int32_t, kBatch> ms{};
  std::array<Fit*, kBatch> ok{};
  std::size_t nok = 0;
  for (std::size_t f = 0; f < fits.size(); ++f) {
    Fit& x = fits[f];
    // 1. Too short: only the marker.
    if (x.n < 4) {
      if (!x.g.empty()) x.g[0] = too_short;
      x.status = SplineStatus::too_short;
      continue;
    }
    // 2. Too long for the work area.
    if (x.n > MXY) {
      x.status = SplineStatus::too_long;
      continue;
    }
    x.p = static_cast<float>(sp);
    const auto un = static_cast<std::size_t>(x.n);
    if (x.y.size() < un || x.g.size() < un)
      throw std::invalid_argument("spline: arrays shorter than n");
    // 4. Right-hand side Q'Y, in the work vector of the fit's place in the batch (kept
    // between calls, grown for the longest series).
    const int32_t m = x.n - 2;
    // (The parameters compared as bits: a period of 0 gives NaN, prepared as any other.)
    if (std::bit_cast<uint64_t>(sp) != std::bit_cast<uint64_t>(sp_) || m > rows_)
      throw std::logic_error("spline: fit beyond the factor");
    std::vector<double>& v = work.v[nok % kBatch];
    if (v.size() < un) v.resize(un);
    auto Y = [&](int32_t i) { return static_cast<double>(x.y[static_cast<std::size_t>(i - 1)]); };
    for (int32_t i = 1; i <= m; ++i)
      v[static_cast<std::size_t>(i - 1)] = Y(i) - 2.0 * Y(i + 1) + Y(i + 2);

    // 5-6. The factor A = L L' of the band rows of Q'Q + p T, and the test that the matrix is
    // positive definite: a pivot that adds nothing to the diagonal at the series' scale fails
    // (written as "not less" so that a NaN pivot also fails). fl(diag + rn * y) does not
    // decrease as y grows, so testing the least pivot of rows 1..m tests every row (the
    // rows were factored by prepare).
    const double rn = 1.0 / (static_cast<double>(m) * 16.0);
    const double diag = C1[2] + sp * C2[2];
    const double least = least_pivot_[static_cast<std::size_t>(m - 1)];
    if (!(diag < diag + rn * least)) {
      x.g[0] = not_positive_definite;
      x.status = SplineStatus::not_positive_definite;
      continue;
    }
    x.status = SplineStatus::ok;
    vs[nok % kBatch] = v.data();
    ms[nok % kBatch] = m;
    ok[nok % kBatch] = &x;
    ++nok;
    if (nok % kBatch == 0) finish<kBatch>(vs, ms, ok);
  }
  switch (nok % kBatch) {
    case 1:
      finish<1>(vs, ms, ok);
      break;
    case 2:
      finish<2>(vs, ms, ok);
      break;
    case 3:
      finish<3>(vs, ms, ok);
      break;
    default:
      break;
  }
}

template <std::size_t K>
void Spline::finish(const std::array<double*, kBatch>& vs, const std::array<int32_t, kBatch>& ms,
                    const std::array<Fit*, kBatch>& fits) const {
  // Row i of every series' substitution in turn: the series' chains of dependent
  // operations proceed side by side, each doing exactly what it would alone. Rows that not
  // every series has are done by each alone, before (forward) or after (back) the shared
  // ones.
  const auto A = [&](int32_t i, int32_t j) {
    return a_[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
  };
  std::array<double*, K> v;  // 1-based: v[s][i]
  std::array<int32_t, K> m, next;
  std::array<double, K> z1{}, z2{};
  int32_t lo = 1, hi = std::numeric_limits<int32_t>::max();
  for (std::size_t s = 0; s < K; ++s) {
    v[s] = vs[s] - 1;
    m[s] = ms[s];
    // 7. Forward substitution L z = r in place over r; right-hand sides before the first
    // non-zero one give z = 0 (z1, z2 = z(i-1), z(i-2)).
    int32_t i0 = 1;
    while (i0 <= m[s] && v[s][i0] == 0.0) ++i0;
    for (int32_t i = 1; i < i0; ++i) v[s][i] = 0.0;
    next[s] = i0;
    lo = std::max(lo, i0);
    hi = std::min(hi, m[s]);
  }
  const auto forward = [&](std::size_t s, int32_t i) {
    double z = v[s][i];
    if (i > 2) z -= A(i, 1) * z2[s];
    if (i > 1) z -= A(i, 2) * z1[s];
    v[s][i] = z * A(i, 3);
    z2[s] = z1[s];
    z1[s] = v[s][i];
  };
  for (std::size_t s = 0; s < K; ++s)
    for (; next[s] <= std::min(m[s], lo - 1); ++next[s]) forward(s, next[s]);
  if (lo <= hi) {
    for (int32_t i = lo; i <= hi; ++i)
      for (std::size_t s = 0; s < K; ++s) forward(s, i);
    for (std::size_t s = 0; s < K; ++s) next[s] = hi + 1;
  }
  for (std::size_t s = 0; s < K; ++s)
    for (; next[s] <= m[s]; ++next[s]) forward(s, next[s]);

  // 8. Back substitution L' x = z (x1, x2 = x(i+1), x(i+2)).
  std::array<double, K> x1{}, x2{};
  int32_t top = std::numeric_limits<int32_t>::max();
  for (std::size_t s = 0; s < K; ++s) {
    v[s][m[s]] = v[s][m[s]] * A(m[s], 3);
    x1[s] = v[s][m[s]];
    x2[s] = 0.0;
    next[s] = m[s] - 1;
    top = std::min(top, m[s] - 1);
  }
  const auto back = [&](std::size_t s, int32_t i) {
    double xi = v[s][i] - A(i + 1, 2) * x1[s];
    if (i + 2 <= m[s]) xi -= A(i + 2, 1) * x2[s];
    v[s][i] = xi * A(i, 3);
    x2[s] = x1[s];
    x1[s] = v[s][i];
  };
  for (std::size_t s = 0; s < K; ++s)
    for (; next[s] > top; --next[s]) back(s, next[s]);
  for (int32_t i = top; i >= 1; --i)
    for (std::size_t s = 0; s < K; ++s) back(s, i);

  // 9. Curve: G = Y - Q x, with x(k) = 0 outside 1..M.
  for (std::size_t s = 0; s < K; ++s) {
    const Fit& f = *fits[s];
    const int32_t mm = m[s];
    const double* vv = v[s];
    auto x = [&](int32_t k) { return (k < 1 || k > mm) ? 0.0 : vv[k]; };
    auto put = [&](int32_t i, double d) {
      const auto k = static_cast<std::size_t>(i - 1);
      f.g[k] = f.y[k] - static_cast<float>(d);
    };
    put(1, x(1));
    put(2, x(2) - 2.0 * x(1));
    for (int32_t i = 3; i <= mm; ++i) put(i, vv[i - 2] - 2.0 * vv[i - 1] + vv[i]);
    put(f.n - 1, x(mm - 1) - 2.0 * x(mm));
    put(f.n, x(mm));
  }
}

}  // namespace ringdate
