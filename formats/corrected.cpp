#include "formats/corrected.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

#include "core/pages.h"
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

// The decade lines of the series are sent to the file in blocks of about this many bytes
// (at least the size that gets pages of its own).
constexpr std::size_t block_bytes = page_storage_threshold;

// The first series of each block of consecutive series whose lines take about block_bytes
// together (at least one series a block), then nser + 1.
std::vector<int32_t> block_starts(const Store& store) {
  std::vector<int32_t> starts{1};
  std::size_t bytes = 0;
  for (int32_t i = 1; i <= store.nser; ++i) {
    const std::size_t b = text_bound(store, i, i + 1);
    if (bytes > 0 && bytes + b > block_bytes) {
      starts.push_back(i);
      bytes = 0;
    }
    bytes += b;
  }
  starts.push_back(std::max(store.nser, 0) + 1);
  return starts;
}

// Every series in a decade-line layout, sent to the corrected unit after what it holds, a
// block of series at a time, so that the file is never held whole. The lines of a series
// depend on it alone: the blocks are made on the machine's threads, each worker in a text
// of its own, and sent in order; a worker whose block is made waits until the blocks
// before it are sent.
void send_all_decades(recio::Units& units, const Store& store, CorrectedLayout layout,
                      const SeriesFileOptions& options) {
  const std::vector<int32_t> starts = block_starts(store);
  const std::size_t blocks = starts.size() - 1;
  std::vector<recio::Text> texts(std::max<std::size_t>(workers_for(blocks), 1));
  std::mutex lock;
  std::condition_variable turn;
  std::size_t sent = 0;  // blocks sent
  bool broken = false;   // a block failed: nothing after it is sent
  parallel_for(blocks, [&](std::size_t b, std::size_t w) {
    recio::Text& text = texts[w];
    std::exception_ptr failed;
    try {
      text.clear();
      // A text of a whole block's size is taken in pages of its own (core/pages.h), once.
      const std::size_t bound = text_bound(store, starts[b], starts[b + 1]);
      text.reserve(blocks > 1 ? std::max(bound, block_bytes) : bound);
      for (int32_t i = starts[b]; i < starts[b + 1]; ++i)
        write_decades(text, store, layout, i, options);
    } catch (...) {
      failed = std::current_exception();
    }
    std::unique_lock<std::mutex> hold(lock);
    turn.wait(hold, [&] { return sent == b; });
    broken = broken || failed;
    if (!broken) units.send(corrected_unit, text);
    ++sent;
    turn.notify_all();
    hold.unlock();
    if (failed) std::rethrow_exception(failed);
  });
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
  } else {
    send_all_decades(units, store, layout, options);
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
