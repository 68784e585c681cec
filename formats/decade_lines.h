// The Tucson decade lines, whose layouts are fixed: measurement lines "(A8,I4,10I6)", index
// lines "(A6,I4,10(I4,I3))" and their 5- and 6-wide-year forms, and the CRU header
// "(A6,2I4)". Reading and writing them gives what the layout interpreter gives for the
// same layouts and items (on output, asterisks for a number too wide for its field), without
// interpreting a layout per line; the corrected file is formatted straight into the unit's
// text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "recio/layout.h"
#include "recio/units.h"

namespace ringdate {

// Values on the first line of a series that starts in `year`: the rest of its decade
// (10 - year mod 10 for year >= 0; |year rem 10|, or 10 for a remainder of 0, below 0).
int32_t first_line_count(int32_t year);

// What reading a measurement line saw of its ten value fields (columns 13-72), for a
// caller that would otherwise look at them again.
struct ValueFields {
  bool seen = false;   // every field was blanks then digits; when false nothing below is known
  uint16_t blank = 0;  // bit i: value field i + 1 holds blanks only
  bool plain = false;  // every field starts with a blank, so that no number crosses a field
                       // boundary and no field holds two numbers (off_fixed_columns is false)
};

// Reads a measurement line with "(A8,I4,10I6)", "(A7,I5,10I6)" or "(A6,I6,10I6)" for a
// year width `yw` of 4, 5 or 6: the identifier field (8 characters, blank after the first
// 12 - yw), the year and the ten values. A numeric field holding anything but blanks,
// digits and a sign is handed to the interpreter, which decides (a comma, a letter).
// `fields`, when given, gets what the reading saw of the value fields.
recio::Outcome read_measurement_line(std::string_view line, int yw, std::string& id, int32_t& year,
                                     std::array<int32_t, 10>& values,
                                     ValueFields* fields = nullptr);

// Reads an index line with "(A6,T7,I4,10(I4,I3))", "(A5,T6,I5,10(I4,I3))" or
// "(A4,T5,I6,10(I4,I3))" for a year width `yw` of 4, 5 or 6, as read_measurement_line does.
recio::Outcome read_index_line(std::string_view line, int yw, std::string& id, int32_t& year,
                               std::array<int32_t, 10>& values, std::array<int32_t, 10>& counts);

// One measurement line: `id`'s first 8, 7 or 6 characters and the year in the form the
// year calls for (4 wide from -999 up, 5 wide for -9999 to -1001, 6 wide for -1000 and
// below -9999), then the values in 6 columns each; a line of ten values carries `ltag`
// from column 75.
void put_measurement_line(recio::Text& out, std::string_view id, int32_t year,
                          std::span<const int32_t> values, std::string_view ltag);

// One index line: `id`'s first 6, 5 or 4 characters and the year in the form the year
// calls for, ten pairs of value (4 columns) and count (3 columns), two blanks and `ltag`.
void put_index_line(recio::Text& out, std::string_view id, int32_t year,
                    const std::array<int32_t, 10>& values, const std::array<int32_t, 10>& counts,
                    std::string_view ltag);

// The header line of a CRU series: `id`'s first 6 characters, the first and the last year
// (4 columns each, 5 when either is -1000 or less).
void put_cru_header(recio::Text& out, std::string_view id, int32_t first, int32_t last);

// One series in the measurement layout ("MW"): thousandths of the values (in mm), 999
// written as 1000 (it would read back as the hundredths end marker), and -9999 after the
// last value; a series whose last value fills its line gets a line of its own for -9999.
// Values beyond vals.size() count as missing from the series. Nothing for nval <= 0.
void write_measurement_series(recio::Text& out, std::string_view id, int32_t ifyr, int32_t nval,
                              std::span<const float> vals, std::string_view ltag);

// One series in the index layout ("IW"; thousandths, 9990 with a count of 0 in the years
// without a value (rmiss) and in the positions after the last value, a line of 9990 when
// the last value fills its line) or, with `cru`, in the CRU
// layout (a header line, hundredths, nothing after the line of the last value). Counts are
// icnt(k), or 1 for every value when icnt is empty or icnt(1) <= 0.
void write_index_series(recio::Text& out, std::string_view id, int32_t ifyr, int32_t nval,
                        std::span<const float> vals, std::span<const int32_t> icnt,
                        std::string_view ltag, bool cru);

// Room a series takes at most in either layout, so that a whole file can be reserved at once.
std::size_t series_text_bound(int32_t nval, std::string_view ltag);

}  // namespace ringdate
