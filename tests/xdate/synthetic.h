// Synthetic ring-width files for the crossdating tests: series sharing a common yearly
// signal, each with its own noise and a slow age trend, from a fixed seed.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "xdate/series.h"

namespace xdate_synthetic {

// Uniform numbers in [0, 1) from a fixed linear congruential sequence.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  double uniform() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / 16777216.0;
  }
  // Roughly normal: the sum of twelve uniforms less six.
  double normal() {
    double s = 0.0;
    for (int k = 0; k < 12; ++k) s += uniform();
    return s - 6.0;
  }

 private:
  uint32_t state_;
};

// `count` series over first..last (each starting a few years later than the one before),
// widths in mm rounded to hundredths.
inline std::vector<ringdate::xdate::SeriesInput> forest(int count, int32_t first, int32_t last,
                                                        double noise = 0.25, uint32_t seed = 7) {
  Random rnd(seed);
  std::vector<double> common(static_cast<std::size_t>(last - first + 1));
  for (double& c : common) c = rnd.normal();
  std::vector<ringdate::xdate::SeriesInput> out;
  for (int s = 0; s < count; ++s) {
    ringdate::xdate::SeriesInput x;
    x.id = "SYN" + std::to_string(100 + s);
    x.first = first + 3 * s;
    for (int32_t y = x.first; y <= last; ++y) {
      const double age = y - x.first;
      const double trend = 0.4 + 1.6 * std::exp(-age / 80.0);
      const double v = trend * std::exp(0.35 * common[static_cast<std::size_t>(y - first)] +
                                        noise * rnd.normal());
      x.values.push_back(std::round(v * 100.0) / 100.0);
    }
    out.push_back(std::move(x));
  }
  return out;
}

// The series with the ring of `year` removed, the outer year kept.
inline ringdate::xdate::SeriesInput without_ring(const ringdate::xdate::SeriesInput& s,
                                                 int32_t year) {
  ringdate::xdate::SeriesInput out = s;
  out.values.erase(out.values.begin() + (year - s.first));
  out.first = s.first + 1;
  return out;
}

// The series with the ring of `year` split in two, the outer year kept: the inner part is
// dated year - 1.
inline ringdate::xdate::SeriesInput with_split_ring(const ringdate::xdate::SeriesInput& s,
                                                    int32_t year) {
  ringdate::xdate::SeriesInput out = s;
  const auto k = static_cast<std::size_t>(year - s.first);
  const double w = out.values[k];
  out.values[k] = w / 2.0;
  out.values.insert(out.values.begin() + static_cast<std::ptrdiff_t>(k), w / 2.0);
  out.first = s.first - 1;
  return out;
}

}  // namespace xdate_synthetic
