#include "xdate/analysis.h"

namespace ringdate::xdate {

Track widths_of(int32_t first, std::span<const double> values) {
  return Track{first, std::vector<double>(values.begin(), values.end())};
}

SeriesResult analyse(const std::string& id, int32_t first, std::span<const double> widths, const Filtered& f,
                     const Master& m, const SegmentGrid& grid, const Settings& settings) {
  SeriesResult out;
  out.id = id;
  out.first = first;
  out.n = static_cast<int32_t>(widths.size());
  out.last = first + out.n - 1;
  out.status = f.status;
  if (!out.usable()) return out;
  out.ar_order = f.ar_order;
  out.r = correlate(f.values, m.filtered);
  const Track w = widths_of(first, widths);
  out.bp = correlate(baillie_pilcher(w), m.bp);
  out.ho = correlate(hollstein(w), m.ho);
  out.glk = gleichlaeufigkeit(w, m.width);
  out.segments = test_segments(f.values, m.filtered, grid, settings);
  out.flagged = count_flagged(out.segments);
  return out;
}

}  // namespace ringdate::xdate
