// Dating an undated series against a dated reference: the sample's rings carry relative
// numbers only; it is tried at every position where it overlaps the reference by enough
// years, with the check's statistics at each, and dated only when its best position could
// not have come out on top by chance among all the positions tried.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "xdate/correlation.h"
#include "xdate/filter.h"
#include "xdate/series.h"
#include "xdate/transforms.h"

namespace ringdate::xdate {

struct DatingSettings {
  int32_t overlap = 50;  // fewest years with filtered values on both sides at a position
  int32_t top = 5;       // positions listed per sample
  // The decision: the best position's chance p (corrected for the number of positions) must
  // be below `p_max`, and its score must stand `margin` standard units above the second best
  // (or, when the best single reference series dates it, the second best's p be 0.01 or more).
  double p_max = 3e-5;
  double margin = 1.0;
  // The share of p_max given to the evidence of the single reference series that agrees best
  // with the sample at a position (when the reference has two series or more); the master's
  // score has the rest.
  double member_share = 0.2;
};

// The reference: its series filtered, and its masters (nothing left out): the biweight mean
// of the filtered values, the arithmetic means of the Baillie-Pilcher and Hollstein values
// and of the widths. A chronology is a reference of one series.
class Reference {
 public:
  explicit Reference(const std::vector<SeriesInput>& series);

  std::size_t size() const { return size_; }
  int32_t usable() const { return usable_; }  // series whose filter succeeded
  int32_t first_year() const { return filtered_.first; }
  int32_t last_year() const { return filtered_.last(); }
  const Track& filtered() const { return filtered_; }
  const Track& bp() const { return bp_; }
  const Track& ho() const { return ho_; }
  const Track& width() const { return width_; }
  // The filtered values of every series whose filter succeeded, clipped to 3 robust sd about
  // their median, in input order: what the sample is compared with series by series.
  const std::vector<Track>& members() const { return members_; }
  // The prewhitening model the score filters the sample with: a chronology's own; for
  // several series the mean of their models' coefficients (0 beyond a model's order).
  const ArModel& model() const { return model_; }

 private:
  std::size_t size_ = 0;
  int32_t usable_ = 0;
  Track filtered_, bp_, ho_, width_;
  std::vector<Track> members_;
  ArModel model_;
};

// The statistics of the sample placed at one position.
struct Position {
  int32_t first = 0, last = 0;  // calendar years of the sample's first and last ring
  Correlation r;                // filtered values against the biweight master (overlap r.n)
  Correlation bp, ho;           // tBP = bp.t(), tHo = ho.t()
  // The same over values clipped to 3 robust sd about their median: the score's.
  Correlation bp_clipped, ho_clipped;
  // r over the sample prewhitened with the reference's model (Reference::model), filtered
  // as it is and with its ends reflected: the score's two t-values.
  Correlation r_matched, r_mirrored;
  Glk glk;
  double score = 0.0;  // the decision's statistic (see score_of)
  double z = 0.0;      // the score in standard units of the other positions' scores
  // The reference series that agrees best with the sample here (listed positions only):
  // its index among the members (-1: none), its r over clipped filtered values, and the
  // mean of that t and of the t with the sample filtered with its ends reflected.
  int32_t member = -1;
  Correlation member_r;
  double member_t = 0.0;
  // Chance that the best of all positions reaches this evidence: of the score (z) alone, of
  // the best member alone (over every pair of a position and a member), and the decision's
  // p, which combines them (see date_sample).
  double p_score = 1.0, p_member = 1.0;
  double p = 1.0;

  // The significance of the GLK, (glk - 0.5) 2 sqrt(n), and its one-sided p.
  double glk_z() const;
  double glk_p() const;
};

// The decision's statistic at a position: a weighted mean of the four statistics, each a
// standard score under no match: (t + t' + tBP' + tHo' + GLK z) / 5. t and t' are over the
// sample prewhitened with the reference's model, filtered as it is (r_matched) and with its
// ends reflected (r_mirrored): two filters of the same rings whose errors differ, so that
// the t of the prewhitened values weighs double with less noise than twice one of them.
// tBP' and tHo' are over values clipped to 3 robust sd (bp_clipped,
// ho_clipped), so that one extreme year cannot make them. The other three are transforms of
// the same widths that keep more of the year-to-year persistence, and add less of their own.
double score_of(const Position& p);

enum class DatingVerdict {
  dated,
  not_dated,
  too_short,     // fewer filtered values than the overlap asks for
  not_filtered,  // the filter refused the sample (a negative or invalid value, too long)
  no_reference,  // no series of the reference could be filtered
  no_position,   // no position overlaps the reference by enough years
};

struct SampleDating {
  std::string id;
  int32_t first = 0, n = 0;  // the sample's own (relative) first year and its rings
  FilterStatus status = FilterStatus::too_short;
  DatingVerdict verdict = DatingVerdict::no_position;
  int32_t positions = 0;              // positions tested
  int32_t pairs = 0;                  // pairs of a position and a reference series tested
  double mean = 0.0, sd = 1.0;        // of the score over the other positions, as used for z
  double z_needed = 0.0;              // the z of the best position that gives p = p_max
  std::vector<Position> ranked;       // the best `top` positions, best first
  std::optional<Position> runner_up;  // the second best position, when there is one
  // Every position tested, by position (p only where listed).
  std::vector<Position> all;
  // End year and z of every position tested, by position: what the chart draws.
  struct CurvePoint {
    int32_t last = 0;
    double z = 0.0;
  };
  std::vector<CurvePoint> curve;

  bool dated() const { return verdict == DatingVerdict::dated; }
  // The calendar year of the sample's first ring when dated, else its own first year.
  int32_t dated_first() const { return dated() ? ranked.front().first : first; }
};

// Dates one sample against the reference. `filter` is a work area.
SampleDating date_sample(const Reference& ref, const SeriesInput& sample,
                         const DatingSettings& settings, Filter& filter);

// Every sample series dated against one reference; the samples keep their curve but not
// every position's statistics (`all` is emptied).
struct DatingRun {
  DatingSettings settings;
  int32_t reference_series = 0, reference_usable = 0;
  int32_t first_year = 0, last_year = -1;  // span of the reference's master
  std::vector<SampleDating> samples;       // in input order

  int32_t dated() const;
};

DatingRun date_samples(const std::vector<SeriesInput>& samples,
                       const std::vector<SeriesInput>& reference, const DatingSettings& settings);

}  // namespace ringdate::xdate
