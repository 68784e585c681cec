// The filter that turns one series into the values the check correlates: ratios to a
// 32-year smoothing spline, scaled to mean 1, then prewhitened by an autoregressive model
// whose order is chosen by AIC.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "detrend/spline.h"
#include "xdate/series.h"

namespace ringdate::xdate {

// Why a series has no filtered values: 3 or fewer values or a failed spline (too short),
// more values than the spline holds (too long), a non-finite value (invalid). Years with a
// negative value (no ring width: a gap in the series or a gap code) are left out: the
// filter runs over the years with a value and those years have no filtered value.
enum class FilterStatus { ok, too_short, too_long, invalid };

// An autoregressive model fitted by the Yule-Walker equations.
struct ArModel {
  int32_t order = 0;
  double mean = 0.0;
  std::vector<double> phi;  // phi[k - 1] multiplies x(t - k) - mean
};

// Sample autocovariances about `mean`, c[k] = (1/n) sum (x_t - mean)(x_{t+k} - mean), for
// k = 0 .. c.size() - 1 (lags beyond the data give 0).
void autocovariances(std::span<const double> x, double mean, std::span<double> c);

// Levinson-Durbin on c[0..K]: v[k] receives the innovation variance of order k (v[0] = c[0])
// and phis[k] the coefficients of order k. Orders whose variance would not stay positive
// are not reached: the returned count is the highest order computed.
int32_t levinson_durbin(std::span<const double> c, std::vector<double>& v,
                        std::vector<std::vector<double>>& phis);

// The model of the order k = 0 .. min(n - 1, floor(10 log10 n)) with the smallest
// AIC_k = n ln(v_k) + 2k (the lowest order on a tie).
ArModel fit_ar(std::span<const double> x);

// Residuals of the model plus its mean; the first `order` values have none.
std::vector<double> prewhiten(std::span<const double> x, const ArModel& model);

struct Filtered {
  FilterStatus status = FilterStatus::too_short;
  Track values;  // over the series' years; the first ar_order years are absent
  int32_t ar_order = 0;
  ArModel model;  // the prewhitening model fitted
};

// Filters one series at a time; owns the spline's work area.
class Filter {
 public:
  static constexpr int32_t spline_period = 32;

  Filtered operator()(int32_t first, std::span<const double> w);
  // The same with a given prewhitening model instead of one fitted to the series: versions
  // of one series that differ in a few rings then differ only near those rings.
  Filtered operator()(int32_t first, std::span<const double> w, const ArModel& model);

 private:
  // Ratios to the spline scaled to mean 1 into j_, over the years with a value (their
  // positions in kept_); the status.
  FilterStatus index(std::span<const double> w);
  // Prewhitened values of j_ placed back over all the years of w.
  std::vector<double> spread(const std::vector<double>& f, std::size_t n) const;

  Spline spline_;
  std::vector<float> y_, g_;
  std::vector<double> j_;
  std::vector<std::size_t> kept_;
  bool all_kept_ = true;
};

}  // namespace ringdate::xdate
