// Location of a dating error: the single edit (a zero-width ring inserted, or a ring
// deleted, the rings before it moving one year) that best restores the series' correlation
// with its master.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "xdate/analysis.h"
#include "xdate/filter.h"
#include "xdate/master.h"
#include "xdate/segments.h"
#include "xdate/series.h"

namespace ringdate::xdate {

enum class EditKind { insert, remove };

struct Suggestion {
  int32_t series = -1;  // index in the check's input
  std::string id;
  EditKind kind = EditKind::insert;
  // insert: the year of the new zero ring after the edit, every ring up to it moving one
  // year earlier; remove: the year of the ring removed, every earlier ring one year later.
  int32_t year = 0;
  // What to type in the comparison loop, side B: insert year + 1, or delete year.
  int32_t type_year = 0;
  char side = 'B';
  double r_before = 0.0, r_after = 0.0;
  int32_t flagged_before = 0, flagged_after = 0;

  double gain() const { return r_after - r_before; }
};

class Locator {
 public:
  std::optional<Suggestion> operator()(Filter& filter, const SeriesInput& s, const Master& m,
                                       const SeriesResult& before, const SegmentGrid& grid,
                                       const Settings& settings);
};

}  // namespace ringdate::xdate
