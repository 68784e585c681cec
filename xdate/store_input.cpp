#include "xdate/store_input.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ringdate::xdate {

double decimal_value(float x) {
  if (!std::isfinite(x)) return static_cast<double>(x);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6g", static_cast<double>(x));
  double d = static_cast<double>(x);
  const auto got = std::from_chars(buf, buf + std::strlen(buf), d);
  return got.ec == std::errc{} ? d : static_cast<double>(x);
}

std::vector<SeriesInput> series_of_store(const Store& store) {
  std::vector<SeriesInput> out;
  const int32_t base = store.iyrmin();
  for (int32_t i = 1; i <= store.nser && i <= mxser; ++i) {
    SeriesInput s;
    s.id = store.ids[static_cast<std::size_t>(i - 1)];
    while (!s.id.empty() && s.id.back() == ' ') s.id.pop_back();
    s.first = store.iyr(i, 1);
    const int32_t last = store.iyr(i, 2);
    for (int32_t y = s.first; y <= last; ++y) {
      const int64_t row = static_cast<int64_t>(y) - base + 1;
      if (row < 1 || row > mxyr) break;
      s.values.push_back(decimal_value(store.raw(static_cast<std::size_t>(row), static_cast<std::size_t>(i))));
    }
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace ringdate::xdate
