// The crossdating check over arbitrary files and options. The first four bytes choose the
// options (segment length, largest lag, critical p, format or the guess); the rest is the
// data file. Whatever the input: no crash, a status the help documents, and neither the
// report nor the tables hold a number that is not finite (nan, inf) or absurdly large.
// The report and the tables are searched as text, so the series' identifiers are upper-cased
// first: an identifier may itself read "nan" or "No segment is flagged".
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "core/store.h"
#include "formats/datafile.h"
#include "recio/fields.h"
#include "support/test_support.h"
#include "xdate/check.h"
#include "xdate/csv.h"
#include "xdate/report.h"
#include "xdate/store_input.h"

namespace {

bool has_word(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

// A number that is not finite, or one printed in exponent form beyond any statistic.
bool bad_numbers(const std::string& text) {
  return has_word(text, "nan") || has_word(text, "inf") || has_word(text, "e+1") ||
         has_word(text, "e+2") || has_word(text, "e+3");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ringdate;
  if (size < 4) return 0;
  static const double pcrits[] = {0.001, 0.01, 0.05, 0.1, 0.5, 0.9, 1e-9, 0.999999};
  static const char* const formats[] = {"", "MR", "IR", "CR", "CD", "", "MR", "MR"};
  xdate::Settings settings;
  // Mostly short segments, so that something is tested; now and then any allowed length.
  settings.segment = data[0] < 200 ? 10 + 2 * (data[0] % 40) : 10 + 2 * ((data[0] * 7) % 246);
  settings.lag = 1 + data[1] % 50;
  settings.pcrit = pcrits[data[2] % 8];
  const std::string format = formats[data[3] % 8];

  testing_support::MemoryFileSystem fs;
  fs.files["data.rwl"] = std::string(reinterpret_cast<const char*>(data) + 4, size - 4);
  auto store = std::make_unique<Store>();
  const DataFileReading reading = read_data_file("data.rwl", format, *store, fs);
  if (reading.result == DataFileResult::refused && !reading.refusal) __builtin_trap();
  if (reading.result != DataFileResult::read) return 0;  // the check says why, exit 2

  std::vector<xdate::SeriesInput> series = xdate::series_of_store(*store);
  store.reset();
  for (xdate::SeriesInput& s : series) s.id = recio::upper(s.id);
  const xdate::CheckResult result = xdate::run_check(std::move(series), settings);
  std::ostringstream report, tables;
  xdate::write_report(report, xdate::ReportHeader{"data.rwl", reading.mode, reading.guessed},
                      result);
  xdate::write_series_csv(tables, result);
  xdate::write_segments_csv(tables, result);
  xdate::write_suggestions_csv(tables, result);
  if (bad_numbers(report.str()) || bad_numbers(tables.str())) __builtin_trap();

  const int status = app::check_status(result);
  const bool untested = has_word(report.str(), "Nothing could be tested");
  if (status == app::exit_untested) {
    if (!untested) __builtin_trap();
  } else if (status == app::exit_flagged) {
    if (untested || result.flagged_segments() == 0) __builtin_trap();
  } else if (status == app::exit_clean) {
    if (untested || !has_word(report.str(), "No segment is flagged")) __builtin_trap();
  } else {
    __builtin_trap();
  }
  return 0;
}
