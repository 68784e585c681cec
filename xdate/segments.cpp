#include "xdate/segments.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ringdate::xdate {

namespace {

// The smallest multiple of 100 at or after y.
int32_t century_at_or_after(int32_t y) {
  const int64_t c =
      y >= 0 ? (static_cast<int64_t>(y) + 99) / 100 : -(static_cast<int64_t>(-y) / 100);
  return static_cast<int32_t>(c * 100);
}

// Counts of present values of a track up to each year, so that "all values present from
// a to b" is one subtraction.
class Coverage {
 public:
  explicit Coverage(const Track& t) : first_(t.first), count_(t.v.size() + 1, 0) {
    for (std::size_t k = 0; k < t.v.size(); ++k)
      count_[k + 1] = count_[k] + (present(t.v[k]) ? 1 : 0);
  }
  bool all(int64_t from, int64_t to) const {
    const int64_t a = from - first_, b = to - first_;
    if (a < 0 || b >= static_cast<int64_t>(count_.size()) - 1 || a > b) return false;
    return count_[static_cast<std::size_t>(b + 1)] - count_[static_cast<std::size_t>(a)] ==
           b - a + 1;
  }

 private:
  int32_t first_;
  std::vector<int32_t> count_;
};

// Two doubles side by side: the sums of two adjacent lags, lane by lane.
typedef double Pair __attribute__((vector_size(16)));

// Lag `lag` alone, or with lag + 1 in the second lane.
struct LagUnit {
  int32_t lag;
  bool two;
};

// The values of the two lanes at position j: from a[j] and b[j]; b is a + 1 for two
// adjacent lags (Adjacent: for every unit of the group), one load.
template <bool Adjacent>
Pair load_pair(const double* a, const double* b) {
  if constexpr (Adjacent) {
    Pair p;
    std::memcpy(&p, a, sizeof p);
    return p;
  } else {
    return Pair{*a, *b};
  }
}

// The sums over j of x[j] a_q[j] and x[j] b_q[j] for four units q at once. Each lane keeps
// two partial sums, of the even and of the odd positions, added at the end: the terms of
// each in the same order whichever lags share its group.
template <bool Adjacent>
void group_sums(const double* x, std::size_t nx, const double* const (&a)[4],
                const double* const (&b)[4], Pair (&sums)[4]) {
  Pair p0{0, 0}, q0{0, 0}, p1{0, 0}, q1{0, 0}, p2{0, 0}, q2{0, 0}, p3{0, 0}, q3{0, 0};
  std::size_t j = 0;
  for (; j + 2 <= nx; j += 2) {
    const Pair xa{x[j], x[j]}, xb{x[j + 1], x[j + 1]};
    p0 += xa * load_pair<Adjacent>(a[0] + j, b[0] + j);
    q0 += xb * load_pair<Adjacent>(a[0] + j + 1, b[0] + j + 1);
    p1 += xa * load_pair<Adjacent>(a[1] + j, b[1] + j);
    q1 += xb * load_pair<Adjacent>(a[1] + j + 1, b[1] + j + 1);
    p2 += xa * load_pair<Adjacent>(a[2] + j, b[2] + j);
    q2 += xb * load_pair<Adjacent>(a[2] + j + 1, b[2] + j + 1);
    p3 += xa * load_pair<Adjacent>(a[3] + j, b[3] + j);
    q3 += xb * load_pair<Adjacent>(a[3] + j + 1, b[3] + j + 1);
  }
  for (; j < nx; ++j) {
    const Pair xa{x[j], x[j]};
    p0 += xa * load_pair<Adjacent>(a[0] + j, b[0] + j);
    p1 += xa * load_pair<Adjacent>(a[1] + j, b[1] + j);
    p2 += xa * load_pair<Adjacent>(a[2] + j, b[2] + j);
    p3 += xa * load_pair<Adjacent>(a[3] + j, b[3] + j);
  }
  sums[0] = p0 + q0;
  sums[1] = p1 + q1;
  sums[2] = p2 + q2;
  sums[3] = p3 + q3;
}

// Centres the values on their mean; sxx: the sum of squares about it, rxx: of the values.
// Apart, so that the sums stay in registers (within the segment loop they went to memory
// on every term).
[[gnu::noinline]] void centre(std::vector<double>& dx, double& sxx, double& rxx) {
  double mean = 0.0;
  for (double x : dx) mean += x;
  mean /= static_cast<double>(dx.size());
  double s = 0.0, r = 0.0;
  for (double& x : dx) {
    r += x * x;
    x -= mean;
    s += x * x;
  }
  sxx = s;
  rxx = r;
}

// sxy[lag + L] = the sum over j of dx[j] master(start + lag + j) for each lag listed
// (ascending). The lags go in units of two adjacent lags (one alone where the next is not
// listed), four units side by side: the master's values for lags l and l + 1 at position j
// are its adjacent values at j and j + 1 from lag l.
void lag_products(const std::vector<double>& dx, const Track& master, int32_t start,
                  const std::vector<int32_t>& lags, int32_t L, std::vector<LagUnit>& units,
                  std::vector<double>& sxy) {
  units.clear();
  for (std::size_t i = 0; i < lags.size(); ++i) {
    const bool two = i + 1 < lags.size() && lags[i + 1] == lags[i] + 1;
    units.push_back({lags[i], two});
    if (two) ++i;
  }
  for (std::size_t g0 = 0; g0 < units.size(); g0 += 4) {
    const std::size_t ng = std::min<std::size_t>(4, units.size() - g0);
    const double *a[4], *b[4];
    bool adjacent = true;
    for (std::size_t q = 0; q < 4; ++q) {
      // Missing members of the last group repeat its first unit; their sums are dropped.
      const LagUnit u = units[g0 + (q < ng ? q : 0)];
      a[q] = master.v.data() + (static_cast<int64_t>(start) + u.lag - master.first);
      b[q] = u.two ? a[q] + 1 : a[q];
      adjacent = adjacent && u.two;
    }
    Pair sums[4];
    if (adjacent)
      group_sums<true>(dx.data(), dx.size(), a, b, sums);
    else
      group_sums<false>(dx.data(), dx.size(), a, b, sums);
    for (std::size_t q = 0; q < ng; ++q) {
      const LagUnit u = units[g0 + q];
      sxy[static_cast<std::size_t>(u.lag + L)] = sums[q][0];
      if (u.two) sxy[static_cast<std::size_t>(u.lag + 1 + L)] = sums[q][1];
    }
  }
}

}  // namespace

