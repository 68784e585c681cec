#include "xdate/live.h"

#include <algorithm>
#include <utility>

namespace ringdate::xdate {

std::vector<double> scored_values(const Version& v) {
  std::vector<double> out = v.values;
  if (v.inserted.size() != v.values.size()) return out;
  const auto n = static_cast<int64_t>(out.size());
  auto known = [&](int64_t k) {
    return k >= 0 && k < n && !v.inserted[static_cast<std::size_t>(k)];
  };
  for (int64_t k = 0; k < n; ++k) {
    if (!v.inserted[static_cast<std::size_t>(k)]) continue;
    int64_t lo = k - 1, hi = k + 1;
    while (lo >= 0 && !known(lo)) --lo;
    while (hi < n && !known(hi)) ++hi;
    double sum = 0.0;
    int32_t count = 0;
    if (known(lo)) sum += v.values[static_cast<std::size_t>(lo)], ++count;
    if (known(hi)) sum += v.values[static_cast<std::size_t>(hi)], ++count;
    out[static_cast<std::size_t>(k)] = count > 0 ? sum / count : 0.0;
  }
  return out;
}

LiveComparison::LiveComparison(Dataset& data, std::vector<int32_t> which)
    : data_(&data), which_(std::move(which)), slots_(which_.size()) {
  critical_r_ = xdate::critical_r(LiveSeries::moving_length, data.settings().pcrit);
  // The masters of all compared series at once: the costly part, done once.
  std::vector<int32_t> known;
  for (std::size_t k = 0; k < which_.size(); ++k) {
    const int32_t i = which_[k];
    slots_[k].index = (i >= 0 && static_cast<std::size_t>(i) < data.size()) ? i : -1;
    if (slots_[k].index >= 0) known.push_back(i);
  }
  std::vector<Master> masters = data.masters(known);
  std::size_t m = 0;
  for (Slot& s : slots_) {
    if (s.index >= 0) s.master = std::move(masters[m++]);
  }
}

const LiveSeries& LiveComparison::update(std::size_t k, const Version& v, int32_t from,
                                         int32_t to) {
  Slot& s = slots_.at(k);
  if (from > to) std::swap(from, to);
  if (!s.version || !(*s.version == v)) {
    analyse(s, v);
    s.version = v;
    s.from = 0, s.to = -1;  // the window values are stale
  }
  if (s.from != from || s.to != to) window(s, from, to);
  return s.out;
}

void LiveComparison::analyse(Slot& s, const Version& v) {
  LiveSeries& out = s.out;
  out = LiveSeries{};
  s.filtered = Filtered{};
  if (s.index < 0 || data_->size() < 2) {
    out.note = LiveNote::single_series;
    return;
  }
  const auto i = static_cast<std::size_t>(s.index);
  const std::string& id = data_->input(i).id;
  const std::vector<double> values = scored_values(v);
  s.filtered = data_->filter()(v.first, values);
  out.stats =
      xdate::analyse(id, v.first, values, s.filtered, s.master, data_->grid(), data_->settings());
  switch (s.filtered.status) {
    case FilterStatus::ok:
      break;
    case FilterStatus::too_short:
      out.note = LiveNote::too_short;
      return;
    case FilterStatus::too_long:
    case FilterStatus::invalid:
      out.note = LiveNote::invalid;
      return;
  }
  if (!out.stats.r.valid) {
    out.note = LiveNote::no_overlap;
    return;
  }
  out.note = LiveNote::none;
  if (out.stats.flagged == 0) return;
  const SeriesInput as_is{id, v.first, values};
  out.suggestion = locate_(data_->filter(), as_is, s.filtered, s.master, out.stats, data_->grid(),
                           data_->settings());
  if (out.suggestion) out.suggestion->series = s.index;
}

void LiveComparison::window(Slot& s, int32_t from, int32_t to) {
  LiveSeries& out = s.out;
  s.from = from, s.to = to;
  out.moving.clear();
  for (Correlation& c : out.lags) c = Correlation{};
  if (out.note != LiveNote::none) return;
  const Track& f = s.filtered.values;
  const Track& m = s.master.filtered;

  for (int32_t lag = -LiveSeries::max_lag; lag <= LiveSeries::max_lag; ++lag) {
    out.lags[static_cast<std::size_t>(lag + LiveSeries::max_lag)] = correlate(f, m, from, to, lag);
  }

  // Windows of `len` years starting at t, centred on t + (len - 1) / 2 within from..to;
  // a window counts only with a pair in every year.
  constexpr int32_t len = LiveSeries::moving_length;
  const int64_t t0 = std::max<int64_t>(int64_t{from} - (len - 1) / 2, f.first);
  const int64_t t1 = std::min<int64_t>(int64_t{to} - len / 2, int64_t{f.last()} - len + 1);
  if (t1 < t0) return;
  // Sums of the pairs in the current window; values taken about 1 (both sides have mean
  // near 1) so that the sums lose nothing to cancellation.
  PairSums sums;
  auto pair = [&](int64_t y, double sign) {
    const double x = f.at(static_cast<int32_t>(y)), w = m.at(static_cast<int32_t>(y));
    if (!present(x) || !present(w)) return;
    PairSums one;
    one.add(x - 1.0, w - 1.0);
    if (sign > 0)
      sums += one;
    else
      sums -= one;
  };
  for (int64_t y = t0; y < t0 + len; ++y) pair(y, +1);
  for (int64_t t = t0;; ++t) {
    if (sums.n > len - 0.5) {
      const Correlation c = sums.result();
      if (c.valid) out.moving.emplace_back(static_cast<double>(t) + (len - 1) / 2.0, c.r);
    }
    if (t >= t1) break;
    pair(t, -1);
    pair(t + len, +1);
  }
}

}  // namespace ringdate::xdate
