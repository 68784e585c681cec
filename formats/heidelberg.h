// Heidelberg files (".fh"): blocks of "HEADER:" and Key=Value lines, each followed by
// "DATA:<kind>" and the numbers of one series. Measurements ("Tree", "Single") hold one
// number per year, mean curves ("Double", "HalfChrono") a value and a sample count, and
// chronologies ("Chrono", "Quadro") a value, a count and the numbers of samples increasing
// and decreasing. The reader takes a whole file and gives every series, or refuses the
// file with a message naming the series and what is wrong; it never gives part of a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/refusal.h"

namespace ringdate::fh {

enum class DataKind {
  measurement,  // one number per year: a ring width
  mean_curve,   // value and sample count per year
  chronology,   // value, sample count, samples increasing, samples decreasing per year
};

struct Series {
  // Every line of the series' HEADER block as written (without its line end), in order.
  std::vector<std::string> headers;
  // The identifier: the KeyCode, or "S" and the series' position in the file when the
  // block has none (then `keycode_given` is false).
  std::string keycode;
  bool keycode_given = false;
  DataKind kind = DataKind::measurement;
  // Years as the program counts them: astronomical, year 0 is 1 BC. A series marked
  // Undated or RelDated keeps its numbers as years.
  int32_t first = 1;
  // Values in millimetres (the file's integers times `unit`); one per year.
  std::vector<double> values;
  // Mean curves and chronologies: sample counts per year; chronologies also the numbers
  // of samples increasing and decreasing. Empty for measurements.
  std::vector<int32_t> counts, ups, downs;
  // Millimetres per integer of the file: 1, 0.1, 0.01 (the default) or 0.001.
  double unit = 0.01;

  int32_t last() const { return first + static_cast<int32_t>(values.size()) - 1; }
  // The value of a header key (case-insensitive, blanks around the key ignored); nullopt
  // when the block has no such key.
  std::optional<std::string> header(std::string_view key) const;
};

struct Reading {
  std::vector<Series> series;  // every series of the file, in order, when not refused
  std::optional<Refusal> refusal;
};

// Limits the reader keeps whatever the input.
inline constexpr std::size_t max_line = 65536;      // characters of one line
inline constexpr int32_t max_abs_year = 1'000'000;  // |year| of DateBegin and DateEnd

// Reads a whole Heidelberg file (LF, CR LF or CR line ends, a byte-order mark and UTF-16
// tolerated). A file that holds no series, a block without data, counts and dates that
// disagree, numbers that do not read or values past the series' end are refused.
Reading read(std::string_view text);

// The file's first non-blank line is "HEADER:", or "DATA:" alone or with a data kind the
// format knows (either case): it looks like a Heidelberg file.
bool looks_like(std::string_view first_line);

// The Heidelberg year (no year 0) of an astronomical year, and back.
int64_t to_heidelberg_year(int64_t astronomical);
int64_t from_heidelberg_year(int64_t heidelberg);

}  // namespace ringdate::fh
