// The largest Tucson measurement file the store holds: 400 series of 2000 years (years 1
// to 2000), hundredths of a millimetre, ending with 999; about 6 MB.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace bench {

inline std::string big_tucson_file(int nseries = 400, int nyears = 2000, int first_year = 1) {
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
        n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), "%6u", 50u + (rnd >> 16) % 350u);
      }
      if (year > last && year <= decade_end) {
        n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), "%6d", 999);
        ended = true;
      }
      out.append(buf, static_cast<std::size_t>(n));
      out += "\r\n";
      if (year > last && !ended) {
        // The last value filled its line: the end marker stands on a line of its own.
        n = std::snprintf(buf, sizeof buf, "%-8.8s%4d%6d", id, year, 999);
        out.append(buf, static_cast<std::size_t>(n));
        out += "\r\n";
        ended = true;
      }
    }
  }
  return out;
}

}  // namespace bench
