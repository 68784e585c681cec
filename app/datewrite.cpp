#include "app/datewrite.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/convert.h"
#include "core/matrix.h"
#include "formats/datw.h"
#include "formats/decade_lines.h"
#include "formats/trrw.h"
#include "recio/session.h"

namespace ringdate::app {

namespace {

// Nothing is asked and nothing shown while writing.
class QuietConsole final : public recio::Console {
 public:
  void out(std::string_view) override {}
  void flush() override {}
  recio::Outcome in(std::string&) override { return recio::Outcome::eof; }
  void err(std::string_view) override {}
  [[noreturn]] void exit(int) override { std::abort(); }
};

constexpr int unit = 12;

}  // namespace

std::string write_dated(Store& store, const xdate::DatingRun& run, const std::string& path,
                        recio::FileSystem& fs) {
  QuietConsole console;
  auto session = std::make_unique<recio::Session>(console, fs);
  recio::Units& units = session->units();
  if (!units.open(unit, path, recio::Status::unknown)) return "the file cannot be opened";
  // The writers' modes: measurements and indices in the Tucson layout, the rest as read.
  std::string mode = store.mode;
  if (mode == "MR") mode = "MW";
  if (mode == "IR") mode = "IW";
  const int32_t iyrmin = store.iyrmin();
  if (mode != "CD") {
    std::size_t bound = 0;
    for (int32_t i = 1; i <= store.nser; ++i)
      bound += series_text_bound(store.iyr(i, 2) - store.iyr(i, 1) + 1, "   ");
    if (recio::Text* out = units.output(unit)) out->reserve(bound);
  }
  Trrw trrw(*session);
  const std::size_t rows = store.raw.rows();  // the longest series written
  Vec<int32_t> counts(rows), work(rows);
  counts(1) = 0;  // the writer writes a count of 1 for every value
  std::array<std::string, 3> headers;
  std::string title = store.title;
  for (int32_t i = 1; i <= store.nser && static_cast<std::size_t>(i) <= store.ids.size(); ++i) {
    std::string id = store.ids[static_cast<std::size_t>(i - 1)];
    int32_t first = store.iyr(i, 1);
    int32_t n = store.iyr(i, 2) - first + 1;
    const int32_t row = first - iyrmin + 1;
    if (n < 1 || row < 1 || static_cast<std::size_t>(row - 1 + n) > rows) continue;  // nothing
    const auto k = static_cast<std::size_t>(i - 1);
    if (k < run.samples.size() && run.samples[k].dated()) first = run.samples[k].dated_first();
    const auto vals = store.raw.column(static_cast<std::size_t>(i))
                          .subspan(static_cast<std::size_t>(row - 1), static_cast<std::size_t>(n));
    if (mode == "CD") {
      datw(*session, id, vals, work.span(), n, first, unit, kCompactCode);
    } else {
      std::string wmode = mode;
      int32_t nread = 0;
      trrw(id, first, n, vals, counts.span(), nread, unit, 0, wmode, title, "   ", n, headers);
    }
  }
  if (!units.close(unit)) return "the file could not be written completely";
  return {};
}

std::string write_dated_heidelberg(const std::string& samples, const xdate::DatingRun& run,
                                   const std::string& path, recio::FileSystem& fs) {
  SeriesReading r = read_series(samples, "FH", fs);
  if (!r.error.empty()) return r.error;
  for (std::size_t k = 0; k < r.series.size() && k < run.samples.size(); ++k) {
    if (run.samples[k].dated()) r.series[k].first = run.samples[k].dated_first();
  }
  std::vector<std::string> renamed;
  if (!fs.replace_file(path, write_series(Target::heidelberg, r.series, renamed)))
    return "the file could not be written completely";
  return {};
}

}  // namespace ringdate::app
