#include "xdate/filter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace ringdate::xdate {

namespace {

constexpr double zero_ring = 0.001;  // a width of 0 enters the filter as this

// The number of autocovariance lags tried: min(n - 1, floor(10 log10 n)).
int32_t max_order(std::size_t n) {
  const auto by_log = static_cast<int32_t>(std::floor(10.0 * std::log10(static_cast<double>(n))));
  return std::max(0, std::min(static_cast<int32_t>(n) - 1, by_log));
}

// Two doubles side by side, for sums of two neighbouring positions lane by lane.
typedef double Pair __attribute__((vector_size(16)));

Pair load2(const double* a) {
  Pair p;
  std::memcpy(&p, a, sizeof p);
  return p;
}

double mean_of(std::span<const double> x) {
  double s = 0.0;
  for (double v : x) s += v;
  return x.empty() ? 0.0 : s / static_cast<double>(x.size());
}

}  // namespace

namespace {

// Lag k's sum from position t on, its four partial sums s carried in: blocks of four terms
// by position mod 4, the rest into the first.
double finish_lag(const double* d, std::size_t n, std::size_t k, std::size_t t, double (&s)[4]) {
  const std::size_t m = k < n ? n - k : 0;
  for (; t + 4 <= m; t += 4) {
    s[0] += d[t] * d[t + k];
    s[1] += d[t + 1] * d[t + k + 1];
    s[2] += d[t + 2] * d[t + k + 2];
    s[3] += d[t + 3] * d[t + k + 3];
  }
  for (; t < m; ++t) s[0] += d[t] * d[t + k];
  return (s[0] + s[1]) + (s[2] + s[3]);
}

}  // namespace

void autocovariances(std::span<const double> x, double mean, std::span<double> c) {
  const std::size_t n = x.size();
  std::vector<double> d(n);
  for (std::size_t t = 0; t < n; ++t) d[t] = x[t] - mean;
  // Two lags k and k + 1 at once, in the two lanes of a vector (the values they need at
  // position t are adjacent), over the blocks of four both have; each lag then finishes
  // alone. Each lag's four partial sums take their terms in the order it would alone.
  std::size_t k = 0;
  for (; k + 2 <= c.size(); k += 2) {
    const std::size_t m1 = k + 1 < n ? n - k - 1 : 0;  // terms of lag k + 1
    Pair v0{0, 0}, v1{0, 0}, v2{0, 0}, v3{0, 0};
    std::size_t t = 0;
    for (; t + 4 <= m1; t += 4) {
      const double* dk = d.data() + t + k;
      v0 += Pair{d[t], d[t]} * load2(dk);
      v1 += Pair{d[t + 1], d[t + 1]} * load2(dk + 1);
      v2 += Pair{d[t + 2], d[t + 2]} * load2(dk + 2);
      v3 += Pair{d[t + 3], d[t + 3]} * load2(dk + 3);
    }
    double a[4] = {v0[0], v1[0], v2[0], v3[0]}, b[4] = {v0[1], v1[1], v2[1], v3[1]};
    const double sa = finish_lag(d.data(), n, k, t, a);
    const double sb = finish_lag(d.data(), n, k + 1, t, b);
    c[k] = n == 0 ? 0.0 : sa / static_cast<double>(n);
    c[k + 1] = n == 0 ? 0.0 : sb / static_cast<double>(n);
  }
  for (; k < c.size(); ++k) {
    double s[4] = {0.0, 0.0, 0.0, 0.0};
    const double sum = finish_lag(d.data(), n, k, 0, s);
    c[k] = n == 0 ? 0.0 : sum / static_cast<double>(n);
  }
}

