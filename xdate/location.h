// Location of dating errors: the edit, or the sequence of up to three edits (a zero-width
// ring inserted, or a ring deleted, the rings before it moving one year), that best restores
// the series' dating against its master.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "xdate/analysis.h"
#include "xdate/edit.h"
#include "xdate/filter.h"
#include "xdate/master.h"
#include "xdate/missing_ring.h"
#include "xdate/offsets.h"
#include "xdate/segments.h"
#include "xdate/series.h"

namespace ringdate::xdate {

struct Suggestion {
  int32_t series = -1;  // index in the check's input
  std::string id;
  // The edits in the order to make them: from the earliest year to the latest, each year
  // the year of the file as read (an edit moves only the rings before it).
  std::vector<Edit> edits;
  char side = 'B';
  // The series' r and flagged segments as it stands and with every edit made (an inserted
  // ring counted at the mean width of its neighbours: its true width is unknown).
  double r_before = 0.0, r_after = 0.0;
  int32_t flagged_before = 0, flagged_after = 0;

  double gain() const { return r_after - r_before; }
  const Edit& first() const { return edits.front(); }
};

struct LocatorSettings {
  double min_gain = 0.04;  // r must rise at least this much
  int32_t reach = 15;      // years either side of the cheap best year that are refiltered
  int32_t window = 30;     // years either side of those in which candidates are compared
  double bp_weight = 1.5;  // weight of the Baillie-Pilcher values beside the filtered ones
  // The pairs near a candidate are scored by Student's t about the regression on the master,
  // with robust_nu degrees of freedom (0: normal). A single pair far off the line (a year one
  // tree grew unlike the site) then cannot outweigh the many that a shift of the edit
  // realigns: on the evaluation's seeds 12 and 5 more of the sequences are restored
  // (61 -> 63 %) and more single edits named at their year.
  double robust_nu = 4.0;
  double narrow_prior = 0.5;  // preference for a missing ring where the master is low
  // The share of missing rings taken to lie among the tenth narrowest rings of their series
  // (NarrowPrior), and the weight of that prior beside the likelihood of the compared pairs
  // (the likelihood of the two kinds of values overstates the evidence: see the closing
  // figures of the evaluation).
  double missing_share = 0.5;
  double prior_weight = 2.0;
  int32_t max_edits = 3;  // the longest sequence
  // Every edit of a sequence must be needed: without any one of them r falls by needed_gain
  // and, over n pairs, by needed_sum / n (a few rings realigned by chance raise r by about
  // the same sum whatever the length of the series); a longer sequence must raise r as much
  // over a shorter one. A sum of 12 turned down many true third edits (the series then got
  // two of its three, or one): with 10, on the evaluation's seeds 12 and 5, more sequences are
  // restored (69.4 -> 70.1, 69.3 -> 70.0 %) and more errors found (83.6 -> 84.1, 83.7 ->
  // 84.4 %), for 2-4 % more edits that match no error; 8 finds a little more and adds twice
  // as many of those.
  double needed_gain = 0.02;
  double needed_sum = 10.0;
  // The edits of a sequence are placed first among the years within sequence_reach of where
  // the dynamic program put them, then within reach of that. A missing ring is put where the
  // likelihood is largest around it: years within insert_spread weigh 1 - d / (spread + 1),
  // log-likelihoods divided by spread_scale (the two kinds of values share their evidence).
  // 0 names the single most likely year; a spread of 2 finds more of the missing rings of a
  // sequence within two years (a sequence restored: 59 -> 63 % of the evaluation's series)
  // but fewer at their exact year. A single edit names the most likely year.
  int32_t sequence_reach = 20;
  int32_t insert_spread = 2;
  double spread_scale = 3.0;
  int32_t single_spread = 0;  // the same for a single missing ring (0: its most likely year)
  OffsetSettings offsets;     // the dynamic program that proposes sequences
  double path_step = 8.0;     // each edit more must raise the program's score this much
  // The filtered values of a candidate are also compared with those of the `references`
  // other series of the file that agree best with the series within `around` years of the
  // compared ones (by the regression on them and the master together), and its
  // Baillie-Pilcher values with those of the `bp_references` best of the others: another
  // radius of the same tree, or a close neighbour, predicts a ring far better than the mean
  // of all. On the evaluation's seeds 12, 5 and 7 more sequences are restored (62.7 -> 66.2
  // -> 68.5 %, filtered then both) and more single edits named at their year (61.7 -> 63.3
  // -> 64.5 %); 2 to 8 series do alike (2 for the second kind: 4 let a synthetic forest
  // without such series misplace a missing ring by 4 years).
  int32_t references = 4;
  int32_t around = 50;
  int32_t bp_references = 2;
  // What an evaluation knows of the missing rings it injected, to measure how far better
  // knowledge of them could take the location (both empty in the check): the log prior of a
  // missing ring by year of the series as edited, in place of the narrow-years prior (times
  // known_weight), and the width a filled-in ring is given (absent: the width the master
  // expects).
  std::function<double(int32_t year)> known_prior;
  double known_weight = 1.0;
  std::function<double(int32_t year)> known_width;
};

// Finds the edit. Candidates of each kind are scored cheaply for every year (running sums of
// the pairs shifted one year before the year and at lag 0 after it); around the best year the
// series is refiltered for each candidate (with its own prewhitening model kept, so that the
// versions differ only near the edit) and the candidates are compared by the likelihood of
// the pairs near them under the regression of the series on its master. An inserted ring
// enters the filter at the width the master expects (its neighbours' mean times the master's
// Baillie-Pilcher ratio of the year) and is left out of the pairs; a
// deletion is scored as the merge of the ring with the next one. The filtered values are
// predicted from the master and from the other series that agree best with the series there
// (the master's `others`). A missing ring is put where
// the likelihood times the prior of a missing ring there (NarrowPrior: rings go missing in
// the tree's narrowest years) is largest.
//
// Sequences of two or more edits come from a dynamic program over the offset of every ring
// against the master (the best path with exactly k edits, for each k); each edit of a path is
// then placed exactly, the others held, by the same refiltered comparison of nearby years.
// A sequence is suggested only when, with every edit made, r rises by min_gain to a
// significant r, no flagged segment is left or at most half of them and none is added, and
// leaving out any one edit lowers r by needed_gain; and then only in place of a single edit
// whose r it beats by needed_gain.
class Locator {
 public:
  explicit Locator(LocatorSettings settings = {}) : settings_(settings) {}

