#include "xdate/master.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "synthetic.h"

namespace {

using namespace ringdate::xdate;

TEST(Biweight, AnOutlierGetsNoWeight) {
  // Median 1.0, median absolute deviation 0.1: 10.0 lies far beyond 9 S and weighs 0.
  std::vector<double> x = {0.9, 1.0, 1.1, 1.0, 10.0};
  const double m = 1.0, s = 0.1;
  double wx = 0.0, w = 0.0;
  for (double v : {0.9, 1.0, 1.1, 1.0}) {
    const double u = (v - m) / (9.0 * s + 1e-6);
    const double wt = (1 - u * u) * (1 - u * u);
    wx += wt * v;
    w += wt;
  }
  EXPECT_NEAR(biweight_mean(x), wx / w, 1e-12);
  std::vector<double> one = {2.5};
  EXPECT_DOUBLE_EQ(biweight_mean(one), 2.5);
  std::vector<double> none;
  EXPECT_FALSE(present(biweight_mean(none)));
}

TEST(Biweight, LeaveOneOutEqualsTheBiweightOfTheOthers) {
  xdate_synthetic::Random rnd(3);
  BiweightLeaveOneOut loo;
  for (std::size_t n : {1u, 2u, 3u, 4u, 5u, 8u, 13u, 17u, 18u, 40u, 101u, 400u}) {
    for (int rep = 0; rep < 5; ++rep) {
      std::vector<double> x(n);
      // Values on a coarse grid, so that ties occur (but for one set of each size).
      for (double& v : x) v = rep == 3 ? rnd.normal() : std::round(rnd.normal() * 4.0) / 4.0;
      if (rep == 4) x[0] += 20.0;  // an outlier
      // Any order: reversed halves.
      std::sort(x.begin(), x.end());
      std::reverse(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n / 2));
      std::vector<double> out(n);
      loo(x, out);
      for (std::size_t k = 0; k < n; ++k) {
        std::vector<double> others;
        for (std::size_t j = 0; j < n; ++j) {
          if (j != k) others.push_back(x[j]);
        }
        const double want = biweight_mean(others);
        if (!present(want)) {
          EXPECT_FALSE(present(out[k]));
        } else {
          EXPECT_NEAR(out[k], want, 1e-12) << "n " << n << " k " << k;
        }
      }
    }
  }
}

// Each value's master is bit for bit the sums of the weights of ALL values about the
// others' median and median absolute deviation, in the order of the values, less the
// value's own term: found here by sorting the others for every value.
TEST(Biweight, LeaveOneOutIsBitForBitTheFullSumsLessTheOwnTerm) {
  auto median = [](std::vector<double> x) {
    std::sort(x.begin(), x.end());
    const std::size_t m = x.size();
    return m % 2 == 1 ? x[(m - 1) / 2] : (x[m / 2 - 1] + x[m / 2]) / 2.0;
  };
  auto weight = [](double x, double m, double s) {
    const double u = (x - m) / (9.0 * s + 1e-6);
    if (!(u >= -1.0 && u <= 1.0)) return 0.0;
    const double a = 1.0 - u * u;
    return a * a;
  };
  xdate_synthetic::Random rnd(18);
  BiweightLeaveOneOut loo;
  for (std::size_t n : {2u, 3u, 4u, 7u, 40u, 41u, 400u, 401u}) {
    for (int rep = 0; rep < 3; ++rep) {
      std::vector<double> x(n);
      for (double& v : x) v = rep == 0 ? std::round(rnd.normal() * 3.0) / 3.0 : rnd.normal();
      if (rep == 2) x[n / 2] = 40.0;
      std::vector<double> out(n);
      loo(x, out);
      for (std::size_t k = 0; k < n; ++k) {
        std::vector<double> others = x;
        others.erase(others.begin() + static_cast<std::ptrdiff_t>(k));
        const double m = median(others);
        std::vector<double> dev;
        for (double v : others) dev.push_back(std::abs(v - m));
        const double s = median(dev);
        double wx = 0.0, w = 0.0;
        for (double v : x) {
          wx += weight(v, m, s) * v;
          w += weight(v, m, s);
        }
        const double wk = weight(x[k], m, s);
        const double want = w - wk > 0.0 ? (wx - wk * x[k]) / (w - wk) : absent;
        if (!present(want)) {
          EXPECT_FALSE(present(out[k]));
        } else {
          ASSERT_EQ(out[k], want) << "n " << n << " rep " << rep << " k " << k;
        }
      }
    }
  }
}

TEST(Biweight, PoolGivesEachSeriesTheOthersOnly) {
  const Track a{1900, {1.0, 2.0, 3.0}};
  const Track b{1901, {5.0, 6.0}};
  const Track c{1900, {7.0, 8.0, 9.0, 10.0}};
  const BiweightPool pool({&a, &b, &c}, 1900, 1903);
  const std::vector<int32_t> which = {0, 1};
  const std::vector<Track> m = pool.leave_out(which);
  // a in 1900: only c; in 1901: b and c (two values: mean of the two, equal weights).
  EXPECT_DOUBLE_EQ(m[0].at(1900), 7.0);
  EXPECT_DOUBLE_EQ(m[0].at(1901), 6.5);
  EXPECT_DOUBLE_EQ(m[0].at(1903), 10.0);  // a has no value: all others
  // b in 1900 (no value of its own): a and c.
  EXPECT_DOUBLE_EQ(m[1].at(1900), 4.0);
  EXPECT_FALSE(present(m[1].at(1899)));
  // A series listed twice gets its master twice; an index outside the pool gets all tracks.
  const std::vector<int32_t> again = {0, 7, 0};
  const std::vector<Track> m2 = pool.leave_out(again);
  ASSERT_EQ(m2.size(), 3u);
  EXPECT_EQ(m2[0].v, m[0].v);
  EXPECT_EQ(m2[2].v, m[0].v);
  EXPECT_DOUBLE_EQ(m2[1].at(1901), 5.0);  // 2, 5, 8: the median, equal weights either side
}

TEST(MeanPool, TheMeanOfTheOthersLeavesTheOwnValueOut) {
  MeanPool pool(1900, 1902);
  const Track a{1900, {1.0, 2.0}};
  const Track b{1900, {3.0, 4.0, 5.0}};
  pool.add(a);
  pool.add(b);
  const Track ma = pool.leaving_out(a);
  EXPECT_DOUBLE_EQ(ma.at(1900), 3.0);
  EXPECT_DOUBLE_EQ(ma.at(1902), 5.0);
  const Track mb = pool.leaving_out(b);
  EXPECT_DOUBLE_EQ(mb.at(1901), 2.0);
  EXPECT_FALSE(present(mb.at(1902)));  // nobody else
}

}  // namespace
