#include "xdate/missing_ring.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "xdate/correlation.h"

namespace ringdate::xdate {

namespace {

// The mean of the rings up to two years either side of `year`, the ring itself left out.
double neighbours(const SeriesInput& v, int32_t year) {
  const int64_t k = static_cast<int64_t>(year) - v.first;
  const auto n = static_cast<int64_t>(v.values.size());
  if (k < 0 || k >= n) return absent;
  double sum = 0.0;
  int32_t count = 0;
  for (int64_t j = std::max<int64_t>(k - 2, 0); j <= std::min<int64_t>(k + 2, n - 1); ++j) {
    if (j == k) continue;
    sum += v.values[static_cast<std::size_t>(j)];
    ++count;
  }
  return count > 0 ? sum / count : absent;
}

}  // namespace

double expected_width(const SeriesInput& v, int32_t year, const Track& master_bp) {
  const double level = neighbours(v, year), b = master_bp.at(year);
  if (!present(level) || !present(b)) return absent;
  const double w = level * std::exp(b) / 100.0;
  return std::isfinite(w) ? w : absent;
}

void fill_inserted(SeriesInput& v, int32_t year, const Track& master_bp) {
  const double w = expected_width(v, year, master_bp);
  if (present(w)) v.values[static_cast<std::size_t>(year - v.first)] = w;
}

NarrowPrior::NarrowPrior(const SeriesInput& s, const Track& master_bp, double share)
    : master_bp_(&master_bp), share_(std::clamp(share, 0.0, 1.0)) {
  std::vector<double> w;
  for (double x : s.values) {
    if (x > 0.0 && std::isfinite(x)) w.push_back(x);
  }
  if (w.size() < 20 || !(share_ > 0.0)) return;
  const auto tenth = static_cast<std::ptrdiff_t>(w.size() / 10);
  std::nth_element(w.begin(), w.begin() + tenth, w.end());
  const double low = w[static_cast<std::size_t>(tenth)];
  // log(width / mean of its neighbours) = a + b (the master's value) + e.
  PairSums ps;
  for (std::size_t k = 0; k < s.values.size(); ++k) {
    const double x = s.values[k];
    const int32_t year = s.first + static_cast<int32_t>(k);
    const double level = neighbours(s, year), m = master_bp.at(year);
    if (x > 0.0 && std::isfinite(x) && present(level) && level > 0.0 && present(m))
      ps.add(m, std::log(x / level));
  }
  if (ps.n < 20 || !(low > 0.0)) return;
  const double sxx = ps.sxx - ps.sx * ps.sx / ps.n;
  const double sxy = ps.sxy - ps.sx * ps.sy / ps.n;
  const double syy = ps.syy - ps.sy * ps.sy / ps.n;
  if (!(sxx > 0.0)) return;
  b_ = sxy / sxx;
  a_ = (ps.sy - b_ * ps.sx) / ps.n;
  const double s2 = (syy - b_ * sxy) / (ps.n - 2);
  if (!(s2 > 0.0) || !std::isfinite(s2) || !std::isfinite(a_) || !std::isfinite(b_)) return;
  sd_ = std::sqrt(s2);
  log_low_ = std::log(low);
  ok_ = true;
}

double NarrowPrior::operator()(const SeriesInput& v, int32_t year) const {
  if (!ok_) return 0.0;
  const double level = neighbours(v, year), m = master_bp_->at(year);
  if (!present(level) || !present(m)) return 0.0;
  double q = 1.0;  // neighbours of no width: the ring cannot be wider than the narrowest
  if (level > 0.0) {
    const double z = (log_low_ - std::log(level) - a_ - b_ * m) / sd_;
    q = 0.5 * std::erfc(-z / std::sqrt(2.0));
  }
  // (1 - share) / N anywhere, share / (N / 10) among the narrowest tenth.
  return std::log1p(share_ * (10.0 * q - 1.0));
}

std::optional<int32_t> choose_year(const std::vector<YearScore>& lls, int32_t spread,
                                   double scale) {
  if (lls.empty()) return std::nullopt;
  double top = lls.front().ll;
  for (const YearScore& x : lls) top = std::max(top, x.ll);
  std::optional<int32_t> best;
  double best_mass = -1.0;
  for (const YearScore& c : lls) {
    double mass = 0.0;
    for (const YearScore& x : lls) {
      const int32_t d = std::abs(x.year - c.year);
      if (d <= spread) mass += (spread + 1.0 - d) / (spread + 1.0) * std::exp((x.ll - top) / scale);
    }
    if (best && mass <= best_mass) continue;
    best_mass = mass;
    best = c.year;
  }
  return best;
}

}  // namespace ringdate::xdate
