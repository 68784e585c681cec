// Pearson correlation of two tracks over the years where both have a value, its t-value and
// its one-sided p-value (Student's t with n - 2 degrees of freedom).
#pragma once

#include <cstdint>

#include "xdate/series.h"

namespace ringdate::xdate {

struct Correlation {
  int32_t n = 0;  // pairs
  double r = 0.0;
  bool valid = false;  // at least 3 pairs and neither side constant

  // r sqrt(n - 2) / sqrt(1 - r^2); finite even for |r| = 1.
  double t() const;
  // Whether t() is a meaningful number: valid and |r| not 1 (a perfect correlation, as of
  // two series that only alternate, has no finite t).
  bool t_defined() const { return valid && n > 2 && 1.0 - r * r > 1e-12; }
  // P(T >= t) for Student's T with n - 2 degrees of freedom; 1 when not valid.
  double p() const;
};

// The one-sided p of a t-value with df degrees of freedom (df >= 1).
double upper_tail(double t, int32_t df);

// The smallest r over n pairs whose one-sided p is below pcrit (0.3281 for 50 pairs and
// 0.01); 1 when n < 3.
double critical_r(int32_t n, double pcrit);

// Running sums of pairs, for correlations built up or taken apart pair by pair.
struct PairSums {
  double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;

  void add(double x, double y) {
    n += 1;
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
  }
  PairSums& operator+=(const PairSums& o);
  PairSums& operator-=(const PairSums& o);
  Correlation result() const;
};

// r of a(t) with b(t + lag) over the years t = from..to where both have a value
// (two passes: means first, then centred sums).
Correlation correlate(const Track& a, const Track& b, int32_t from, int32_t to, int32_t lag = 0);

// The same over the whole overlap of the two tracks at lag 0.
Correlation correlate(const Track& a, const Track& b);

}  // namespace ringdate::xdate
