#include "xdate/correlation.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>

namespace ringdate::xdate {

namespace {

// Double precision throughout: Boost would otherwise compute in long double.
using Policy = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
using StudentsT = boost::math::students_t_distribution<double, Policy>;

// r from centred sums; invalid when a side is constant or there are fewer than 3 pairs.
// A side varies when its sum of squares about the mean is more than rounding of the sum of
// squares of its values: a constant side left with a rounding residue has no correlation.
bool varies(double centred, double raw) { return centred > 1e-12 * raw; }

Correlation from_centred(int32_t n, double sxx, double syy, double sxy, double rxx, double ryy) {
  Correlation c;
  c.n = n;
  if (n < 3 || !varies(sxx, rxx) || !varies(syy, ryy)) return c;
  const double r = sxy / std::sqrt(sxx * syy);
  if (!std::isfinite(r)) return c;
  c.r = std::clamp(r, -1.0, 1.0);
  c.valid = true;
  return c;
}

}  // namespace

double Correlation::t() const {
  if (!valid) return 0.0;
  const double den = std::max(1.0 - r * r, std::numeric_limits<double>::min());
  return r * std::sqrt(static_cast<double>(n - 2)) / std::sqrt(den);
}

double Correlation::p() const {
  if (!valid) return 1.0;
  return upper_tail(t(), n - 2);
}

double upper_tail(double t, int32_t df) {
  if (df < 1 || std::isnan(t)) return 1.0;
  if (std::isinf(t)) return t > 0 ? 0.0 : 1.0;
  const StudentsT dist(static_cast<double>(df));
  return boost::math::cdf(boost::math::complement(dist, t));
}

double critical_r(int32_t n, double pcrit) {
  if (n < 3 || !(pcrit > 0.0 && pcrit < 1.0)) return 1.0;
  const double df = static_cast<double>(n - 2);
  const StudentsT dist(df);
  const double t = boost::math::quantile(boost::math::complement(dist, pcrit));
  return t / std::sqrt(t * t + df);
}

PairSums& PairSums::operator+=(const PairSums& o) {
  n += o.n;
  sx += o.sx;
  sy += o.sy;
  sxx += o.sxx;
  syy += o.syy;
  sxy += o.sxy;
  return *this;
}

PairSums& PairSums::operator-=(const PairSums& o) {
  n -= o.n;
  sx -= o.sx;
  sy -= o.sy;
  sxx -= o.sxx;
  syy -= o.syy;
  sxy -= o.sxy;
  return *this;
}

Correlation PairSums::result() const {
  if (n < 3) return Correlation{static_cast<int32_t>(std::max(n, 0.0)), 0.0, false};
  const double cxx = sxx - sx * sx / n;
  const double cyy = syy - sy * sy / n;
  const double cxy = sxy - sx * sy / n;
  return from_centred(static_cast<int32_t>(n), cxx, cyy, cxy, sxx, syy);
}

Correlation correlate(const Track& a, const Track& b, int32_t from, int32_t to, int32_t lag) {
  // Keep the years where a has values and b has values at t + lag: within from..to both
  // tracks hold the year, so the values are read by position.
  from = std::max({from, a.first, b.first - lag});
  to = std::min({to, a.last(), b.last() - lag});
  if (to < from) return Correlation{0, 0.0, false};
  const double* xa = a.v.data() + (static_cast<int64_t>(from) - a.first);
  const double* yb = b.v.data() + (static_cast<int64_t>(from) + lag - b.first);
  const auto len = static_cast<std::size_t>(static_cast<int64_t>(to) - from + 1);
  int32_t n = 0;
  double sa = 0.0, sb = 0.0;
  for (std::size_t k = 0; k < len; ++k) {
    const double x = xa[k], y = yb[k];
    if (!present(x) || !present(y)) continue;
    ++n;
    sa += x;
    sb += y;
  }
  if (n < 3) return Correlation{n, 0.0, false};
  const double ma = sa / n, mb = sb / n;
  double sxx = 0.0, syy = 0.0, sxy = 0.0, rxx = 0.0, ryy = 0.0;
  for (std::size_t k = 0; k < len; ++k) {
    const double x = xa[k], y = yb[k];
    if (!present(x) || !present(y)) continue;
    rxx += x * x;
    ryy += y * y;
    sxx += (x - ma) * (x - ma);
    syy += (y - mb) * (y - mb);
    sxy += (x - ma) * (y - mb);
  }
  return from_centred(n, sxx, syy, sxy, rxx, ryy);
}

Correlation correlate(const Track& a, const Track& b) {
  return correlate(a, b, a.first, a.last(), 0);
}

}  // namespace ringdate::xdate
