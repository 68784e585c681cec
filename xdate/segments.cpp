#include "xdate/segments.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ringdate::xdate {

namespace {

// The smallest multiple of 100 at or after y.
int32_t century_at_or_after(int32_t y) {
  const int64_t c = y >= 0 ? (static_cast<int64_t>(y) + 99) / 100 : -(static_cast<int64_t>(-y) / 100);
  return static_cast<int32_t>(c * 100);
}

bool all_present(const Track& t, int32_t from, int32_t to) {
  if (from < t.first || to > t.last()) return false;
  for (int32_t y = from; y <= to; ++y) {
    if (!present(t.at(y))) return false;
  }
  return true;
}

// The segment's centred series values, for the correlations at every lag.
struct Centred {
  std::vector<double> dx;
  double sxx = 0.0;

  void take(const Track& f, int32_t start, int32_t end) {
    dx.clear();
    double s = 0.0;
    for (int32_t t = start; t <= end; ++t) {
      dx.push_back(f.at(t));
      s += dx.back();
    }
    const double mean = s / static_cast<double>(dx.size());
    sxx = 0.0;
    for (double& x : dx) {
      x -= mean;
      sxx += x * x;
    }
  }

  // r with master(t + lag); the master has all values there.
  Correlation with(const Track& master, int32_t start, int32_t lag) const {
    double sy = 0.0, syy = 0.0, sxy = 0.0;
    const auto n = static_cast<double>(dx.size());
    for (std::size_t k = 0; k < dx.size(); ++k) {
      const double y = master.at(start + static_cast<int32_t>(k) + lag);
      sy += y;
      syy += y * y;
      sxy += dx[k] * y;
    }
    Correlation c;
    c.n = static_cast<int32_t>(dx.size());
    const double cyy = syy - sy * sy / n;
    if (c.n < 3 || !(sxx > 0.0) || !(cyy > 0.0)) return c;
    const double r = sxy / std::sqrt(sxx * cyy);
    if (!std::isfinite(r)) return c;
    c.r = std::clamp(r, -1.0, 1.0);
    c.valid = true;
    return c;
  }
};

}  // namespace

SegmentGrid SegmentGrid::of(int32_t min_year, int32_t max_year, int32_t length) {
  SegmentGrid g;
  g.length = std::max(length, 2);
  g.first_start = century_at_or_after(min_year);
  const int64_t last_start = static_cast<int64_t>(max_year) - g.length + 1;
  if (last_start >= g.first_start) g.count = static_cast<int32_t>((last_start - g.first_start) / g.step() + 1);
  return g;
}

bool better_lag(double r, int32_t lag, double best_r, int32_t best_lag) {
  if (r != best_r) return r > best_r;
  if (std::abs(lag) != std::abs(best_lag)) return std::abs(lag) < std::abs(best_lag);
  return lag < best_lag;
}

Correlation segment_correlation(const Track& f, const Track& master, int32_t start, int32_t end, int32_t lag) {
  if (!all_present(f, start, end) || !all_present(master, start + lag, end + lag)) return Correlation{};
  Centred c;
  c.take(f, start, end);
  return c.with(master, start, lag);
}

std::vector<SegmentResult> test_segments(const Track& f, const Track& master, const SegmentGrid& grid,
                                         const Settings& settings) {
  std::vector<SegmentResult> out;
  Centred c;
  for (int32_t k = 0; k < grid.count; ++k) {
    const int32_t start = grid.start(k), end = grid.end(k);
    if (!all_present(f, start, end) || !all_present(master, start, end)) continue;
    SegmentResult s;
    s.start = start;
    s.end = end;
    c.take(f, start, end);
    s.r = c.with(master, start, 0);
    s.p = s.r.p();
    s.flag_a = !(s.p < settings.pcrit);
    s.best_lag = 0;
    s.r_best = s.r.r;
    bool any = s.r.valid;
    for (int32_t lag = -settings.lag; lag <= settings.lag; ++lag) {
      if (lag == 0 || !all_present(master, start + lag, end + lag)) continue;
      const Correlation at = c.with(master, start, lag);
      if (!at.valid) continue;
      if (!any || better_lag(at.r, lag, s.r_best, s.best_lag)) {
        s.r_best = at.r;
        s.best_lag = lag;
        any = true;
      }
    }
    s.flag_b = s.best_lag != 0;
    out.push_back(s);
  }
  return out;
}

int32_t count_flagged(const std::vector<SegmentResult>& segments) {
  return static_cast<int32_t>(std::count_if(segments.begin(), segments.end(), [](const SegmentResult& s) { return s.flagged(); }));
}

}  // namespace ringdate::xdate
