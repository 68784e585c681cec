#include "xdate/filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "detrend/spline.h"
#include "synthetic.h"

namespace {

using namespace ringdate::xdate;

TEST(Autoregression, AnAr1SeriesGivesOrderOneAndItsCoefficient) {
  // AIC picks a higher order now and then by chance; over twenty series it picks the true
  // order for most, and the first coefficient is always near the true one.
  int order_one = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    xdate_synthetic::Random rnd(seed);
    std::vector<double> x(1500);
    double prev = 0.0;
    for (double& v : x) {
      prev = 0.6 * prev + rnd.normal();
      v = 1.0 + 0.1 * prev;
    }
    const ArModel m = fit_ar(x);
    ASSERT_GE(m.order, 1);
    ASSERT_EQ(m.phi.size(), static_cast<std::size_t>(m.order));
    EXPECT_NEAR(m.phi[0], 0.6, 0.06) << seed;
    EXPECT_LE(m.order, 8) << seed;
    order_one += m.order == 1;
  }
  EXPECT_GE(order_one, 12);
}

TEST(Autoregression, LevinsonDurbinSolvesTheYuleWalkerEquations) {
  // For order 2 the coefficients solve [c0 c1; c1 c0] phi = [c1; c2].
  const std::vector<double> c = {2.0, 1.2, 0.5};
  std::vector<double> v;
  std::vector<std::vector<double>> phis;
  ASSERT_EQ(levinson_durbin(c, v, phis), 2);
  const double det = c[0] * c[0] - c[1] * c[1];
  const double p1 = (c[1] * c[0] - c[1] * c[2]) / det;
  const double p2 = (c[0] * c[2] - c[1] * c[1]) / det;
  EXPECT_NEAR(phis[2][0], p1, 1e-12);
  EXPECT_NEAR(phis[2][1], p2, 1e-12);
  EXPECT_NEAR(v[2], c[0] - p1 * c[1] - p2 * c[2], 1e-12);
  EXPECT_DOUBLE_EQ(v[0], 2.0);
}

TEST(Autoregression, AutocovariancesUseOneOverN) {
  const std::vector<double> x = {1.0, 2.0, 3.0, 4.0};
  std::vector<double> c(5);
  autocovariances(x, 2.5, c);
  EXPECT_DOUBLE_EQ(c[0], (2.25 + 0.25 + 0.25 + 2.25) / 4.0);
  EXPECT_DOUBLE_EQ(c[1], (-1.5 * -0.5 + -0.5 * 0.5 + 0.5 * 1.5) / 4.0);
  EXPECT_DOUBLE_EQ(c[4], 0.0);  // beyond the data
}

// The sums of the autocovariances and of the prewhitening are computed several lags or years
// at a time; every value must still be bit for bit that of the plain sum in four partial
// sums (terms by position mod 4, the rest into the first), for every length and order, the
// short ends included.
TEST(Autoregression, SumsComputedSideBySideEqualThePlainSumsBitForBit) {
  auto plain_autocovariances = [](const std::vector<double>& x, double mean, std::size_t lags) {
    const std::size_t n = x.size();
    std::vector<double> d(n), c(lags);
    for (std::size_t t = 0; t < n; ++t) d[t] = x[t] - mean;
    for (std::size_t k = 0; k < lags; ++k) {
      double s[4] = {0, 0, 0, 0};
      const std::size_t m = k < n ? n - k : 0;
      std::size_t t = 0;
      for (; t + 4 <= m; t += 4)
        for (std::size_t i = 0; i < 4; ++i) s[i] += d[t + i] * d[t + i + k];
      for (; t < m; ++t) s[0] += d[t] * d[t + k];
      c[k] = n == 0 ? 0.0 : ((s[0] + s[1]) + (s[2] + s[3])) / static_cast<double>(n);
    }
    return c;
  };
  auto plain_prewhiten = [](const std::vector<double>& x, const ArModel& m) {
    const std::size_t n = x.size(), p = static_cast<std::size_t>(m.order);
    std::vector<double> f(n, absent);
    for (std::size_t t = p; t < n; ++t) {
      double s[4] = {0, 0, 0, 0};
      std::size_t k = 1;
      for (; k + 3 <= p; k += 4)
        for (std::size_t i = 0; i < 4; ++i) s[i] += m.phi[k - 1 + i] * (x[t - k - i] - m.mean);
      for (; k <= p; ++k) s[0] += m.phi[k - 1] * (x[t - k] - m.mean);
      f[t] = (x[t] - m.mean) - ((s[0] + s[1]) + (s[2] + s[3])) + m.mean;
    }
    return f;
  };
  auto same = [](double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
  };
  xdate_synthetic::Random rnd(18);
  for (std::size_t n = 0; n <= 70; ++n) {
    std::vector<double> x(n);
    for (double& v : x) v = 1.0 + 0.3 * rnd.normal();
    for (std::size_t lags = 0; lags <= std::min<std::size_t>(n + 3, 40); ++lags) {
      std::vector<double> c(lags);
      autocovariances(x, 0.97, c);
      const std::vector<double> want = plain_autocovariances(x, 0.97, lags);
      for (std::size_t k = 0; k < lags; ++k)
        ASSERT_TRUE(same(c[k], want[k])) << "n " << n << " lags " << lags << " k " << k;
    }
    for (int32_t order = 0; order <= std::min<int32_t>(static_cast<int32_t>(n), 35); ++order) {
      ArModel m;
      m.order = order;
      m.mean = 1.01;
      for (int32_t k = 0; k < order; ++k) m.phi.push_back(0.5 * rnd.normal() / (k + 1));
      const std::vector<double> f = prewhiten(x, m), want = plain_prewhiten(x, m);
      ASSERT_EQ(f.size(), n);
      for (std::size_t t = 0; t < n; ++t)
        ASSERT_TRUE(same(f[t], want[t])) << "n " << n << " order " << order << " t " << t;
    }
  }
}

