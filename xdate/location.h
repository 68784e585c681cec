// Location of a dating error: the single edit (a zero-width ring inserted, or a ring
// deleted, the rings before it moving one year) that best restores the series' dating
// against its master.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ringedit.h"
#include "xdate/analysis.h"
#include "xdate/filter.h"
#include "xdate/master.h"
#include "xdate/segments.h"
#include "xdate/series.h"

namespace ringdate::xdate {

enum class EditKind { insert, remove };

// One edit of a series, side B: the outer year stays.
struct Edit {
  EditKind kind = EditKind::insert;
  // insert: the year of the new zero ring after the edit, every ring dated up to it moving
  // one year earlier; remove: the year of the ring removed, every earlier ring moving one
  // year later.
  int32_t year = 0;

  // What to type in the comparison loop with side B: an insert of year Y puts the zero ring
  // at Y - 1, a delete of year Y removes the ring of Y.
  int32_t type_year() const { return kind == EditKind::insert ? year + 1 : year; }
  // The edit as the comparison loop and the store apply it.
  RingEdit ring_edit() const {
    return RingEdit{kind == EditKind::insert ? RingOp::insert : RingOp::remove, type_year(),
                    Side::before};
  }
};

// The series after the edit (an inserted ring has width 0); false when the year is not
// inside the series.
bool apply_edit(const SeriesInput& s, const Edit& e, SeriesInput& out);

struct Suggestion {
  int32_t series = -1;  // index in the check's input
  std::string id;
  Edit edit;
  char side = 'B';
  // The series' r and flagged segments as it stands and with the edit made (an inserted
  // ring counted at the mean width of its neighbours: its true width is unknown).
  double r_before = 0.0, r_after = 0.0;
  int32_t flagged_before = 0, flagged_after = 0;

  double gain() const { return r_after - r_before; }
};

struct LocatorSettings {
  double min_gain = 0.04;     // r must rise at least this much
  int32_t reach = 10;         // years either side of the cheap best year that are refiltered
  int32_t window = 30;        // years either side of those in which candidates are compared
  double bp_weight = 1.5;     // weight of the Baillie-Pilcher values beside the filtered ones
  double narrow_prior = 0.5;  // preference for a missing ring where the master is low
};

// Finds the edit. Candidates of each kind are scored cheaply for every year (running sums of
// the pairs shifted one year before the year and at lag 0 after it); around the best year the
// series is refiltered for each candidate (with its own prewhitening model kept, so that the
// versions differ only near the edit) and the candidates are compared by the likelihood of
// the pairs near them under the regression of the series on its master. An inserted ring
// enters the filter at the mean width of its neighbours and is left out of the pairs; a
// deletion is scored as the merge of the ring with the next one.
class Locator {
 public:
  explicit Locator(LocatorSettings settings = {}) : settings_(settings) {}

  // The edit that best restores the dating of a series with flagged segments (`before`:
  // its statistics as it stands, `f` its filtered values), or none when no edit raises r by
  // min_gain to a significant r and mends at least half of the flagged segments without
  // flagging another.
  std::optional<Suggestion> operator()(Filter& filter, const SeriesInput& s, const Filtered& f,
                                       const Master& m, const SeriesResult& before,
                                       const SegmentGrid& grid, const Settings& settings);

  // The best edit of the last call with its statistics, whether suggested or not (for
  // evaluation); r_after is the score's r when the edit was not analysed in full.
  const std::optional<Suggestion>& considered() const { return considered_; }

  // The cheap score of every candidate year of one kind: r of the track with the master
  // when the years up to the candidate are paired one year off; absent where undefined.
  // Index k is the year t.first + k.
  static std::vector<double> cheap_scores(const Track& t, const Track& master, EditKind kind);

 private:
  struct Candidate {
    Edit edit;
    double r = -2.0;  // overall r of the scored version
  };
  LocatorSettings settings_;
  std::optional<Suggestion> considered_;
  // Years of the series kept on either side of the compared stretch when it is refiltered.
  static constexpr int32_t margin = 100;
  std::optional<Candidate> best_of_kind(Filter& filter, const SeriesInput& s, const Filtered& f,
                                        const Master& m, EditKind kind, const SeriesResult& before,
                                        double rcrit);
  static int32_t flags_left(const SeriesResult& before, EditKind kind, int32_t year, double rcrit);
};

}  // namespace ringdate::xdate