int32_t levinson_durbin(std::span<const double> c, std::vector<double>& v,
                        std::vector<std::vector<double>>& phis) {
  const auto K = static_cast<int32_t>(c.size()) - 1;
  v.assign(1, c.empty() ? 0.0 : c[0]);
  phis.assign(1, {});
  if (K < 1 || !(v[0] > 0.0)) return 0;
  for (int32_t k = 1; k <= K; ++k) {
    const std::vector<double>& prev = phis.back();
    double num = c[static_cast<std::size_t>(k)];
    for (int32_t j = 1; j < k; ++j)
      num -= prev[static_cast<std::size_t>(j - 1)] * c[static_cast<std::size_t>(k - j)];
    const double kappa = num / v.back();
    const double vk = v.back() * (1.0 - kappa * kappa);
    if (!(vk > 0.0) || !std::isfinite(vk)) return k - 1;
    std::vector<double> next(static_cast<std::size_t>(k));
    for (int32_t j = 1; j < k; ++j) {
      next[static_cast<std::size_t>(j - 1)] =
          prev[static_cast<std::size_t>(j - 1)] - kappa * prev[static_cast<std::size_t>(k - j - 1)];
    }
    next[static_cast<std::size_t>(k - 1)] = kappa;
    phis.push_back(std::move(next));
    v.push_back(vk);
  }
  return K;
}

ArModel fit_ar(std::span<const double> x) {
  ArModel model;
  model.mean = mean_of(x);
  if (x.empty()) return model;
  std::vector<double> c(static_cast<std::size_t>(max_order(x.size())) + 1);
  autocovariances(x, model.mean, c);
  std::vector<double> v;
  std::vector<std::vector<double>> phis;
  const int32_t reached = levinson_durbin(c, v, phis);
  if (!(v[0] > 0.0)) return model;  // a constant series: nothing to whiten
  const double n = static_cast<double>(x.size());
  double best = std::numeric_limits<double>::infinity();
  for (int32_t k = 0; k <= reached; ++k) {
    const double aic = n * std::log(v[static_cast<std::size_t>(k)]) + 2.0 * k;
    if (aic < best) {
      best = aic;
      model.order = k;
    }
  }
  model.phi = phis[static_cast<std::size_t>(model.order)];
  return model;
}

std::vector<double> prewhiten(std::span<const double> x, const ArModel& model) {
  const std::size_t n = x.size();
  std::vector<double> f(n, absent);
  const auto p = std::min(static_cast<std::size_t>(std::max(model.order, 0)), model.phi.size());
  std::vector<double> c(n);
  for (std::size_t t = 0; t < n; ++t) c[t] = x[t] - model.mean;
  const double* phi = model.phi.data();
  // Four years t..t + 3 at once, in the lanes of two vectors: the values they need at lag k
  // are adjacent, and each lane takes its terms in the order one year alone would (four
  // partial sums by k mod 4, added at the end).
  std::size_t t = p;
  for (; t + 4 <= n; t += 4) {
    Pair s0a{0, 0}, s1a{0, 0}, s2a{0, 0}, s3a{0, 0}, s0b{0, 0}, s1b{0, 0}, s2b{0, 0}, s3b{0, 0};
    const double* ct = c.data() + t;
    std::size_t k = 1;
    for (; k + 3 <= p; k += 4) {
      const Pair f0{phi[k - 1], phi[k - 1]}, f1{phi[k], phi[k]}, f2{phi[k + 1], phi[k + 1]},
          f3{phi[k + 2], phi[k + 2]};
      s0a += f0 * load2(ct - k);
      s0b += f0 * load2(ct - k + 2);
      s1a += f1 * load2(ct - k - 1);
      s1b += f1 * load2(ct - k + 1);
      s2a += f2 * load2(ct - k - 2);
      s2b += f2 * load2(ct - k);
      s3a += f3 * load2(ct - k - 3);
      s3b += f3 * load2(ct - k - 1);
    }
    for (; k <= p; ++k) {
      const Pair f0{phi[k - 1], phi[k - 1]};
      s0a += f0 * load2(ct - k);
      s0b += f0 * load2(ct - k + 2);
    }
    const Pair mean{model.mean, model.mean};
    const Pair ra = load2(ct) - ((s0a + s1a) + (s2a + s3a)) + mean;
    const Pair rb = load2(ct + 2) - ((s0b + s1b) + (s2b + s3b)) + mean;
    std::memcpy(f.data() + t, &ra, sizeof ra);
    std::memcpy(f.data() + t + 2, &rb, sizeof rb);
  }
  for (; t < n; ++t) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    std::size_t k = 1;
    for (; k + 3 <= p; k += 4) {
      s0 += phi[k - 1] * c[t - k];
      s1 += phi[k] * c[t - k - 1];
      s2 += phi[k + 1] * c[t - k - 2];
      s3 += phi[k + 2] * c[t - k - 3];
    }
    for (; k <= p; ++k) s0 += phi[k - 1] * c[t - k];
    f[t] = c[t] - ((s0 + s1) + (s2 + s3)) + model.mean;
  }
  return f;
}

