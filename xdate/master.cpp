#include "xdate/master.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ringdate::xdate {

namespace {

constexpr double tuning = 9.0;
constexpr double guard = 1e-6;

// Median of an ascending sequence of m values given by position.
template <class At>
double median_at(std::size_t m, At at) {
  if (m % 2 == 1) return at((m - 1) / 2);
  return (at(m / 2 - 1) + at(m / 2)) / 2.0;
}

// The position in the full sequence of position i of the sequence without position k.
inline std::size_t skip(std::size_t i, std::size_t k) { return i < k ? i : i + 1; }

double weight(double x, double m, double s) {
  const double u = (x - m) / (tuning * s + guard);
  if (!(u >= -1.0 && u <= 1.0)) return 0.0;
  const double a = 1.0 - u * u;
  return a * a;
}

}  // namespace

double biweight_mean(std::span<double> x) {
  const std::size_t n = x.size();
  if (n == 0) return absent;
  std::sort(x.begin(), x.end());
  const double m = median_at(n, [&](std::size_t i) { return x[i]; });
  std::vector<double> dev(n);
  for (std::size_t i = 0; i < n; ++i) dev[i] = std::abs(x[i] - m);
  std::sort(dev.begin(), dev.end());
  const double s = median_at(n, [&](std::size_t i) { return dev[i]; });
  double wx = 0.0, w = 0.0;
  for (double v : x) {
    const double wt = weight(v, m, s);
    wx += wt * v;
    w += wt;
  }
  return w > 0.0 ? wx / w : absent;
}

const BiweightLeaveOneOut::Centre& BiweightLeaveOneOut::centre(std::span<const double> sorted, double m) {
  for (std::size_t i = 0; i < used_; ++i) {
    if (centres_[i].m == m) return centres_[i];
  }
  // The deviations from m in ascending order: a merge of the values below m (walking down)
  // and those from m on (walking up). The work areas of earlier calls are reused.
  const std::size_t n = sorted.size();
  if (used_ == centres_.size()) centres_.emplace_back();
  Centre& c = centres_[used_++];
  c.m = m;
  c.dev.resize(n);
  c.rank.resize(n);
  const auto split = static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), m) - sorted.begin());
  std::size_t lo = split, hi = split;  // next below: lo - 1; next above: hi
  for (std::size_t pos = 0; pos < n; ++pos) {
    std::size_t k;
    if (lo == 0) {
      k = hi++;
    } else if (hi == n) {
      k = --lo;
    } else if (m - sorted[lo - 1] <= sorted[hi] - m) {
      k = --lo;
    } else {
      k = hi++;
    }
    c.dev[pos] = std::abs(sorted[k] - m);
    c.rank[k] = static_cast<int32_t>(pos);
  }
  return c;
}

const BiweightLeaveOneOut::Sums& BiweightLeaveOneOut::sums(std::span<const double> sorted, double m, double s) {
  for (const Sums& x : sums_) {
    if (x.m == m && x.s == s) return x;
  }
  Sums x{m, s, 0.0, 0.0};
  for (double v : sorted) {
    const double wt = weight(v, m, s);
    x.wx += wt * v;
    x.w += wt;
  }
  sums_.push_back(x);
  return sums_.back();
}

void BiweightLeaveOneOut::operator()(std::span<const double> sorted, std::span<double> out) {
  const std::size_t n = sorted.size();
  used_ = 0;
  sums_.clear();
  if (n == 0) return;
  if (n == 1) {
    out[0] = absent;
    return;
  }
  const std::size_t m = n - 1;
  for (std::size_t k = 0; k < n; ++k) {
    const double med = median_at(m, [&](std::size_t i) { return sorted[skip(i, k)]; });
    const Centre& c = centre(sorted, med);
    const auto q = static_cast<std::size_t>(c.rank[k]);
    const double mad = median_at(m, [&](std::size_t i) { return c.dev[skip(i, q)]; });
    const Sums& x = sums(sorted, med, mad);
    const double wk = weight(sorted[k], med, mad);
    const double w = x.w - wk;
    out[k] = w > 0.0 ? (x.wx - wk * sorted[k]) / w : absent;
  }
}

BiweightPool::BiweightPool(std::vector<const Track*> tracks, int32_t first, int32_t last)
    : tracks_(std::move(tracks)), first_(first), last_(last) {}

