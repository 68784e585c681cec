#include "xdate/correlation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace ringdate::xdate;

TEST(Correlation, PearsonOverTheYearsBothHave) {
  const Track a{1900, {1.0, 2.0, 3.0, 4.0, absent, 6.0}};
  const Track b{1901, {2.0, 2.5, 5.0, 100.0, 7.0}};
  // Pairs 1901..1905 where both have values: (2,2) (3,2.5) (4,5) (6,7).
  const Correlation c = correlate(a, b);
  ASSERT_TRUE(c.valid);
  EXPECT_EQ(c.n, 4);
  const double xs[] = {2, 3, 4, 6}, ys[] = {2, 2.5, 5, 7};
  double mx = 0, my = 0;
  for (int k = 0; k < 4; ++k) mx += xs[k] / 4, my += ys[k] / 4;
  double sxx = 0, syy = 0, sxy = 0;
  for (int k = 0; k < 4; ++k)
    sxx += (xs[k] - mx) * (xs[k] - mx), syy += (ys[k] - my) * (ys[k] - my),
        sxy += (xs[k] - mx) * (ys[k] - my);
  EXPECT_NEAR(c.r, sxy / std::sqrt(sxx * syy), 1e-12);
  // At lag 1 the series dated t meets b at t + 1.
  const Correlation l = correlate(a, b, 1900, 1905, 1);
  EXPECT_EQ(l.n, 4);
}

TEST(Correlation, TValueAndOneSidedP) {
  Correlation c{50, 0.3281, true};
  EXPECT_NEAR(c.t(), 0.3281 * std::sqrt(48.0) / std::sqrt(1 - 0.3281 * 0.3281), 1e-12);
  EXPECT_NEAR(c.p(), 0.01, 2e-4);
  EXPECT_NEAR(critical_r(50, 0.01), 0.3281, 1e-4);
  EXPECT_NEAR(Correlation({50, -0.3281, true}).p(), 0.99, 2e-4);
  EXPECT_NEAR(upper_tail(0.0, 10), 0.5, 1e-15);
}

TEST(Correlation, DegenerateCasesAreInvalidAndFinite) {
  const Track flat{1900, {1.0, 1.0, 1.0, 1.0}};
  // Constant values whose mean does not come out exact leave only a rounding residue.
  const Track tenths{1900, {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}};
  EXPECT_FALSE(correlate(tenths, Track{1900, {1, 2, 3, 4, 5, 6, 7}}).valid);
  const Track up{1900, {1.0, 2.0, 3.0, 4.0}};
  EXPECT_FALSE(correlate(flat, up).valid);
  EXPECT_FALSE(correlate(up, Track{1900, {1.0, 2.0}}).valid);       // two pairs
  EXPECT_FALSE(correlate(up, Track{2000, {1.0, 2.0, 3.0}}).valid);  // no overlap
  const Correlation perfect = correlate(up, up);
  ASSERT_TRUE(perfect.valid);
  EXPECT_DOUBLE_EQ(perfect.r, 1.0);
  EXPECT_TRUE(std::isfinite(perfect.t()));
  EXPECT_LT(perfect.p(), 1e-300);
  EXPECT_EQ(Correlation{}.p(), 1.0);
}

TEST(Correlation, PairSumsAddAndTakeApart) {
  PairSums a, b;
  a.add(1, 2);
  a.add(2, 3);
  b.add(3, 5);
  b.add(4, 4);
  PairSums both = a;
  both += b;
  EXPECT_EQ(both.n, 4);
  const Correlation c = correlate(Track{0, {1, 2, 3, 4}}, Track{0, {2, 3, 5, 4}});
  EXPECT_NEAR(both.result().r, c.r, 1e-12);
  both -= b;
  EXPECT_EQ(both.n, 2);
}

}  // namespace
