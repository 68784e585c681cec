#include "xdate/store_input.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ringdate::xdate {

double decimal_value(float x) {
  if (!std::isfinite(x) || x == 0.0f) return static_cast<double>(x);
  // N = x rounded to six significant digits as an integer, then N / 10^k: both exact, so
  // the quotient is the double nearest to the decimal, as reading its digits would give.
  static constexpr double pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double d = static_cast<double>(x);
  const int k = 5 - static_cast<int>(std::floor(std::log10(std::fabs(d))));
  if (k >= 0 && k <= 22) return std::round(d * pow10[k]) / pow10[k];
  if (k < 0 && k >= -22) return std::round(d / pow10[-k]) * pow10[-k];
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6g", d);
  double v = d;
  const auto got = std::from_chars(buf, buf + std::strlen(buf), v);
  return got.ec == std::errc{} ? v : d;
}

namespace {

// Measured values repeat: the decimal of each recent value is kept by its bits.
class DecimalCache {
 public:
  double value(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    Slot& s = slots_[(bits * 2654435761u) >> (32 - 12)];
    if (!s.used || s.bits != bits) s = Slot{bits, decimal_value(x), true};
    return s.value;
  }

 private:
  struct Slot {
    uint32_t bits = 0;
    double value = 0.0;
    bool used = false;
  };
  std::vector<Slot> slots_ = std::vector<Slot>(4096);
};

}  // namespace

std::vector<SeriesInput> series_of_store(const Store& store) {
  DecimalCache cache;
  std::vector<SeriesInput> out;
  const int32_t base = store.iyrmin();
  const auto columns = static_cast<int64_t>(std::min(store.raw.cols(), store.ids.size()));
  const auto rows = static_cast<int64_t>(store.raw.rows());
  for (int32_t i = 1; i <= store.nser && i <= columns; ++i) {
    SeriesInput s;
    s.id = store.ids[static_cast<std::size_t>(i - 1)];
    while (!s.id.empty() && s.id.back() == ' ') s.id.pop_back();
    s.first = store.iyr(i, 1);
    const int32_t last = store.iyr(i, 2);
    for (int32_t y = s.first; y <= last; ++y) {
      const int64_t row = static_cast<int64_t>(y) - base + 1;
      if (row < 1 || row > rows) break;
      s.values.push_back(
          cache.value(store.raw(static_cast<std::size_t>(row), static_cast<std::size_t>(i))));
    }
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace ringdate::xdate
