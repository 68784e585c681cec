// All series of one file prepared for crossdating: each series filtered once, and the pools
// from which the master of any series (all other series, itself left out) is built. A
// comparison builds the masters of its series once and then re-analyses an edited version
// of a series against its unchanged master.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "xdate/analysis.h"
#include "xdate/filter.h"
#include "xdate/master.h"
#include "xdate/segments.h"
#include "xdate/series.h"

namespace ringdate::xdate {

class Dataset {
 public:
  Dataset(std::vector<SeriesInput> series, const Settings& settings);
  // The masters point into the dataset's filtered values: a copy would leave them behind.
  Dataset(const Dataset&) = delete;
  Dataset& operator=(const Dataset&) = delete;
  Dataset(Dataset&&) = default;
  Dataset& operator=(Dataset&&) = default;

  std::size_t size() const { return in_.size(); }
  const SeriesInput& input(std::size_t i) const { return in_.at(i); }
  const Filtered& filtered(std::size_t i) const { return f_.at(i); }
  const Transforms& transforms(std::size_t i) const { return t_.at(i); }
  const Settings& settings() const { return settings_; }
  const SegmentGrid& grid() const { return grid_; }
  int32_t first_year() const { return first_; }
  int32_t last_year() const { return last_; }
  // Series whose filter succeeded: they alone make the masters.
  int32_t usable() const;

  // The biweight masters of the listed series (indices), each leaving itself out, over the
  // file's span: the costly part, done for many series at once.
  std::vector<Track> biweight_masters(std::span<const int32_t> which) const;
  // The full master of series i from its biweight master.
  Master master(std::size_t i, Track biweight) const;
  // The full masters of the listed series.
  std::vector<Master> masters(std::span<const int32_t> which) const;

  // Statistics of series i as read, against its master.
  SeriesResult analyse(std::size_t i, const Master& m) const;
  // Statistics of an edited version of series i (its own first year and values) against
  // series i's master: the version is filtered afresh.
  SeriesResult analyse_version(std::size_t i, const Master& m, int32_t first,
                               std::span<const double> values);

  // The filter's work area, for callers that refilter versions themselves.
  Filter& filter() { return filter_; }

 private:
  std::vector<SeriesInput> in_;
  std::vector<Filtered> f_;
  std::vector<const Track*> tracks_;     // f_'s values where the filter succeeded, else null
  std::vector<const Track*> bp_tracks_;  // t_'s Baillie-Pilcher values, alike
  std::vector<Transforms> t_;            // of the usable series
  Settings settings_;
  int32_t first_ = 0, last_ = -1;
  SegmentGrid grid_;
  MeanPool bp_, ho_, width_;
  Filter filter_;
};

}  // namespace ringdate::xdate