FilterStatus Filter::index(std::span<const double> w) {
  kept_.clear();
  for (std::size_t t = 0; t < w.size(); ++t) {
    if (!std::isfinite(w[t])) return FilterStatus::invalid;
    if (w[t] >= 0.0) kept_.push_back(t);
  }
  all_kept_ = kept_.size() == w.size();
  const std::size_t n = kept_.size();
  if (n <= 3) return FilterStatus::too_short;
  if (n > static_cast<std::size_t>(Spline::MXY)) return FilterStatus::too_long;
  y_.resize(n);
  g_.resize(n);
  j_.resize(n);
  double ymean = 0.0;
  for (std::size_t t = 0; t < n; ++t) {
    const double x = w[kept_[t]];
    const double y = x == 0.0 ? zero_ring : x;
    y_[t] = static_cast<float>(y);
    ymean += static_cast<double>(y_[t]);
  }
  ymean /= static_cast<double>(n);
  float p = 0.0f;
  if (spline_(static_cast<int32_t>(n), y_, g_, p, spline_period) != SplineStatus::ok)
    return FilterStatus::too_short;
  const bool positive = std::all_of(g_.begin(), g_.end(), [](float g) { return g > 0.0f; });
  double isum = 0.0;
  for (std::size_t t = 0; t < n; ++t) {
    const double g = positive ? static_cast<double>(g_[t]) : ymean;
    j_[t] = static_cast<double>(y_[t]) / g;
    isum += j_[t];
  }
  const double imean = isum / static_cast<double>(n);
  if (!(imean > 0.0) || !std::isfinite(imean)) return FilterStatus::too_short;
  for (double& j : j_) j /= imean;
  return FilterStatus::ok;
}

std::vector<double> Filter::spread(const std::vector<double>& f, std::size_t n) const {
  if (all_kept_) return f;
  std::vector<double> out(n, absent);
  for (std::size_t t = 0; t < kept_.size() && t < f.size(); ++t) out[kept_[t]] = f[t];
  return out;
}

Filtered Filter::operator()(int32_t first, std::span<const double> w) {
  Filtered out;
  out.values.first = first;
  out.status = index(w);
  if (out.status != FilterStatus::ok) return out;
  out.model = fit_ar(j_);
  out.values.v = spread(prewhiten(j_, out.model), w.size());
  out.ar_order = out.model.order;
  return out;
}

Filtered Filter::operator()(int32_t first, std::span<const double> w, const ArModel& model) {
  Filtered out;
  out.values.first = first;
  out.status = index(w);
  if (out.status != FilterStatus::ok) return out;
  out.model = model;
  out.model.mean = 0.0;
  for (double j : j_) out.model.mean += j;
  out.model.mean /= static_cast<double>(j_.size());
  out.values.v = spread(prewhiten(j_, out.model), w.size());
  out.ar_order = model.order;
  return out;
}

}  // namespace ringdate::xdate
