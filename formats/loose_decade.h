// Decade lines whose fields are separated by tabs and/or blanks rather than standing in
// the fixed columns: an identifier, an integer year and one to ten integer values, as
// spreadsheets and other programs write ring-width files. Such a line means what the same
// fields placed in the fixed measurement columns would mean.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ringdate {

struct LooseDecadeLine {
  std::string id;                    // 1 to 8 characters, no blanks
  int32_t year = 0;                  // -99999 to 9999
  std::array<int32_t, 10> values{};  // positions 1 to count; the others 0, as blank fields read
  int32_t count = 0;                 // 1 to 10
};

// Reads a whole record (not cut at column 80) as identifier, year and 1 to 10 values, the
// fields separated by runs of tabs and/or blanks. Separators after the last value (empty
// trailing fields) are ignored. No data line (nullopt) when a field is not what its place
// asks for: an identifier longer than 8 characters or holding a control character, a year
// or value that is not an optionally signed integer or is wider than its fixed columns
// (year: 4 columns, 6 when negative; value: 6 columns), more than ten values, or an empty
// tab-separated field before the last value (its values would land in the wrong years).
std::optional<LooseDecadeLine> read_loose_decade(std::string_view record);

// The line placed in the fixed measurement columns as the measurement writer places them:
// identifier and year in the form the year's width asks for (the identifier is cut to 7 or
// 6 characters there), value k in the six columns from column 13 + 6(k - 1), the positions
// after `count` blank; 80 columns.
std::string in_fixed_columns(const LooseDecadeLine& line);

// True when the first 80 columns of the record read as a measurement decade line in the
// fixed columns (the year's width chosen by the place of a minus sign).
bool reads_in_fixed_measurement_columns(std::string_view record);

// A record that holds a series' end marker (999 or -9999, after a value) followed by a
// field that is no number: another line glued to it (an identifier, a year and values) or
// text after the end of the series. Where that second part starts; nullopt for any other
// record.
std::optional<std::size_t> glued_line_start(std::string_view record);

// True when the blank-separated fields of the 80-column line do not fall on the fixed
// measurement columns (identifier and year in columns 1-12, ten values of six columns): a
// value field holds digits, a blank and digits, or a field boundary cuts a number. The
// columns from 73 on (a tag) are not looked at; `yw` is the year's width.
bool off_fixed_columns(std::string_view line, int yw);

}  // namespace ringdate
