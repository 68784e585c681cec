#include "xdate/analysis.h"

namespace ringdate::xdate {

Track widths_of(int32_t first, std::span<const double> values) {
  return Track{first, std::vector<double>(values.begin(), values.end())};
}

Transforms transforms_of(const Track& widths) {
  return Transforms{baillie_pilcher(widths), hollstein(widths)};
}

SeriesResult analyse(const std::string& id, int32_t first, std::span<const double> widths,
                     const Filtered& f, const Master& m, const SegmentGrid& grid,
                     const Settings& settings) {
  if (f.status != FilterStatus::ok)
    return analyse(id, first, widths, Transforms{}, f, m, grid, settings);
  return analyse(id, first, widths, transforms_of(widths_of(first, widths)), f, m, grid, settings);
}

SeriesResult analyse(const std::string& id, int32_t first, std::span<const double> widths,
                     const Transforms& t, const Filtered& f, const Master& m,
                     const SegmentGrid& grid, const Settings& settings) {
  SeriesResult out;
  out.id = id;
  out.first = first;
  out.n = static_cast<int32_t>(widths.size());
  out.last = first + out.n - 1;
  out.status = f.status;
  if (!out.usable()) return out;
  out.ar_order = f.ar_order;
  out.r = correlate(f.values, m.filtered);
  out.bp = correlate(t.bp, m.bp);
  out.ho = correlate(t.ho, m.ho);
  out.glk = gleichlaeufigkeit(widths_of(first, widths), m.width);
  out.segments = test_segments(f.values, m.filtered, grid, settings);
  out.flagged = count_flagged(out.segments);
  return out;
}

}  // namespace ringdate::xdate
