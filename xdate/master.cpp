#include "xdate/master.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "core/parallel.h"

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

double weight(double x, double m, double s) {
  const double u = (x - m) / (tuning * s + guard);
  if (!(u >= -1.0 && u <= 1.0)) return 0.0;
  const double a = 1.0 - u * u;
  return a * a;
}

// Moves the p-th smallest of a[0..n) (p < n, no NaN) to a[p], with none larger before it
// and none smaller after it, as nth_element does. The partitions write every element
// whatever it compares to: a comparison decides an index, not a jump, so the values' order
// costs no mispredicted branches (the middle of some four hundred values is wanted for
// every year of every master).
void select_at(double* a, std::size_t n, std::size_t p) {
  std::size_t lo = 0, hi = n;
  while (hi - lo > 16) {
    double x0 = a[lo], x1 = a[lo + (hi - lo) / 2], x2 = a[hi - 1];
    if (x1 < x0) std::swap(x0, x1);
    if (x2 < x1) x1 = x0 < x2 ? x2 : x0;
    const double pivot = x1;  // the median of three: an element of the range
    // Those below the pivot to the front...
    std::size_t j = lo;
    for (std::size_t i = lo; i < hi; ++i) {
      const double x = a[i];
      const bool below = x < pivot;
      a[i] = a[j];
      a[j] = x;
      j += below;
    }
    if (p < j) {
      hi = j;
      continue;
    }
    // ...then those equal to it (not above it, and not below it).
    std::size_t k = j;
    for (std::size_t i = j; i < hi; ++i) {
      const double x = a[i];
      const bool equal = !(pivot < x);
      a[i] = a[k];
      a[k] = x;
      k += equal;
    }
    if (p < k) return;
    lo = k;
  }
  for (std::size_t i = lo + 1; i < hi; ++i) {
    const double x = a[i];
    std::size_t j = i;
    for (; j > lo && x < a[j - 1]; --j) a[j] = a[j - 1];
    a[j] = x;
  }
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

BiweightLeaveOneOut::Middle BiweightLeaveOneOut::middle_of(std::span<const double> x) {
  // n values, n - 1 others: their median is the order statistic h = (n - 2) / 2 of the
  // others when n - 1 is odd, the mean of h1 = (n - 1) / 2 - 1 and h1 + 1 otherwise. Which
  // order statistic of all n values stands at position h of the others depends on the value
  // left out: a_(h + 1) when it lies below a_(h + 1), else a_(h).
  const std::size_t n = x.size();
  Middle mid;
  mid.odd_others = (n - 1) % 2 == 1;
  mid.p = mid.odd_others ? (n - 2) / 2 : (n - 1) / 2 - 1;
  scratch_.assign(x.begin(), x.end());
  const auto at = scratch_.begin() + static_cast<std::ptrdiff_t>(mid.p);
  select_at(scratch_.data(), n, mid.p);
  mid.a[0] = *at;
  // The next two order statistics: the two smallest above position p.
  double b1 = std::numeric_limits<double>::infinity(), b2 = b1;
  for (auto it = at + 1; it != scratch_.end(); ++it) {
    if (*it < b1) {
      b2 = b1;
      b1 = *it;
    } else if (*it < b2) {
      b2 = *it;
    }
  }
  mid.a[1] = b1;
  mid.a[2] = b2;
  return mid;
}

double BiweightLeaveOneOut::Middle::value(int c) const {
  // Position p + i of the others holds a_(p + i + 1) when v < a_(p + i + 1), else a_(p + i):
  // case 0 lies below a_(p + 1), case 1 between a_(p + 1) and a_(p + 2), case 2 above.
  if (odd_others) return c == 0 ? a[1] : a[0];
  if (c == 0) return (a[1] + a[2]) / 2.0;
  if (c == 1) return (a[0] + a[2]) / 2.0;
  return (a[0] + a[1]) / 2.0;
}

void BiweightLeaveOneOut::fill_sums(std::span<const double> values) {
  // Two centres and spreads at once, in the two lanes of a vector; each lane adds its
  // weights and weighted values in the order of the values, as one alone would.
  typedef double Pair __attribute__((vector_size(16)));
  std::size_t list[9], nl = 0;
  for (std::size_t c = 0; c < 9; ++c)
    if (used_[c]) list[nl++] = c;
  std::size_t i = 0;
  for (; i + 2 <= nl; i += 2) {
    Sums& x0 = sums_[list[i]];
    Sums& x1 = sums_[list[i + 1]];
    const Pair m{x0.m, x1.m}, d{tuning * x0.s + guard, tuning * x1.s + guard};
    const Pair one{1.0, 1.0}, zero{0.0, 0.0};
    Pair wx{0.0, 0.0}, w{0.0, 0.0};
    for (double v : values) {
      const Pair x{v, v};
      const Pair u = (x - m) / d;
      const Pair a = one - u * u;
      const Pair wt = ((u >= -one) & (u <= one)) ? a * a : zero;
      wx += wt * x;
      w += wt;
    }
    x0.wx = wx[0];
    x0.w = w[0];
    x1.wx = wx[1];
    x1.w = w[1];
  }
  for (; i < nl; ++i) {
    Sums& x = sums_[list[i]];
    x.wx = x.w = 0.0;
    for (double v : values) {
      const double wt = weight(v, x.m, x.s);
      x.wx += wt * v;
      x.w += wt;
    }
  }
}

void BiweightLeaveOneOut::operator()(std::span<const double> values, std::span<double> out) {
  const std::size_t n = values.size();
  if (n == 0) return;
  if (n == 1) {
    out[0] = absent;
    return;
  }
  // The median of the others takes one of two or three values, by where the value left out
  // lies; for each, the deviations' middle. The spread of the others then takes one of two
  // or three values by where the value's own deviation lies: a handful of pairs, whose sums
  // over all values are made together.
  const Middle mid = middle_of(values);
  dev_.resize(n);
  for (int c = 0; c < mid.cases(); ++c) {
    const double m = mid.value(c);
    med_of_[c] = m;
    for (std::size_t j = 0; j < n; ++j) dev_[j] = std::abs(values[j] - m);
    dev_of_[c] = middle_of(dev_);
  }
  std::fill(std::begin(used_), std::end(used_), false);
  which_.resize(n);
  med_.resize(n);
  mad_.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double v = values[k];
    const int cm = mid.which(v);
    const double med = med_of_[cm];
    const Middle& dev = dev_of_[cm];
    const int cs = dev.which(std::abs(v - med));
    const auto c = static_cast<uint8_t>(cm * 3 + cs);
    med_[k] = med;
    mad_[k] = dev.value(cs);
    which_[k] = c;
    used_[c] = true;
  }
  for (std::size_t c = 0; c < 9; ++c)
    if (used_[c])
      sums_[c] = Sums{med_of_[c / 3], dev_of_[c / 3].value(static_cast<int>(c % 3)), 0.0, 0.0};
  fill_sums(values);
  for (std::size_t k = 0; k < n; ++k) {
    const double v = values[k];
    const Sums& x = sums_[which_[k]];
    const double wk = weight(v, med_[k], mad_[k]);
    const double w = x.w - wk;
    out[k] = w > 0.0 ? (x.wx - wk * v) / w : absent;
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
  // track for every year. The blocks are spread over the machine's threads, each with work
  // areas of its own; a block writes only its own years of the masters.
  constexpr std::size_t block = 64;
  std::vector<std::vector<double>> masters(columns, std::vector<double>(years, absent));
  struct Work {
    std::vector<double> in, res;
    std::vector<std::pair<double, int32_t>> here;
    std::vector<double> values, loo, all;
    BiweightLeaveOneOut leave_one_out;
  };
  const std::size_t blocks = (years + block - 1) / block;
  std::vector<Work> works(std::max<std::size_t>(workers_for(blocks), 1));
  for (Work& wk : works) {
    wk.in.resize(n * block);
    wk.res.resize(columns * block);
  }
  parallel_for(blocks, [&](std::size_t b, std::size_t worker) {
    Work& wk = works[worker];
    std::vector<double>& in = wk.in;
    std::vector<double>& res = wk.res;
    const std::size_t y0 = b * block;
    const std::size_t nb = std::min(block, years - y0);
    const int64_t year0 = static_cast<int64_t>(first_) + static_cast<int64_t>(y0);
    for (std::size_t i = 0; i < n; ++i) {
      const Track& t = *tracks_[i];
      for (std::size_t dy = 0; dy < nb; ++dy) {
        const int64_t k = year0 + static_cast<int64_t>(dy) - t.first;
        in[i * block + dy] = (k >= 0 && k < static_cast<int64_t>(t.v.size()))
                                 ? t.v[static_cast<std::size_t>(k)]
                                 : absent;
      }
    }
    std::fill(res.begin(), res.end(), absent);
    for (std::size_t dy = 0; dy < nb; ++dy) {
      wk.here.clear();
      for (std::size_t i = 0; i < n; ++i) {
        const double x = in[i * block + dy];
        if (present(x)) wk.here.emplace_back(x, static_cast<int32_t>(i));
      }
      if (wk.here.empty()) continue;
      wk.values.resize(wk.here.size());
      for (std::size_t k = 0; k < wk.here.size(); ++k) wk.values[k] = wk.here[k].first;
      // Columns without a value of their own this year get the biweight of all.
      std::size_t listed_here = 0;
      for (const auto& h : wk.here)
        listed_here += column_of_track[static_cast<std::size_t>(h.second)] >= 0;
      if (outside_used || listed_here + 1 < columns) {
        wk.all = wk.values;
        const double full = biweight_mean(wk.all);
        for (std::size_t c = 0; c < columns; ++c) res[c * block + dy] = full;
      }
      wk.loo.assign(wk.here.size(), absent);
      wk.leave_one_out(wk.values, wk.loo);
      for (std::size_t k = 0; k < wk.here.size(); ++k) {
        const int32_t c = column_of_track[static_cast<std::size_t>(wk.here[k].second)];
        if (c >= 0) res[static_cast<std::size_t>(c) * block + dy] = wk.loo[k];
      }
    }
    for (std::size_t c = 0; c < columns; ++c) {
      std::copy_n(res.begin() + static_cast<std::ptrdiff_t>(c * block), nb,
                  masters[c].begin() + static_cast<std::ptrdiff_t>(y0));
    }
  });
  // A column listed once is handed over; one listed more often is copied until its last use.
  auto column = [&](std::size_t w) {
    return column_of[w] < 0 ? outside : static_cast<std::size_t>(column_of[w]);
  };
  std::vector<int32_t> uses(columns, 0);
  for (std::size_t w = 0; w < which.size(); ++w) ++uses[column(w)];
  std::vector<Track> out(which.size());
  for (std::size_t w = 0; w < which.size(); ++w) {
    const std::size_t c = column(w);
    out[w].first = first_;
    out[w].v = --uses[c] == 0 ? std::move(masters[c]) : masters[c];
  }
  return out;
}

MeanPool::MeanPool(int32_t first, int32_t last)
    : first_(first),
      sum_(last >= first ? static_cast<std::size_t>(last - first + 1) : 0, 0.0L),
      count_(sum_.size(), 0) {}

void MeanPool::add(const Track& t) {
  // The years the track and the pool share.
  const int64_t lo = std::max<int64_t>(first_, t.first);
  const int64_t hi = std::min<int64_t>(
      static_cast<int64_t>(first_) + static_cast<int64_t>(sum_.size()) - 1, t.last());
  for (int64_t y = lo; y <= hi; ++y) {
    const double x = t.v[static_cast<std::size_t>(y - t.first)];
    if (!present(x)) continue;
    const auto k = static_cast<std::size_t>(y - first_);
    sum_[k] += static_cast<long double>(x);
    ++count_[k];
  }
  ready_ = false;
}

void MeanPool::settle() const {
  if (ready_) return;
  total_.resize(sum_.size());
  mean_.assign(sum_.size(), absent);
  for (std::size_t y = 0; y < sum_.size(); ++y) {
    total_[y] = static_cast<double>(sum_[y]);
    if (count_[y] > 0) mean_[y] = total_[y] / count_[y];
  }
  ready_ = true;
}

Track MeanPool::leaving_out(const Track& own) const {
  settle();
  Track m{first_, mean_};
  const int64_t lo = std::max<int64_t>(first_, own.first);
  const int64_t hi = std::min<int64_t>(
      static_cast<int64_t>(first_) + static_cast<int64_t>(sum_.size()) - 1, own.last());
  for (int64_t y = lo; y <= hi; ++y) {
    const double x = own.v[static_cast<std::size_t>(y - own.first)];
    if (!present(x)) continue;
    const auto k = static_cast<std::size_t>(y - first_);
    const int32_t c = count_[k] - 1;
    m.v[k] = c > 0 ? (total_[k] - x) / c : absent;
  }
  return m;
}

}  // namespace ringdate::xdate