  // The edits that best restore the dating of a series with flagged segments (`before`:
  // its statistics as it stands, `f` its filtered values), or none when no edit or sequence
  // raises r by min_gain to a significant r and mends at least half of the flagged segments
  // without flagging another.
  std::optional<Suggestion> operator()(Filter& filter, const SeriesInput& s, const Filtered& f,
                                       const Master& m, const SeriesResult& before,
                                       const SegmentGrid& grid, const Settings& settings);

  // The best edit of the last call with its statistics, whether suggested or not (for
  // evaluation); r_after is the score's r when the edit was not analysed in full.
  const std::optional<Suggestion>& considered() const { return considered_; }

  // Versions of a series filtered so far (the work of the location, for tests).
  int64_t refilters() const { return refilters_; }

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
  int64_t refilters_ = 0;
  std::vector<const Track*> refs_;  // the other series of the master, during a call
  std::vector<const Track*> refs_bp_;
  // Years of the series kept on either side of the compared stretch when it is refiltered.
  static constexpr int32_t margin = 100;
  std::optional<Candidate> best_of_kind(Filter& filter, const SeriesInput& s, const Filtered& f,
                                        const Master& m, EditKind kind, const SeriesResult& before,
                                        double rcrit);
  static int32_t flags_left(const SeriesResult& before, EditKind kind, int32_t year, double rcrit);
  // Whether r `a` is clearly above r `b` over n pairs (needed_gain, needed_sum).
  bool clearly_above(double a, double b, int32_t n) const {
    return a - b >= settings_.needed_gain && (a - b) * n >= settings_.needed_sum;
  }

  // The single edit, and the best sequence of two or more edits, that pass.
  std::optional<Suggestion> single(Filter& filter, const SeriesInput& s, const Filtered& f,
                                   const Master& m, const SeriesResult& before,
                                   const SegmentGrid& grid, const Settings& settings, double rcrit);
  std::optional<Suggestion> sequence(Filter& filter, const SeriesInput& s, const Filtered& f,
                                     const Master& m, const SeriesResult& before,
                                     const SegmentGrid& grid, const Settings& settings,
                                     double rcrit);
  // Each edit placed in turn among the years near it, the others held.
  std::vector<Edit> placed(Filter& filter, const SeriesInput& s, const Filtered& f, const Master& m,
                           std::vector<Edit> edits);
  // Adds to ll the log prior of a missing ring at `year` of v (the series with it inserted);
  // fills it in: from the narrow years and the master, unless the settings know them.
  void add_missing_prior(double& ll, const NarrowPrior& prior, const SeriesInput& v, int32_t year,
                         int32_t from, int32_t to, const Track& master_bp) const;
  void fill_missing(SeriesInput& v, int32_t year, const Track& master_bp) const;
  // The statistics with the edits made, filtered afresh as the check filters a series.
  std::optional<SeriesResult> with_edits(Filter& filter, const SeriesInput& s,
                                         std::span<const Edit> edits, const Master& m,
                                         const SegmentGrid& grid, const Settings& settings);
};

}  // namespace ringdate::xdate
