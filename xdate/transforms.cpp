#include "xdate/transforms.h"

#include <cmath>
#include <cstdlib>

namespace ringdate::xdate {

namespace {

int sign(double d) { return (d > 0.0) - (d < 0.0); }

Track like(const Track& w) { return Track{w.first, std::vector<double>(w.v.size(), absent)}; }

}  // namespace

Track baillie_pilcher(const Track& widths) {
  Track b = like(widths);
  const std::size_t n = widths.v.size();
  for (std::size_t t = 2; t + 2 < n; ++t) {
    double sum = 0.0;
    bool all = true;
    for (std::size_t k = t - 2; k <= t + 2; ++k) {
      all = all && present(widths.v[k]);
      sum += widths.v[k];
    }
    if (!all) continue;
    const double x = std::log(100.0 * widths.v[t] / (sum / 5.0));
    if (std::isfinite(x)) b.v[t] = x;
  }
  return b;
}

Track hollstein(const Track& widths) {
  Track h = like(widths);
  for (std::size_t t = 1; t < widths.v.size(); ++t) {
    const double x = 100.0 * std::log10(widths.v[t] / widths.v[t - 1]);
    if (std::isfinite(x)) h.v[t] = x;
  }
  return h;
}

Glk gleichlaeufigkeit(const Track& widths, const Track& master) {
  Glk g;
  double sum = 0.0;
  bool x_moves = false, m_moves = false;
  for (int32_t t = widths.first + 1; t <= widths.last(); ++t) {
    const double x0 = widths.at(t - 1), x1 = widths.at(t);
    const double m0 = master.at(t - 1), m1 = master.at(t);
    if (!present(x0) || !present(x1) || !present(m0) || !present(m1)) continue;
    ++g.n;
    x_moves = x_moves || x1 != x0;
    m_moves = m_moves || m1 != m0;
    sum += 1.0 - std::abs(sign(x1 - x0) - sign(m1 - m0)) / 2.0;
  }
  g.varies = x_moves && m_moves;
  if (g.n > 0) g.value = sum / g.n;
  return g;
}

}  // namespace ringdate::xdate
