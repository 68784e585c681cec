// Segment tests: the series' filtered values against its master in overlapping segments
// (50 years lagged 25 by default, the first starting at a whole century), at lag 0 and at
// every lag up to the largest one, with the flags of a segment that is not significant (A)
// or correlates better at another position (B).
#pragma once

#include <cstdint>
#include <vector>

#include "xdate/correlation.h"
#include "xdate/series.h"

namespace ringdate::xdate {

struct SegmentGrid {
  int32_t length = 50;
  int32_t first_start = 0;
  int32_t count = 0;  // segments on the grid (0 when the file is shorter than one)

  int32_t step() const { return length / 2; }
  int32_t start(int32_t k) const { return first_start + k * step(); }
  int32_t end(int32_t k) const { return start(k) + length - 1; }

  // Segments of `length` years lagged by half of it: the first starts at the first whole
  // century at or after min_year, the last at or before max_year - length + 1.
  static SegmentGrid of(int32_t min_year, int32_t max_year, int32_t length);
};

struct SegmentResult {
  int32_t start = 0, end = 0;
  Correlation r;        // at lag 0
  bool flag_a = false;  // not significant at lag 0: p >= pcrit
  int32_t best_lag = 0;
  double r_best = 0.0;
  bool best_valid = false;  // some lag gave an r (best_lag and r_best mean something)
  bool flag_b = false;      // best lag is not 0
  // r at every lag -L..L (index lag + L); absent where the master misses a year.
  std::vector<double> by_lag;

  bool flagged() const { return flag_a || flag_b; }
  // One-sided p at lag 0.
  double p() const { return r.p(); }
  // r at a lag, absent when not computed.
  double at_lag(int32_t lag) const;
};

// The lag with the highest r; on a tie the smaller |lag|, then the negative one.
bool better_lag(double r, int32_t lag, double best_r, int32_t best_lag);

// Every segment of the grid in which both f and the master have all values.
std::vector<SegmentResult> test_segments(const Track& f, const Track& master,
                                         const SegmentGrid& grid, const Settings& settings);

// Segments flagged.
int32_t count_flagged(const std::vector<SegmentResult>& segments);

}  // namespace ringdate::xdate