SegmentGrid SegmentGrid::of(int32_t min_year, int32_t max_year, int32_t length) {
  SegmentGrid g;
  g.length = std::max(length, 2);
  g.first_start = century_at_or_after(min_year);
  const int64_t last_start = static_cast<int64_t>(max_year) - g.length + 1;
  if (last_start >= g.first_start)
    g.count = static_cast<int32_t>((last_start - g.first_start) / g.step() + 1);
  return g;
}

double SegmentResult::at_lag(int32_t lag) const {
  const int64_t k = static_cast<int64_t>(lag) + static_cast<int64_t>(by_lag.size() / 2);
  if (k < 0 || k >= static_cast<int64_t>(by_lag.size())) return absent;
  return by_lag[static_cast<std::size_t>(k)];
}

bool better_lag(double r, int32_t lag, double best_r, int32_t best_lag) {
  if (r != best_r) return r > best_r;
  if (std::abs(lag) != std::abs(best_lag)) return std::abs(lag) < std::abs(best_lag);
  return lag < best_lag;
}

std::vector<SegmentResult> test_segments(const Track& f, const Track& master,
                                         const SegmentGrid& grid, const Settings& settings) {
  std::vector<SegmentResult> out;
  if (grid.count <= 0 || f.v.empty() || master.v.empty()) return out;
  const Coverage fc(f), mc(master);
  const int32_t L = std::max(settings.lag, 0);
  const double rcrit = critical_r(grid.length, settings.pcrit);
  // Running sums of the master and its squares by year, for its sums over any segment at
  // any lag; absent years count 0 (segments with one are never used).
  const std::size_t nm = master.v.size();
  std::vector<double> sm(nm + 1, 0.0), smm(nm + 1, 0.0);
  for (std::size_t k = 0; k < nm; ++k) {
    const double y = present(master.v[k]) ? master.v[k] : 0.0;
    sm[k + 1] = sm[k] + y;
    smm[k + 1] = smm[k] + y * y;
  }
  std::vector<double> dx, sxy;
  std::vector<int32_t> lags;
  std::vector<LagUnit> units;
  for (int32_t k = 0; k < grid.count; ++k) {
    const int32_t start = grid.start(k), end = grid.end(k);
    if (!fc.all(start, end) || !mc.all(start, end)) continue;
    SegmentResult s;
    s.start = start;
    s.end = end;
    // The segment's values, centred: the products with the master then need no mean of it.
    dx.assign(f.v.begin() + (start - f.first), f.v.begin() + (end - f.first) + 1);
    const auto n = static_cast<double>(dx.size());
    double sxx = 0.0, rxx = 0.0;
    centre(dx, sxx, rxx);
    // A constant segment (left with a rounding residue) has no correlation.
    if (!(sxx > 1e-12 * rxx)) sxx = 0.0;
    s.by_lag.assign(static_cast<std::size_t>(2 * L + 1), absent);
    // The products with the master at every lag where it has all values.
    lags.clear();
    for (int32_t lag = -L; lag <= L; ++lag) {
      if (mc.all(static_cast<int64_t>(start) + lag, static_cast<int64_t>(end) + lag))
        lags.push_back(lag);
    }
    sxy.assign(static_cast<std::size_t>(2 * L + 1), 0.0);
    lag_products(dx, master, start, lags, L, units, sxy);
    bool any = false;
    for (int32_t lag = -L; lag <= L; ++lag) {
      if (!mc.all(static_cast<int64_t>(start) + lag, static_cast<int64_t>(end) + lag)) continue;
      const auto from = static_cast<std::size_t>(start + lag - master.first);
      const double sy = sm[from + dx.size()] - sm[from];
      const double cyy = (smm[from + dx.size()] - smm[from]) - sy * sy / n;
      Correlation c;
      c.n = static_cast<int32_t>(dx.size());
      const double r = sxy[static_cast<std::size_t>(lag + L)] / std::sqrt(sxx * cyy);
      if (c.n >= 3 && sxx > 0.0 && cyy > 1e-12 * (smm[from + dx.size()] - smm[from]) &&
          std::isfinite(r)) {
        c.r = std::clamp(r, -1.0, 1.0);
        c.valid = true;
      }
      if (lag == 0) s.r = c;
      if (!c.valid) continue;
      s.by_lag[static_cast<std::size_t>(lag + L)] = c.r;
      if (!any || better_lag(c.r, lag, s.r_best, s.best_lag)) {
        s.r_best = c.r;
        s.best_lag = lag;
        any = true;
      }
    }
    if (!s.r.valid) s.r.n = grid.length;
    // p < pcrit exactly when r exceeds the critical r of the segment's length.
    s.flag_a = !(s.r.valid && s.r.r > rcrit);
    if (!any) s.r_best = s.r.r;
    s.best_valid = any;
    s.flag_b = s.best_lag != 0;
    out.push_back(std::move(s));
  }
  return out;
}

int32_t count_flagged(const std::vector<SegmentResult>& segments) {
  return static_cast<int32_t>(std::count_if(segments.begin(), segments.end(),
                                            [](const SegmentResult& s) { return s.flagged(); }));
}

}  // namespace ringdate::xdate
