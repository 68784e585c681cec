// The statistics of one series against its master: overall r of the filtered values, tBP,
// tHo, GLK and the segment tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xdate/correlation.h"
#include "xdate/filter.h"
#include "xdate/master.h"
#include "xdate/segments.h"
#include "xdate/series.h"
#include "xdate/transforms.h"

namespace ringdate::xdate {

struct SeriesResult {
  std::string id;
  int32_t first = 0, last = 0, n = 0;
  FilterStatus status = FilterStatus::too_short;  // not ok: no statistics below
  int32_t ar_order = 0;
  Correlation r;   // filtered values against the biweight master
  Correlation bp;  // Baillie-Pilcher values against their mean master (tBP = bp.t())
  Correlation ho;  // Hollstein values against their mean master (tHo = ho.t())
  Glk glk;
  std::vector<SegmentResult> segments;  // tested segments only
  int32_t flagged = 0;                  // flagged segments

  bool usable() const { return status == FilterStatus::ok; }
};

// The widths of a series as a track.
Track widths_of(int32_t first, std::span<const double> values);

// The Baillie-Pilcher and Hollstein values of a series.
struct Transforms {
  Track bp, ho;
};
Transforms transforms_of(const Track& widths);

// Statistics of the series `id` (widths from `first`, filtered as `f`) against master `m`.
SeriesResult analyse(const std::string& id, int32_t first, std::span<const double> widths,
                     const Filtered& f, const Master& m, const SegmentGrid& grid,
                     const Settings& settings);
// The same with the series' transforms computed already.
SeriesResult analyse(const std::string& id, int32_t first, std::span<const double> widths,
                     const Transforms& t, const Filtered& f, const Master& m,
                     const SegmentGrid& grid, const Settings& settings);

}  // namespace ringdate::xdate
