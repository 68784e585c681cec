// The best re-datings of a series against its master with a few edits: a dynamic program
// over the offset of each ring (the year it pairs with in the master less the year it is
// dated), from the outer end, where the offset is 0, to the inner end. A ring scores the
// agreement of its value with the master's at its year plus the offset; between two rings
// the offset may fall by one (a missing ring: the master year between them is skipped) or a
// ring may be left out and the offset rise by one (a false ring).
#pragma once

#include <cstdint>
#include <vector>

#include "xdate/edit.h"
#include "xdate/series.h"

namespace ringdate::xdate {

struct OffsetSettings {
  int32_t max_offset = 3;      // offsets -max_offset..+max_offset from the dating as read
  int32_t max_edits = 3;       // paths of 0..max_edits edits
  double bp_weight = 1.0;      // weight of the second pair of tracks beside the first
  double narrow_weight = 0.5;  // preference for a missing ring where the second master is low
};

// One path: its edits (earliest year first), its score in units of standardised products,
// and the years scored (the rings with a value in either track).
struct OffsetPath {
  std::vector<Edit> edits;
  double score = 0.0;
  bool found = false;
};

// For k = 0..max_edits the best path with exactly k edits (not found where none exists). The
// tracks: the series' filtered values and their master, the series' Baillie-Pilcher values
// and theirs (either pair may be empty). `work` counts the cells of the program.
std::vector<OffsetPath> best_offset_paths(const Track& f, const Track& master, const Track& b,
                                          const Track& master_b, const OffsetSettings& settings,
                                          int64_t* work = nullptr);

}  // namespace ringdate::xdate
