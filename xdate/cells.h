// The cells the check's and the dater's reports and CSV files are made of.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace ringdate::xdate {

// printf into a string of at most 255 characters (longer output is cut there).
template <class... A>
std::string formatted(const char* layout, A... a) {
  char buf[256];
  const int n = std::snprintf(buf, sizeof buf, layout, a...);
  return std::string(buf,
                     static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
}

// The name of a data format code ("MR", "IR", "CR", "CD", "FH") as the reports print it.
std::string format_name(std::string_view code);

// A number in `width` columns as printf's %*.*f writes it, or "-" when there is none;
// values too large for the width are shown at the largest that fits.
std::string number(bool valid, double x, int width, int decimals);

// An integer as printf's %<width>d (plus: %+<width>d) writes it.
std::string integer(int64_t v, int width, bool plus = false);

// A text cut to the width, its end kept (the end of a path says most).
std::string fitted(const std::string& s, std::size_t width);

// A CSV field: quoted (quotes doubled) when it holds a comma, quote or line end, or starts
// or ends with a blank.
std::string quoted(const std::string& s);

// A CSV number as printf's %.10g writes it, "NA" when there is none.
std::string csv_number(bool valid, double x);

}  // namespace ringdate::xdate
