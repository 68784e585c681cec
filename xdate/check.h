// The crossdating check of a whole file: every series against its leave-one-out master,
// then the edit that best restores the dating of each series with a flagged segment.
#pragma once

#include <cstdint>
#include <vector>

#include "xdate/analysis.h"
#include "xdate/location.h"
#include "xdate/series.h"

namespace ringdate::xdate {

struct CheckResult {
  Settings settings;
  int32_t first_year = 0, last_year = -1;  // span of the file
  int32_t usable = 0;                      // series that take part
  std::vector<SeriesResult> series;        // in input order
  std::vector<Suggestion> suggestions;     // strongest first
  int32_t max_edits = 0;                   // the longest sequence the location tries

  int32_t flagged_series() const;
  int32_t flagged_segments() const;
  // Segments whose correlation with the master could be computed; 0 when nothing was tested.
  int32_t tested_segments() const;
};

CheckResult run_check(std::vector<SeriesInput> series, const Settings& settings);

}  // namespace ringdate::xdate
