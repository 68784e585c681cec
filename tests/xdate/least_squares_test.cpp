// The least squares behind the location's regressions: the coefficients it returns, and
// the systems it refuses.
#include "xdate/least_squares.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace {

using ringdate::xdate::LeastSquares;

TEST(LeastSquares, RecoversTheCoefficientsOfAnExactFitAndTheClosedFormOfANoisyOne) {
  // Exact: y = 2 - 3 a + 0.5 b, with a and b far apart in scale (the pivots must cope).
  std::mt19937 rng(3);
  std::normal_distribution<double> g(0.0, 1.0);
  LeastSquares exact(3);
  for (int k = 0; k < 40; ++k) {
    const double a = g(rng), b = 1000.0 * g(rng);
    exact.add(std::array{1.0, a, b}, 2.0 - 3.0 * a + 0.5 * b);
  }
  const auto beta = exact.solve();
  ASSERT_TRUE(beta);
  ASSERT_EQ(beta->size(), 3u);
  EXPECT_NEAR((*beta)[0], 2.0, 1e-9);
  EXPECT_NEAR((*beta)[1], -3.0, 1e-9);
  EXPECT_NEAR((*beta)[2], 0.5, 1e-12);

  // Noisy, one regressor: the slope and intercept of simple regression.
  LeastSquares noisy(2);
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (int k = 0; k < 200; ++k) {
    const double x = g(rng) + 5.0, y = 1.0 + 0.7 * x + g(rng);
    noisy.add(std::array{1.0, x}, y);
    n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  const double slope = (sxy - sx * sy / n) / (sxx - sx * sx / n);
  const auto fit = noisy.solve();
  ASSERT_TRUE(fit);
  EXPECT_EQ(noisy.rows(), 200u);
  EXPECT_NEAR((*fit)[1], slope, 1e-10);
  EXPECT_NEAR((*fit)[0], (sy - slope * sx) / n, 1e-10);
}

TEST(LeastSquares, RefusesASystemWithoutOneSolution) {
  // Fewer rows than regressors.
  LeastSquares few(3);
  few.add(std::array{1.0, 2.0, 3.0}, 1.0);
  few.add(std::array{1.0, 4.0, 1.0}, 2.0);
  EXPECT_FALSE(few.solve());
  // A regressor that is a combination of the others (a reference series that repeats the
  // master, shifted).
  LeastSquares same(3);
  for (int k = 0; k < 50; ++k) {
    const double m = 0.1 * k * k - k;
    same.add(std::array{1.0, m, m + 2.0}, 0.3 * m);
  }
  EXPECT_FALSE(same.solve());
  // A regressor that is zero throughout.
  LeastSquares zero(2);
  for (int k = 0; k < 50; ++k) zero.add(std::array{1.0, 0.0}, k);
  EXPECT_FALSE(zero.solve());
  // Nothing added.
  EXPECT_FALSE(LeastSquares(2).solve());
}

}  // namespace
