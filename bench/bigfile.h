// The largest Tucson measurement file the store holds: 400 series of 2000 years (years 1
// to 2000), about 6 MB, with CR LF line ends (as files from Windows end their lines) or LF
// (as most files on Linux and macOS do; a reader that looks for the next CR feels it). In
// hundredths of a millimetre (values 50..399, ending with 999) or in thousandths (values 50..3999,
// ending with -9999). A thousandths file never holds 999, which any Tucson reader takes as the
// hundredths end marker: it is written as 1000, as the program's writer does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace bench {

enum class Precision { hundredths, thousandths };
enum class LineEnd { crlf, lf };

inline const char* line_end_name(LineEnd e) { return e == LineEnd::lf ? "LF" : "CR LF"; }

inline std::string big_tucson_file(int nseries = 400, int nyears = 2000, int first_year = 1,
                                   Precision precision = Precision::hundredths,
                                   LineEnd line_end = LineEnd::crlf) {
  const char* const eol = line_end == LineEnd::lf ? "\n" : "\r\n";
  const bool thousandths = precision == Precision::thousandths;
  const int end_marker = thousandths ? -9999 : 999;
  const uint32_t range = thousandths ? 3950u : 350u;
  std::string out;
  out.reserve(static_cast<std::size_t>(nseries) * static_cast<std::size_t>(nyears / 10 + 2) * 74);
  uint32_t rnd = 12345u;
  char buf[96];
  for (int s = 1; s <= nseries; ++s) {
    char id[16];
    std::snprintf(id, sizeof id, "BIG%04d", s);
    int year = first_year;
    const int last = first_year + nyears - 1;
    bool ended = false;
    while (!ended) {
      int n = std::snprintf(buf, sizeof buf, "%-8.8s%4d", id, year);
      const int decade_end = (year / 10) * 10 + 9;
      for (; year <= decade_end && year <= last; ++year) {
        rnd = rnd * 1103515245u + 12345u;
        uint32_t v = 50u + (rnd >> 16) % range;
        if (thousandths && v == 999u) v = 1000u;
        n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), "%6u", v);
      }
      if (year > last && year <= decade_end) {
        n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), "%6d", end_marker);
        ended = true;
      }
      out.append(buf, static_cast<std::size_t>(n));
      out += eol;
      if (year > last && !ended) {
        // The last value filled its line: the end marker stands on a line of its own.
        n = std::snprintf(buf, sizeof buf, "%-8.8s%4d%6d", id, year, end_marker);
        out.append(buf, static_cast<std::size_t>(n));
        out += eol;
        ended = true;
      }
    }
  }
  return out;
}

}  // namespace bench
