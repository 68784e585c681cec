#include "app/datewrite.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/convert.h"
#include "formats/corrected.h"
#include "formats/datw.h"
#include "recio/console.h"
#include "recio/session.h"

namespace ringdate::app {

std::string write_dated(Store& store, const xdate::DatingRun& run, const std::string& path,
                        recio::FileSystem& fs) {
  recio::QuietConsole console;
  auto session = std::make_unique<recio::Session>(console, fs);
  // Every dated series starts in its calendar year; the others keep their years.
  std::vector<int32_t> firsts;
  for (int32_t i = 1; i <= store.nser; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    const bool dated = k < run.samples.size() && run.samples[k].dated();
    firsts.push_back(dated ? run.samples[k].dated_first() : store.iyr(i, 1));
  }
  SeriesFileOptions options;
  options.title_line = false;
  options.compact_code = kCompactCode;
  options.first_years = firsts;
  if (!write_series_file(*session, store, corrected_layout(store.mode), path, options))
    return "the file could not be written completely";
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
