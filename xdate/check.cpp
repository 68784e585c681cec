#include "xdate/check.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "core/parallel.h"
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
  const std::size_t n = data.size();
  std::vector<int32_t> all(n);
  std::iota(all.begin(), all.end(), 0);
  std::vector<Track> biweight = data.biweight_masters(all);
  out.max_edits = LocatorSettings{}.max_edits;
  // Each series on its own, spread over the machine's threads: its statistics and its
  // suggestion go to its own slot. A thread has a locator and a filter work area of its own
  // (the first thread the data's).
  const std::size_t workers = std::max<std::size_t>(workers_for(n), 1);
  std::vector<Locator> locators(workers);
  std::vector<Filter> filters(workers - 1);
  out.series.resize(n);
  std::vector<std::optional<Suggestion>> found(n);
  parallel_for(n, [&](std::size_t i, std::size_t w) {
    const Master m = data.master(i, std::move(biweight[i]));
    SeriesResult& before = out.series[i];
    before = data.analyse(i, m);
    if (before.flagged > 0 && out.usable >= 2) {
      Filter& filter = w == 0 ? data.filter() : filters[w - 1];
      found[i] =
          locators[w](filter, data.input(i), data.filtered(i), m, before, data.grid(), settings);
      if (found[i]) found[i]->series = static_cast<int32_t>(i);
    }
    // The lag tables served the location; the result keeps the segments' own figures.
    for (SegmentResult& g : before.segments) std::vector<double>().swap(g.by_lag);
  });
  for (std::optional<Suggestion>& s : found)
    if (s) out.suggestions.push_back(std::move(*s));
  std::stable_sort(out.suggestions.begin(), out.suggestions.end(),
                   [](const Suggestion& a, const Suggestion& b) { return a.gain() > b.gain(); });
  return out;
}

}  // namespace ringdate::xdate