std::vector<Track> BiweightPool::leave_out(std::span<const int32_t> which) const {
  const std::size_t years = last_ >= first_ ? static_cast<std::size_t>(last_ - first_ + 1) : 0;
  const std::size_t n = tracks_.size();
  // Each listed track once (a series may be listed twice); column `outside` stands for the
  // listed indices that are no track of the pool: they get the biweight of all tracks.
  std::vector<int32_t> column_of_track(n, -1), column_of(which.size());
  std::size_t columns = 0;
  for (std::size_t w = 0; w < which.size(); ++w) {
    const int32_t i = which[w];
    if (i < 0 || static_cast<std::size_t>(i) >= n) {
      column_of[w] = -1;
      continue;
    }
    int32_t& c = column_of_track[static_cast<std::size_t>(i)];
    if (c < 0) c = static_cast<int32_t>(columns++);
    column_of[w] = c;
  }
  const std::size_t outside = columns++;
  const bool outside_used = std::find(column_of.begin(), column_of.end(), -1) != column_of.end();
  // The years go in blocks: each block of every track is copied once into a year-major
  // work area and each block of every master written once, rather than visiting every
  // track for every year.
  constexpr std::size_t block = 64;
  std::vector<double> in(n * block), res(columns * block);
  std::vector<std::vector<double>> masters(columns, std::vector<double>(years, absent));
  std::vector<std::pair<double, int32_t>> here;
  std::vector<double> sorted, loo, all;
  BiweightLeaveOneOut leave_one_out;
  for (std::size_t y0 = 0; y0 < years; y0 += block) {
    const std::size_t nb = std::min(block, years - y0);
    const int64_t year0 = static_cast<int64_t>(first_) + static_cast<int64_t>(y0);
    for (std::size_t i = 0; i < n; ++i) {
      const Track& t = *tracks_[i];
      for (std::size_t dy = 0; dy < nb; ++dy) {
        const int64_t k = year0 + static_cast<int64_t>(dy) - t.first;
        in[i * block + dy] = (k >= 0 && k < static_cast<int64_t>(t.v.size())) ? t.v[static_cast<std::size_t>(k)] : absent;
      }
    }
    std::fill(res.begin(), res.end(), absent);
    for (std::size_t dy = 0; dy < nb; ++dy) {
      here.clear();
      for (std::size_t i = 0; i < n; ++i) {
        const double x = in[i * block + dy];
        if (present(x)) here.emplace_back(x, static_cast<int32_t>(i));
      }
      if (here.empty()) continue;
      std::sort(here.begin(), here.end());
      sorted.resize(here.size());
      for (std::size_t k = 0; k < here.size(); ++k) sorted[k] = here[k].first;
      // Columns without a value of their own this year get the biweight of all.
      std::size_t listed_here = 0;
      for (const auto& h : here) listed_here += column_of_track[static_cast<std::size_t>(h.second)] >= 0;
      if (outside_used || listed_here + 1 < columns) {
        all = sorted;
        const double full = biweight_mean(all);
        for (std::size_t c = 0; c < columns; ++c) res[c * block + dy] = full;
      }
      loo.assign(here.size(), absent);
      leave_one_out(sorted, loo);
      for (std::size_t k = 0; k < here.size(); ++k) {
        const int32_t c = column_of_track[static_cast<std::size_t>(here[k].second)];
        if (c >= 0) res[static_cast<std::size_t>(c) * block + dy] = loo[k];
      }
    }
    for (std::size_t c = 0; c < columns; ++c) {
      std::copy_n(res.begin() + static_cast<std::ptrdiff_t>(c * block), nb, masters[c].begin() + static_cast<std::ptrdiff_t>(y0));
    }
  }
  std::vector<Track> out;
  out.reserve(which.size());
  for (std::size_t w = 0; w < which.size(); ++w) {
    const std::size_t c = column_of[w] < 0 ? outside : static_cast<std::size_t>(column_of[w]);
    out.push_back(Track{first_, masters[c]});
  }
  return out;
}

MeanPool::MeanPool(int32_t first, int32_t last)
    : first_(first),
      sum_(last >= first ? static_cast<std::size_t>(last - first + 1) : 0, 0.0L),
      count_(sum_.size(), 0) {}

void MeanPool::add(const Track& t) {
  for (std::size_t y = 0; y < sum_.size(); ++y) {
    const double x = t.at(first_ + static_cast<int32_t>(y));
    if (!present(x)) continue;
    sum_[y] += static_cast<long double>(x);
    ++count_[y];
  }
}

Track MeanPool::leaving_out(const Track& own) const {
  Track m{first_, std::vector<double>(sum_.size(), absent)};
  for (std::size_t y = 0; y < sum_.size(); ++y) {
    const double x = own.at(first_ + static_cast<int32_t>(y));
    double s = static_cast<double>(sum_[y]);
    int32_t c = count_[y];
    if (present(x)) {
      s -= x;
      --c;
    }
    if (c > 0) m.v[y] = s / c;
  }
  return m;
}

}  // namespace ringdate::xdate