TEST(Filter, PrewhitenedValuesFollowTheModelAndLeaveTheFirstYearsOut) {
  const auto series = xdate_synthetic::forest(1, 1700, 1899);
  Filter filter;
  const Filtered f = filter(series[0].first, series[0].values);
  ASSERT_EQ(f.status, FilterStatus::ok);
  EXPECT_EQ(f.values.first, 1700);
  ASSERT_EQ(f.values.v.size(), 200u);
  for (int k = 0; k < f.ar_order; ++k)
    EXPECT_FALSE(present(f.values.v[static_cast<std::size_t>(k)]));
  for (std::size_t k = static_cast<std::size_t>(f.ar_order); k < 200; ++k)
    EXPECT_TRUE(std::isfinite(f.values.v[k]));
  // The same model applied again gives the same values.
  const Filtered g = filter(series[0].first, series[0].values, f.model);
  for (std::size_t k = static_cast<std::size_t>(f.ar_order); k < 200; ++k)
    EXPECT_NEAR(g.values.v[k], f.values.v[k], 1e-12);
}

TEST(Filter, SeriesItCannotFilterGetAStatusAndNoValues) {
  Filter filter;
  EXPECT_EQ(filter(1900, std::vector<double>{1.0, 2.0, 3.0}).status, FilterStatus::too_short);
  EXPECT_EQ(filter(1900, std::vector<double>{}).status, FilterStatus::too_short);
  // A negative value is no ring width: that year is left out, and four values remain.
  EXPECT_EQ(filter(1900, std::vector<double>{1.0, -2.0, 3.0, 1.0, 2.0}).status, FilterStatus::ok);
  EXPECT_EQ(filter(1900, std::vector<double>{1.0, -2.0, 3.0, 1.0}).status, FilterStatus::too_short);
  EXPECT_EQ(filter(1900, std::vector<double>{1.0, NAN, 3.0, 1.0, 2.0}).status,
            FilterStatus::invalid);
  // 9000 years are filtered; beyond what a reading may hold, too long.
  EXPECT_EQ(filter(-6999, std::vector<double>(9000, 1.0)).status, FilterStatus::ok);
  EXPECT_EQ(filter(1, std::vector<double>(static_cast<std::size_t>(ringdate::Spline::MXY) + 1, 1.0))
                .status,
            FilterStatus::too_long);
}

TEST(Filter, ZeroRingsAndConstantSeriesGiveFiniteValues) {
  Filter filter;
  std::vector<double> w(60, 0.5);
  const Filtered flat = filter(1800, w);
  ASSERT_EQ(flat.status, FilterStatus::ok);
  EXPECT_EQ(flat.ar_order, 0);
  for (double v : flat.values.v) EXPECT_TRUE(std::isfinite(v));
  w[10] = 0.0;
  w[11] = 0.0;
  const Filtered zeros = filter(1800, w);
  ASSERT_EQ(zeros.status, FilterStatus::ok);
  for (double v : zeros.values.v) EXPECT_TRUE(!present(v) || std::isfinite(v));
}

}  // namespace

// Years without a ring width (a gap in the series, a gap code) are left out of the filter
// and get no filtered value; the years around them are filtered as one series.
TEST(Filter, YearsWithoutAWidthAreLeftOut) {
  Filter filter;
  std::vector<double> w;
  for (int t = 0; t < 120; ++t) w.push_back(1.0 + 0.3 * std::sin(0.7 * t) + 0.002 * t);
  std::vector<double> gapped = w;
  for (int t = 50; t < 60; ++t) gapped[static_cast<std::size_t>(t)] = -9.99;
  gapped[80] = -8.888;
  const Filtered f = filter(1800, gapped);
  ASSERT_EQ(f.status, FilterStatus::ok);
  ASSERT_EQ(f.values.v.size(), gapped.size());
  EXPECT_EQ(f.values.first, 1800);
  for (int y : {1850, 1859, 1880}) EXPECT_FALSE(f.values.has(y)) << y;
  for (int y : {1820, 1849, 1860, 1879, 1881, 1919}) EXPECT_TRUE(f.values.has(y)) << y;
  // The same as filtering the years with a value joined together.
  std::vector<double> joined;
  for (double x : gapped)
    if (x >= 0.0) joined.push_back(x);
  const Filtered g = filter(1800, joined);
  EXPECT_DOUBLE_EQ(f.values.at(1919), g.values.v.back());
}
