#include "app/convert.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>

#include "core/store.h"
#include "formats/datafile.h"
#include "formats/datw.h"
#include "formats/decade_lines.h"
#include "formats/fhstore.h"
#include "formats/heidelberg_write.h"
#include "recio/console.h"
#include "recio/fields.h"
#include "recio/session.h"

namespace ringdate::app {

namespace {

using recio::QuietConsole;
using recio::upper;

// Keeps what a unit would write; nothing reaches the disk.
class KeptFiles final : public recio::FileSystem {
 public:
  std::optional<std::string> read_file(const std::string&) override { return std::nullopt; }
  bool replace_file(const std::string&, std::string_view) override { return true; }
  bool remove_file(const std::string&) override { return true; }
};

// The first line of the text that holds more than blanks.
std::string_view first_nonblank_line(std::string_view text) {
  while (!text.empty()) {
    const auto end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (line.find_first_not_of(" \t") != std::string_view::npos) return line;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return {};
}

// Millimetres per integer for a Heidelberg file of these values: hundredths when every
// value is a whole number of them, thousandths otherwise.
double unit_for(std::span<const float> values) {
  const bool hundredths = std::all_of(values.begin(), values.end(), [](float v) {
    const double h = static_cast<double>(v) * 100.0;
    return std::fabs(h - std::round(h)) < 1e-3;
  });
  return hundredths ? 0.01 : 0.001;
}

// The series of the store as read (the measured values, not detrended): measurements for
// Tucson measurements and compact files, index series for Tucson indices and CRU files.
std::vector<fh::Series> series_of_store(const Store& store) {
  std::vector<fh::Series> out;
  const bool index = store.mode == "IR" || store.mode == "CR";
  for (int32_t i = 1; i <= store.nser; ++i) {
    fh::Series s;
    std::string id = store.ids[static_cast<std::size_t>(i - 1)];
    // The identifier without the blanks around it, as a Heidelberg KeyCode holds it.
    id.erase(id.find_last_not_of(' ') + 1);
    id.erase(
        0, id.find_first_not_of(' ') == std::string::npos ? id.size() : id.find_first_not_of(' '));
    s.keycode = id;
    s.keycode_given = true;
    s.kind = index ? fh::DataKind::mean_curve : fh::DataKind::measurement;
    s.first = store.iyr(i, 1);
    const int32_t n = store.iyr(i, 2) - s.first + 1;
    const int32_t row = s.first - store.iyrmin();
    if (n < 1 || row < 0 || row + n > static_cast<int32_t>(store.raw.rows())) continue;
    const auto vals = store.raw.column(static_cast<std::size_t>(i))
                          .subspan(static_cast<std::size_t>(row), static_cast<std::size_t>(n));
    s.unit = unit_for(vals);
    s.values.assign(vals.begin(), vals.end());
    out.push_back(std::move(s));
  }
  return out;
}

// Identifier width of a series in the target layout: the Tucson year field takes identifier
// columns before the year -999.
std::size_t id_width(Target to, const fh::Series& s) {
  const bool index = s.kind != fh::DataKind::measurement;
  switch (to) {
    case Target::tucson:
      return (index ? 6 : 8) - (s.first < -999 ? 2 : 0);
    case Target::cru:
      return 6;
    case Target::compact:
      return 40;
    case Target::heidelberg:
      break;
  }
  return std::string::npos;
}

// Why the series cannot be written in the target layout; empty when they can.
std::string misfit(Target to, std::span<const fh::Series> series) {
  if (to == Target::heidelberg || to == Target::compact) return {};
  const char* name = to == Target::cru ? "CRU" : "Tucson";
  for (const fh::Series& s : series) {
    if (s.first < -99999 || s.last() > 9999)
      return "series " + s.keycode + " runs from " + std::to_string(s.first) + " to " +
             std::to_string(s.last()) + ", past the years the " + name + " layout holds";
    const bool index = to == Target::cru || s.kind != fh::DataKind::measurement;
    // Index fields hold 4 columns below the end marker 9990; measurement fields 6 columns.
    const double scale = to == Target::cru ? 100.0 : 1000.0;
    const double lo = index ? -999 : -99999, hi = index ? 9989 : 999999;
    for (double v : s.values) {
      // A year without a value inside an index series is written as the fill value.
      if (to == Target::tucson && index && static_cast<float>(v) == rmiss) continue;
      const double x = std::round(v * scale);
      if (x < lo || x > hi)
        return "series " + s.keycode + " holds the value " + std::to_string(v) +
               ", too wide for the " + name + " layout";
    }
  }
  return {};
}

}  // namespace

std::optional<Target> target_named(std::string_view name) {
  const std::string n = upper(name);
  if (n == "TUCSON") return Target::tucson;
  if (n == "COMPACT") return Target::compact;
  if (n == "CRU") return Target::cru;
  if (n == "HEIDELBERG") return Target::heidelberg;
  return std::nullopt;
}

SeriesReading read_series(const std::string& path, std::string_view format, recio::FileSystem& fs) {
  SeriesReading r;
  const std::string f = upper(format);
  bool heidelberg = f == "FH";
  std::optional<std::string> text;
  if (f.empty() || heidelberg) {
    text = fs.read_file(path);
    if (!text) {
      r.error = "cannot open " + path;
      return r;
    }
    heidelberg = heidelberg || fh::looks_like(first_nonblank_line(*text));
  }
  if (heidelberg) {
    fh::Reading got = fh::read(*text);
    r.mode = "FH";
    if (got.refusal) {
      r.error = got.refusal->text();
    } else {
      r.series = std::move(got.series);
    }
    return r;
  }
  auto store = std::make_unique<Store>();
  const DataFileReading d = read_data_file(path, f, *store, fs);
  switch (d.result) {
    case DataFileResult::read:
      r.mode = d.mode;
      r.series = series_of_store(*store);
      break;
    case DataFileResult::not_found:
      r.error = "cannot open " + path;
      break;
    case DataFileResult::unknown_format:
      r.error = "unknown format " + std::string(format) + "; use --format MR, IR, CR, CD or FH";
      break;
    case DataFileResult::cannot_settle:
      r.error = "cannot tell the format of " + path + "; name it with --format MR|IR|CR|CD|FH";
      break;
    case DataFileResult::refused:
      r.error = d.refusal ? d.refusal->text() : path + " cannot be read";
      break;
  }
  return r;
}

std::string write_series(Target to, std::span<const fh::Series> series,
                         std::vector<std::string>& renamed) {
  if (to == Target::heidelberg) return fh::write(series);
  std::vector<std::string> keys;
  std::vector<std::size_t> widths;
  for (const fh::Series& s : series) {
    keys.push_back(s.keycode);
    widths.push_back(id_width(to, s));
  }
  const std::vector<std::string> ids = distinct_identifiers(keys, widths);
  for (std::size_t k = 0; k < ids.size(); ++k) {
    if (ids[k] != keys[k]) renamed.push_back("renamed " + keys[k] + " to " + ids[k]);
  }
  if (to == Target::compact) {
    QuietConsole console;
    KeptFiles files;
    recio::Session session(console, files);
    session.units().open(12, "converted", recio::Status::unknown);
    for (std::size_t k = 0; k < series.size(); ++k) {
      const fh::Series& s = series[k];
      const std::vector<float> vals(s.values.begin(), s.values.end());
      std::vector<int32_t> work(vals.size());
      datw(session, ids[k], vals, work, static_cast<int32_t>(vals.size()), s.first, 12,
           kCompactCode);
    }
    const recio::Text* text = session.units().output(12);
    return text ? std::string(text->data(), text->size()) : std::string();
  }
  recio::Text text;
  for (std::size_t k = 0; k < series.size(); ++k) {
    const fh::Series& s = series[k];
    const std::vector<float> vals(s.values.begin(), s.values.end());
    const auto n = static_cast<int32_t>(vals.size());
    if (to == Target::tucson && s.kind == fh::DataKind::measurement) {
      write_measurement_series(text, ids[k], s.first, n, vals, "");
    } else {
      write_index_series(text, ids[k], s.first, n, vals, s.counts, "", to == Target::cru);
    }
  }
  return std::string(text.data(), text.size());
}

int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err,
                recio::FileSystem& fs) {
  const SeriesReading r = read_series(options.in, options.format, fs);
  if (!r.error.empty()) {
    err << "ringdate: " << r.error << '\n';
    return 2;
  }
  if (const std::string why = misfit(options.to, r.series); !why.empty()) {
    err << "ringdate: " << why << '\n';
    return 2;
  }
  std::vector<std::string> renamed;
  const std::string text = write_series(options.to, r.series, renamed);
  for (const std::string& line : renamed) out << line << '\n';
  if (!fs.replace_file(options.out, text)) {
    err << "ringdate: cannot write " << options.out << '\n';
    return 2;
  }
  return 0;
}

}  // namespace ringdate::app
