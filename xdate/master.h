// The master of a series: what all OTHER series of the file say about each year. The
// filtered values are combined by Tukey's biweight robust mean; the Baillie-Pilcher and
// Hollstein values and the widths by their arithmetic mean. Both pools compute the masters of
// many series at once, each leaving its own series out.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "xdate/series.h"

namespace ringdate::xdate {

// Tukey's biweight robust mean: M = median, S = median |x - M|, u = (x - M) / (9 S + 1e-6),
// weight (1 - u^2)^2 where |u| <= 1, else 0; sum(w x) / sum(w). `absent` for no values.
// The values are reordered.
double biweight_mean(std::span<double> x);

// out[k] = the biweight mean of all values but the k-th, for every k at once (out[0] is
// absent when there is one value). Values in any order. The median of the others takes one
// of at most three values, depending only on where the left-out value lies against the
// middle order statistics; so does the median absolute deviation for each of those medians.
// A handful of selections and sums then serve every k.
class BiweightLeaveOneOut {
 public:
  void operator()(std::span<const double> values, std::span<double> out);

 private:
  // The middle of n values without one: the order statistics p, p + 1 and p + 2 of the n
  // values (p = (n - 1) / 2 - 1 for the lower middle of the others).
  struct Middle {
    double a[3] = {0, 0, 0};
    std::size_t p = 0;
    bool odd_others = false;  // n - 1 odd: one middle value
    // The median of the values without one of value v: value(which(v)). The case is
    // counted from comparisons, so that it costs no branch on the data.
    int which(double v) const { return (v >= a[1]) + (odd_others ? 0 : (v >= a[2])); }
    double value(int c) const;
    int cases() const { return odd_others ? 2 : 3; }
  };
  struct Sums {
    double m, s, wx, w;
  };
  std::vector<double> scratch_, dev_;
  double med_of_[3] = {0, 0, 0};  // the median of the others in each case
  Middle dev_of_[3];              // the middle of |x - median| in each case
  Sums sums_[9] = {};             // by median case * 3 + deviation case
  bool used_[9] = {};
  std::vector<uint8_t> which_;     // the sums of each left-out value
  std::vector<double> med_, mad_;  // its centre and spread
  Middle middle_of(std::span<const double> x);
  void fill_sums(std::span<const double> values);
};

// The leave-one-out biweight masters of the filtered series.
class BiweightPool {
 public:
  // The tracks must outlive the pool; years first..last are the span of the masters.
  BiweightPool(std::vector<const Track*> tracks, int32_t first, int32_t last);
  // For each listed track (by index), the biweight of all other tracks in every year.
  std::vector<Track> leave_out(std::span<const int32_t> which) const;

 private:
  std::vector<const Track*> tracks_;
  int32_t first_, last_;
};

// Year sums and counts of one kind of value over all series: the arithmetic mean of the
// others is (sum - own) / (count - 1). The sums are accumulated in extended precision in the
// order the series are added and rounded once, so that the same values in two years give
// the same mean (the direction of the width master, for GLK, depends on exact ties).
class MeanPool {
 public:
  MeanPool(int32_t first, int32_t last);
  void add(const Track& t);
  // The mean of the other series in every year of the pool's span, `own` being the values
  // the series added (absent years: the mean of all).
  Track leaving_out(const Track& own) const;
  // Makes the totals leaving_out needs (else made by its first call after an add): from
  // then on until the next add, leaving_out only reads, and several threads may call it.
  void settle() const;

 private:
  int32_t first_;
  std::vector<long double> sum_;
  std::vector<int32_t> count_;
  // The sums rounded to double and the mean of all, by year: made on the first call of
  // leaving_out after an add, then shared by every series' master.
  mutable std::vector<double> total_, mean_;
  mutable bool ready_ = false;
};

// The masters of one series, its own values left out.
struct Master {
  Track filtered;  // biweight of the others' filtered values
  Track bp, ho;    // mean of the others' Baillie-Pilcher and Hollstein values
  Track width;     // mean of the others' widths
  // The filtered values of every series of the file (null where the filter failed), the
  // series' own at index `own`: the location of dating errors compares a candidate also with
  // the other series that agree best with it. They belong to the dataset that made the master.
  std::span<const Track* const> others;
  std::span<const Track* const> others_bp;  // their Baillie-Pilcher values, alike
  std::size_t own = static_cast<std::size_t>(-1);
};

}  // namespace ringdate::xdate
