#include "formats/corrected.h"

#include <algorithm>
#include <vector>

#include "core/parallel.h"
#include "formats/datw.h"
#include "formats/decade_lines.h"
#include "formats/fhstore.h"
#include "formats/heidelberg_write.h"

namespace ringdate {

namespace {

constexpr int corrected_unit = 12;
constexpr std::string_view no_tag = "   ";  // the decade lines carry no tag in columns 78-80

// An upper bound of the decade lines of store series from..to - 1.
std::size_t text_bound(const Store& store, int32_t from, int32_t to) {
  std::size_t bound = 0;
  for (int32_t i = from; i < to; ++i)
    bound += series_text_bound(store.iyr(i, 2) - store.iyr(i, 1) + 1, no_tag);
  return bound;
}

// The measured values of store series i over its years; empty when its rows do not lie on
// the store's axis (nothing is written for it).
std::span<const float> measured(const Store& store, int32_t i) {
  const int32_t first = store.iyr(i, 1);
  const int32_t nval = store.iyr(i, 2) - first + 1;
  const int32_t row = first - store.iyrmin() + 1;
  if (nval < 1 || row < 1 || int64_t{row} - 1 + nval > static_cast<int64_t>(store.raw.rows()) ||
      static_cast<std::size_t>(i) > store.raw.cols())
    return {};
  return store.raw.column(static_cast<std::size_t>(i))
      .subspan(static_cast<std::size_t>(row - 1), static_cast<std::size_t>(nval));
}

// Every series as read, with the years and values the edits gave it, headers kept.
void write_heidelberg(recio::Text& out, const Store& store, std::span<const fh::Series> as_read) {
  std::vector<fh::Series> series;
  for (int32_t i = 1; i <= store.nser && static_cast<std::size_t>(i) <= as_read.size(); ++i) {
    const std::span<const float> vals = measured(store, i);
    if (vals.empty()) continue;
    series.push_back(
        corrected_series(as_read[static_cast<std::size_t>(i - 1)], store.iyr(i, 1), vals));
  }
  const std::string text = fh::write(series);
  out.append(text.data(), text.size());
}

// The first year written for store series i.
int32_t first_year(const Store& store, int32_t i, const SeriesFileOptions& options) {
  const auto k = static_cast<std::size_t>(i - 1);
  return k < options.first_years.size() ? options.first_years[k] : store.iyr(i, 1);
}

// Writes store series i (its measured values) in the compact layout, starting in the year
// the options give; nothing for a series whose rows do not lie on the store's axis.
void write_compact(recio::Session& session, const Store& store, int32_t i,
                   const SeriesFileOptions& options, std::vector<int32_t>& work) {
  const std::span<const float> vals = measured(store, i);
  if (vals.empty()) return;
  const auto nval = static_cast<int32_t>(vals.size());
  work.resize(static_cast<std::size_t>(nval));
  datw(session, store.ids[static_cast<std::size_t>(i - 1)], vals, work, nval,
       first_year(store, i, options), corrected_unit, options.compact_code);
}

// The same in a decade-line layout, into `out`.
void write_decades(recio::Text& out, const Store& store, CorrectedLayout layout, int32_t i,
                   const SeriesFileOptions& options) {
  const std::string& id = store.ids[static_cast<std::size_t>(i - 1)];
  const std::span<const float> vals = measured(store, i);
  if (vals.empty()) return;
  const int32_t first = first_year(store, i, options);
  const auto nval = static_cast<int32_t>(vals.size());
  if (layout == CorrectedLayout::tucson_measurements) {
    write_measurement_series(out, id, first, nval, vals, no_tag);
  } else {
    // Every value is written with a count of 1.
    write_index_series(out, id, first, nval, vals, {}, no_tag, layout == CorrectedLayout::cru);
  }
}

// Every series in a decade-line layout after what `out` holds. The lines of a series
// depend on it alone: consecutive series are written in pieces on the machine's threads,
// the first piece straight into `out`, each other into a text of its own, then appended in
// order. `out` has room for every line at once and each other text for its own, so
// that no text moves while it grows.
void write_all_decades(recio::Text& out, const Store& store, CorrectedLayout layout,
                       const SeriesFileOptions& options) {
  const int32_t nser = std::max(store.nser, 0);
  const std::size_t pieces = std::max<std::size_t>(workers_for(static_cast<std::size_t>(nser)), 1);
  auto from = [&](std::size_t p) {
    return 1 + static_cast<int32_t>(static_cast<int64_t>(nser) * static_cast<int64_t>(p) /
                                    static_cast<int64_t>(pieces));
  };
  std::vector<recio::Text> texts(pieces - 1);
  out.reserve(out.size() + text_bound(store, 1, nser + 1));
  parallel_for(pieces, [&](std::size_t p, std::size_t) {
    recio::Text& text = p == 0 ? out : texts[p - 1];
    if (p > 0) text.reserve(text_bound(store, from(p), from(p + 1)));
    for (int32_t i = from(p); i < from(p + 1); ++i) write_decades(text, store, layout, i, options);
  });
  for (const recio::Text& t : texts) out.append(t);
}

}  // namespace

CorrectedLayout corrected_layout(std::string_view mode) {
  if (mode == "IR") return CorrectedLayout::tucson_indices;
  if (mode == "CR") return CorrectedLayout::cru;
  if (mode == "CD") return CorrectedLayout::compact;
  if (mode == "FH") return CorrectedLayout::heidelberg;
  return CorrectedLayout::tucson_measurements;
}

std::string corrected_name(std::string_view fname) {
  const auto end = fname.find_last_not_of(' ');
  return std::string(fname.substr(0, end == std::string_view::npos ? 0 : end + 1)) + "_COR";
}

bool write_series_file(recio::Session& session, const Store& store, CorrectedLayout layout,
                       const std::string& path, const SeriesFileOptions& options) {
  static const recio::Layout first = recio::Layout::fixed("('CORRECTED RING-WIDTH DATA: ',A)");
  recio::Units& units = session.units();
  // The unit collects the records and replaces the file only when it is closed complete.
  if (!units.open(corrected_unit, path, recio::Status::unknown)) return false;
  if (layout == CorrectedLayout::heidelberg) {
    if (recio::Text* out = units.output(corrected_unit))
      write_heidelberg(*out, store, options.as_read);
    return units.close(corrected_unit);
  }
  if (options.title_line) {
    std::string shown = path;
    if (shown.size() < 40) shown.resize(40, ' ');
    for (const std::string& rec : recio::write(first, {shown}).lines)
      units.write_line(corrected_unit, rec);
  }
  if (layout == CorrectedLayout::compact) {
    std::vector<int32_t> work;
    for (int32_t i = 1; i <= store.nser; ++i) write_compact(session, store, i, options, work);
  } else if (recio::Text* out = units.output(corrected_unit)) {
    write_all_decades(*out, store, layout, options);
  }
  return units.close(corrected_unit);
}

bool write_corrected(recio::Session& session, const Store& store, CorrectedLayout layout,
                     const std::string& path, std::span<const fh::Series> as_read) {
  SeriesFileOptions options;
  options.as_read = as_read;
  return write_series_file(session, store, layout, path, options);
}

}  // namespace ringdate
