// Crossdating statistics of the series of a comparison while they are being edited. The
// masters of the compared series are built once per comparison; each version of a series
// (its years and values as they stand after shifts, inserts, deletes and merges) is analysed
// against its unchanged master, and only a version that changed is analysed again.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "xdate/analysis.h"
#include "xdate/dataset.h"
#include "xdate/location.h"
#include "xdate/master.h"
#include "xdate/series.h"

namespace ringdate::xdate {

// A compared series as it stands: values[k] belongs to the year first + k. A ring marked
// `inserted` was put in as a zero-width placeholder; its width is unknown, so it is taken at
// the mean of its neighbours, as the location of errors scores an insert.
struct Version {
  int32_t first = 0;
  std::vector<double> values;
  std::vector<bool> inserted;  // empty, or one flag per value

  int32_t last() const { return first + static_cast<int32_t>(values.size()) - 1; }
  bool operator==(const Version&) const = default;
};

// Why a compared series has no statistics.
enum class LiveNote {
  none,
  single_series,  // the file has no other series to make a master
  too_short,      // too short for the filter (or its spline failed)
  invalid,        // a negative or non-finite value, or too long for the filter
  no_overlap,     // no year in common with the master
};

// The statistics of one compared series.
struct LiveSeries {
  static constexpr int32_t max_lag = 5;
  static constexpr int32_t moving_length = 50;

  LiveNote note = LiveNote::single_series;
  SeriesResult stats;                    // against the master, over the whole version
  std::optional<Suggestion> suggestion;  // the edit that restores the dating, if any
  // Moving correlation: r of the moving_length years centred on each year of the window
  // (x = the centre, a half year for an even length), where all of them have pairs.
  std::vector<std::pair<double, double>> moving;
  // r with the master at lags -max_lag..max_lag over the years of the window (index lag +
  // max_lag); the series dated t paired with the master at t + lag.
  std::array<Correlation, 2 * max_lag + 1> lags{};
};

class LiveComparison {
 public:
  // `which`: for each compared series its index in `data` (-1: none). `data` must outlive
  // this object.
  LiveComparison(Dataset& data, std::vector<int32_t> which);

  std::size_t size() const { return which_.size(); }
  // The critical r of a moving window (0.3281 at pcrit 0.01).
  double critical_r() const { return critical_r_; }
  // The version as it stands of compared series k (0-based) over the window from..to (in
  // either order): analysed again only when the version or the window changed.
  const LiveSeries& update(std::size_t k, const Version& v, int32_t from, int32_t to);

 private:
  struct Slot {
    int32_t index = -1;
    Master master;
    std::optional<Version> version;  // the version last analysed
    Filtered filtered;
    int32_t from = 0, to = -1;  // the window of the moving and lag values
    LiveSeries out;
  };
  Dataset* data_;
  std::vector<int32_t> which_;
  std::vector<Slot> slots_;
  Locator locate_;
  double critical_r_ = 1.0;

  void analyse(Slot& s, const Version& v);
  void window(Slot& s, int32_t from, int32_t to);
};

// The widths taken for a version: an inserted ring at the mean of its nearest neighbours
// that are not inserted ones (0 when there are none).
std::vector<double> scored_values(const Version& v);

}  // namespace ringdate::xdate
