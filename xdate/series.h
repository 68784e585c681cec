// The plain inputs of the crossdating check and the year-indexed tracks it computes with.
// The check takes series as identifier, first year and one value per year (ring widths in
// mm, or indices), so that it needs nothing of the readers or the dialogue.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace ringdate::xdate {

// One series: values[k] belongs to the year first + k.
struct SeriesInput {
  std::string id;
  int32_t first = 0;
  std::vector<double> values;

  int32_t last() const { return first + static_cast<int32_t>(values.size()) - 1; }
};

// The settings of a check: segment length (segments are lagged by half of it), the largest
// lag tried in either direction, and the critical one-sided p.
struct Settings {
  int32_t segment = 50;
  int32_t lag = 10;
  double pcrit = 0.01;
};

// A year without a value in a track.
inline constexpr double absent = std::numeric_limits<double>::quiet_NaN();
inline bool present(double x) { return !std::isnan(x); }

// Values by calendar year over first .. first + size - 1; a year without a value holds
// `absent`. Years outside the range have no value either.
struct Track {
  int32_t first = 0;
  std::vector<double> v;

  int32_t last() const { return first + static_cast<int32_t>(v.size()) - 1; }
  bool empty() const { return v.empty(); }
  double at(int32_t year) const {
    const int64_t k = static_cast<int64_t>(year) - first;
    if (k < 0 || k >= static_cast<int64_t>(v.size())) return absent;
    return v[static_cast<std::size_t>(k)];
  }
  bool has(int32_t year) const { return present(at(year)); }
};

}  // namespace ringdate::xdate
