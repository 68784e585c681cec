// The classic ring-width transforms of the interactive crossdating tools and their
// statistics: the Baillie-Pilcher and Hollstein values (correlated with the mean of the other
// series to give tBP and tHo) and the Gleichlaeufigkeit (GLK) of two width curves.
#pragma once

#include <cstdint>

#include "xdate/series.h"

namespace ringdate::xdate {

// b_t = ln(100 w_t / ((w_{t-2} + ... + w_{t+2}) / 5)) where all five years exist and the
// value is finite.
Track baillie_pilcher(const Track& widths);

// h_t = 100 log10(w_t / w_{t-1}) where finite.
Track hollstein(const Track& widths);

struct Glk {
  int32_t n = 0;       // years t with series and master at t - 1 and t
  double value = 0.0;  // valid when n > 0 and both curves change somewhere
  bool varies = true;  // series and master each change at least once in those years
  // A curve that never changes has no directions to agree on.
  bool valid() const { return n > 0 && varies; }
};

// Mean agreement of the year-to-year directions: 1 for the same direction, 0 for opposite,
// 1/2 when exactly one of the two is unchanged, 1 when both are.
Glk gleichlaeufigkeit(const Track& widths, const Track& master);

}  // namespace ringdate::xdate
