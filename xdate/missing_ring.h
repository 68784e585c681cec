// What the location of a missing ring knows beside the alignment of the rings around it: the
// width the ring would have had (from its neighbours and the master's year), how likely a
// ring of that width is to be missing, and the choice of one year among scored candidates.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "xdate/series.h"

namespace ringdate::xdate {

// The width the master expects of ring `year` of a series: the mean of its rings up to two
// years either side (the ring itself left out) times the master's Baillie-Pilcher ratio
// (width over its five-year mean, as exp(value) / 100) of the year; absent where the year
// is outside the series or the master has no value there.
double expected_width(const SeriesInput& v, int32_t year, const Track& master_bp);

// An inserted ring at the width the master expects in its year (instead of the mean of its
// neighbours), so that the rings after it are prewhitened much as they would be with the
// true ring, which a drought year makes narrow. Unchanged where that width is absent.
void fill_inserted(SeriesInput& v, int32_t year, const Track& master_bp);

// How likely a missing ring is in a year, from the width the tree would have had there:
// rings go missing in the tree's narrowest years. A share of the missing rings is taken to
// lie among the tenth narrowest of the series' widths, the rest anywhere. The log ratio of a
// width to the mean of its neighbours is regressed on the master's Baillie-Pilcher value
// over the series; the chance that the ring of a year is among the tenth narrowest follows
// from its predicted width and the spread of the regression (normal).
class NarrowPrior {
 public:
  // `s` the series as read, `master_bp` its master's Baillie-Pilcher values, `share` the
  // share of missing rings in narrow years (0: no preference anywhere).
  NarrowPrior(const SeriesInput& s, const Track& master_bp, double share);

  // The log of the prior (up to a constant) of a missing ring at `year` of the widths `v`
  // (the series with the ring inserted there; the ring's own width is not used): between
  // log(1 - share) where the ring cannot be narrow and log(1 + 9 share) where it must be.
  // 0 when the series told too little (fewer than 20 rings with a master value).
  double operator()(const SeriesInput& v, int32_t year) const;

  bool informative() const { return ok_; }

 private:
  const Track* master_bp_;
  double share_ = 0.0;
  double a_ = 0.0, b_ = 1.0, sd_ = 1.0, log_low_ = 0.0;
  bool ok_ = false;
};

// A candidate year and the log-likelihood of the series with the edit there.
struct YearScore {
  int32_t year;
  double ll;
};

// The year to name among scored candidates: with spread 0 the most likely one (the earliest
// of equals); otherwise the one around which the likelihood is largest, each year within
// `spread` weighted by 1 - d / (spread + 1) (d its distance), the log-likelihoods divided by
// `scale` (the pairs of two kinds of values overlap and overstate the evidence). None for no
// candidate.
std::optional<int32_t> choose_year(const std::vector<YearScore>& lls, int32_t spread, double scale);

}  // namespace ringdate::xdate
