#include "xdate/dataset.h"

#include <algorithm>
#include <limits>

#include "core/parallel.h"

namespace ringdate::xdate {

namespace {

int32_t span_first(const std::vector<SeriesInput>& in) {
  int32_t y = std::numeric_limits<int32_t>::max();
  for (const SeriesInput& s : in) {
    if (!s.values.empty()) y = std::min(y, s.first);
  }
  return y == std::numeric_limits<int32_t>::max() ? 0 : y;
}

int32_t span_last(const std::vector<SeriesInput>& in) {
  int32_t y = std::numeric_limits<int32_t>::min();
  for (const SeriesInput& s : in) {
    if (!s.values.empty()) y = std::max(y, s.last());
  }
  return y == std::numeric_limits<int32_t>::min() ? -1 : y;
}

}  // namespace

Dataset::Dataset(std::vector<SeriesInput> series, const Settings& settings)
    : in_(std::move(series)),
      settings_(settings),
      first_(span_first(in_)),
      last_(span_last(in_)),
      grid_(SegmentGrid::of(first_, last_, settings.segment)),
      bp_(first_, last_),
      ho_(first_, last_),
      width_(first_, last_) {
  // Each series is filtered on its own, spread over the machine's threads (a filter work
  // area each, the first thread's the data's own); the pools then take the series in order.
  const std::size_t n = in_.size();
  f_.resize(n);
  t_.resize(n);
  std::vector<Filter> filters(std::max<std::size_t>(workers_for(n), 1) - 1);
  parallel_for(n, [&](std::size_t i, std::size_t w) {
    const SeriesInput& s = in_[i];
    f_[i] = (w == 0 ? filter_ : filters[w - 1])(s.first, s.values);
    if (f_[i].status == FilterStatus::ok) t_[i] = transforms_of(widths_of(s.first, s.values));
  });
  for (std::size_t i = 0; i < n; ++i) {
    if (f_[i].status != FilterStatus::ok) continue;
    const SeriesInput& s = in_[i];
    bp_.add(t_[i].bp);
    ho_.add(t_[i].ho);
    width_.add(widths_of(s.first, s.values));
  }
  // The masters are made from several threads at once: the pools' totals are made now.
  bp_.settle();
  ho_.settle();
  width_.settle();
  tracks_.reserve(f_.size());
  bp_tracks_.reserve(f_.size());
  for (std::size_t i = 0; i < n; ++i) {
    const bool ok = f_[i].status == FilterStatus::ok;
    tracks_.push_back(ok ? &f_[i].values : nullptr);
    bp_tracks_.push_back(ok ? &t_[i].bp : nullptr);
  }
}

int32_t Dataset::usable() const {
  return static_cast<int32_t>(std::count_if(
      f_.begin(), f_.end(), [](const Filtered& f) { return f.status == FilterStatus::ok; }));
}

std::vector<Track> Dataset::biweight_masters(std::span<const int32_t> which) const {
  std::vector<const Track*> tracks;
  std::vector<int32_t> index(in_.size(), -1);
  for (std::size_t i = 0; i < in_.size(); ++i) {
    if (f_[i].status != FilterStatus::ok) continue;
    index[i] = static_cast<int32_t>(tracks.size());
    tracks.push_back(&f_[i].values);
  }
  // A series outside the pool (not usable) gets the biweight of all series.
  std::vector<int32_t> in_pool(which.size());
  for (std::size_t k = 0; k < which.size(); ++k) {
    const int32_t i = which[k];
    in_pool[k] = (i >= 0 && static_cast<std::size_t>(i) < in_.size())
                     ? index[static_cast<std::size_t>(i)]
                     : -1;
  }
  return BiweightPool(std::move(tracks), first_, last_).leave_out(in_pool);
}

Master Dataset::master(std::size_t i, Track biweight) const {
  Master m;
  m.filtered = std::move(biweight);
  m.others = tracks_;
  m.others_bp = bp_tracks_;
  m.own = i;
  const SeriesInput& s = in_.at(i);
  if (f_[i].status == FilterStatus::ok) {
    m.bp = bp_.leaving_out(t_[i].bp);
    m.ho = ho_.leaving_out(t_[i].ho);
    m.width = width_.leaving_out(widths_of(s.first, s.values));
  } else {
    m.bp = bp_.leaving_out(Track{});
    m.ho = ho_.leaving_out(Track{});
    m.width = width_.leaving_out(Track{});
  }
  return m;
}

std::vector<Master> Dataset::masters(std::span<const int32_t> which) const {
  std::vector<Track> bw = biweight_masters(which);
  std::vector<Master> out;
  out.reserve(which.size());
  for (std::size_t k = 0; k < which.size(); ++k)
    out.push_back(master(static_cast<std::size_t>(which[k]), std::move(bw[k])));
  return out;
}

SeriesResult Dataset::analyse(std::size_t i, const Master& m) const {
  const SeriesInput& s = in_.at(i);
  return xdate::analyse(s.id, s.first, s.values, t_[i], f_[i], m, grid_, settings_);
}

SeriesResult Dataset::analyse_version(std::size_t i, const Master& m, int32_t first,
                                      std::span<const double> values) {
  const Filtered f = filter_(first, values);
  return xdate::analyse(in_.at(i).id, first, values, f, m, grid_, settings_);
}

}  // namespace ringdate::xdate
