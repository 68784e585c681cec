#include "formats/fhstore.h"

#include <algorithm>
#include <set>

#include "formats/datafile.h"

namespace ringdate {

std::vector<std::string> distinct_identifiers(std::span<const std::string> ids,
                                              std::span<const std::size_t> widths) {
  std::vector<std::string> out;
  std::set<std::string> given;
  for (std::size_t n = 0; n < ids.size(); ++n) {
    const std::string& id = ids[n];
    const std::size_t width = n < widths.size() ? widths[n] : id.size();
    std::string cut = id.substr(0, std::min(width, id.size()));
    for (std::size_t k = 2; given.count(cut) != 0; ++k) {
      const std::string tail = std::to_string(k);
      const std::size_t keep = std::min(id.size(), width > tail.size() ? width - tail.size() : 0);
      cut = id.substr(0, keep) + tail;
    }
    given.insert(cut);
    out.push_back(std::move(cut));
  }
  return out;
}

Refused load_heidelberg(std::span<const fh::Series> series, Store& store) {
  auto refused = [](RefusalKind kind, const std::string& message) {
    return Refusal{kind, {"", " *** " + message}, " ", {}};
  };
  const int64_t limit_years = max_span_years;
  if (series.empty()) return refused(RefusalKind::no_series, "No series in the file");
  int64_t lo = series.front().first, hi = series.front().last();
  for (const fh::Series& s : series) {
    if (static_cast<int64_t>(s.values.size()) > limit_years)
      return refused(RefusalKind::series_too_long,
                     "Series " + s.keycode + " holds " + std::to_string(s.values.size()) +
                         " years; at most " + std::to_string(limit_years) + " can be read");
    lo = std::min<int64_t>(lo, s.first);
    hi = std::max<int64_t>(hi, s.last());
  }
  if (hi - lo + 1 > limit_years)
    return refused(RefusalKind::span_too_wide, "The series span " + std::to_string(hi - lo + 1) +
                                                   " years (" + std::to_string(lo) + " to " +
                                                   std::to_string(hi) + "); at most " +
                                                   std::to_string(limit_years) + " can be read");
  const auto rows = static_cast<std::size_t>(axis_rows(hi - lo + 1));
  const auto cols = static_cast<std::size_t>(store_columns(static_cast<int64_t>(series.size())));
  if (series.size() > static_cast<std::size_t>(INT32_MAX - 1) ||
      static_cast<int64_t>(rows * cols) > max_store_cells)
    return refused(RefusalKind::too_many_series, "The file holds " + std::to_string(series.size()) +
                                                     " series over " + std::to_string(hi - lo + 1) +
                                                     " years: more than the store may take (" +
                                                     std::to_string(max_store_cells) + " values)");

  std::vector<std::string> keys;
  for (const fh::Series& s : series) keys.push_back(s.keycode);
  const std::vector<std::string> ids =
      distinct_identifiers(keys, std::vector<std::size_t>(keys.size(), 8));
  store.changed();
  store.wrk = Matrix<float>(rows, cols, rmiss);
  store.iyr.resize(cols + 1, 2);
  store.ids.resize(cols, std::string(8, ' '));
  fit_work_areas(store);
  store.nser = static_cast<int32_t>(series.size());
  for (std::size_t k = 0; k < series.size(); ++k) {
    const fh::Series& s = series[k];
    const auto i = static_cast<int32_t>(k + 1);
    store.ids[k] = ids[k];
    store.ids[k].resize(8, ' ');
    store.iyr(i, 1) = s.first;
    store.iyr(i, 2) = s.last();
    const auto col = store.wrk.column(k + 1);
    std::transform(s.values.begin(), s.values.end(), col.begin(),
                   [](double v) { return static_cast<float>(v); });
  }
  store.iyr(store.nser + 1, 1) = static_cast<int32_t>(lo);
  store.iyr(store.nser + 1, 2) = static_cast<int32_t>(hi);
  store.mode = "FH";
  if (!align(store))
    return refused(RefusalKind::span_too_wide,
                   "Series read in span more years than the store holds");
  snapshot(store);
  return std::nullopt;
}

fh::Series corrected_series(const fh::Series& read, int32_t first, std::span<const float> values) {
  fh::Series s = read;
  s.first = first;
  s.values.assign(values.begin(), values.end());
  if (s.kind == fh::DataKind::measurement) return s;
  const std::size_t n_old = read.values.size(), n_new = values.size();
  auto same = [&](std::size_t o, std::size_t n) {
    return static_cast<float>(read.values[o]) == values[n];
  };
  std::size_t p = 0;
  while (p < n_old && p < n_new && same(p, p)) ++p;
  std::size_t q = 0;
  while (q < n_old - p && q < n_new - p && same(n_old - 1 - q, n_new - 1 - q)) ++q;
  auto carry = [&](const std::vector<int32_t>& from, int32_t between) {
    std::vector<int32_t> to(n_new, between);
    if (from.size() != n_old) return to;
    for (std::size_t k = 0; k < p; ++k) to[k] = from[k];
    for (std::size_t k = 0; k < q; ++k) to[n_new - 1 - k] = from[n_old - 1 - k];
    return to;
  };
  const int32_t before = p > 0 && read.counts.size() == n_old ? read.counts[p - 1]
                         : read.counts.empty()                ? 1
                                                              : read.counts.front();
  s.counts = carry(read.counts, before);
  if (s.kind == fh::DataKind::chronology) {
    s.ups = carry(read.ups, 0);
    s.downs = carry(read.downs, 0);
  }
  return s;
}

}  // namespace ringdate
