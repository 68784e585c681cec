#include "xdate/check.h"

#include <algorithm>
#include <numeric>

#include "xdate/dataset.h"

namespace ringdate::xdate {

int32_t CheckResult::flagged_series() const {
  return static_cast<int32_t>(std::count_if(series.begin(), series.end(),
                                            [](const SeriesResult& s) { return s.flagged > 0; }));
}

int32_t CheckResult::flagged_segments() const {
  int32_t n = 0;
  for (const SeriesResult& s : series) n += s.flagged;
  return n;
}

int32_t CheckResult::tested_segments() const {
  int32_t n = 0;
  for (const SeriesResult& s : series) {
    for (const SegmentResult& g : s.segments) n += g.r.valid ? 1 : 0;
  }
  return n;
}

CheckResult run_check(std::vector<SeriesInput> series, const Settings& settings) {
  Dataset data(std::move(series), settings);
  CheckResult out;
  out.settings = settings;
  out.first_year = data.first_year();
  out.last_year = data.last_year();
  out.usable = data.usable();
  std::vector<int32_t> all(data.size());
  std::iota(all.begin(), all.end(), 0);
  std::vector<Track> biweight = data.biweight_masters(all);
  Locator locate;
  out.max_edits = LocatorSettings{}.max_edits;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const Master m = data.master(i, std::move(biweight[i]));
    out.series.push_back(data.analyse(i, m));
    SeriesResult& before = out.series.back();
    if (before.flagged > 0 && out.usable >= 2) {
      if (auto found = locate(data.filter(), data.input(i), data.filtered(i), m, before,
                              data.grid(), settings)) {
        found->series = static_cast<int32_t>(i);
        out.suggestions.push_back(*found);
      }
    }
    // The lag tables served the location; the result keeps the segments' own figures.
    for (SegmentResult& g : before.segments) std::vector<double>().swap(g.by_lag);
  }
  std::stable_sort(out.suggestions.begin(), out.suggestions.end(),
                   [](const Suggestion& a, const Suggestion& b) { return a.gain() > b.gain(); });
  return out;
}

}  // namespace ringdate::xdate
