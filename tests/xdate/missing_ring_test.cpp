// What the location of a missing ring uses beside the alignment: the expected width of the
// ring, the prior of a missing ring in a year, and the choice of a year among candidates.
#include "xdate/missing_ring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace ringdate::xdate;

// A master whose Baillie-Pilcher values say `ratio` (width over its five-year mean) in every
// year of first..last.
Track flat_master(int32_t first, int32_t last, double ratio) {
  return Track{first, std::vector<double>(static_cast<std::size_t>(last - first + 1),
                                          std::log(100.0 * ratio))};
}

TEST(MissingRing, ExpectedWidthIsTheNeighboursMeanTimesTheMastersRatio) {
  const SeriesInput v{"A", 1900, {1.0, 2.0, 9.0, 3.0, 4.0, 5.0}};
  Track m = flat_master(1890, 1910, 1.0);
  m.v[static_cast<std::size_t>(1902 - 1890)] = std::log(50.0);  // a narrow year: half the mean
  // 1902: the rings 1900, 1901, 1903, 1904 (the ring itself left out), halved.
  EXPECT_DOUBLE_EQ(expected_width(v, 1902, m), (1.0 + 2.0 + 3.0 + 4.0) / 4.0 * 0.5);
  // At the ends only the rings there are.
  EXPECT_DOUBLE_EQ(expected_width(v, 1900, m), (2.0 + 9.0) / 2.0);
  EXPECT_DOUBLE_EQ(expected_width(v, 1905, m), (3.0 + 4.0) / 2.0);
  // Outside the series, or where the master has no value: absent.
  EXPECT_FALSE(present(expected_width(v, 1899, m)));
  EXPECT_FALSE(present(expected_width(v, 1906, m)));
  m.v[static_cast<std::size_t>(1903 - 1890)] = absent;
  EXPECT_FALSE(present(expected_width(v, 1903, m)));
  // A ratio that overflows is no width.
  m.v[static_cast<std::size_t>(1904 - 1890)] = 1e6;
  EXPECT_FALSE(present(expected_width(v, 1904, m)));
}

TEST(MissingRing, FillInsertedSetsOnlyTheInsertedRing) {
  SeriesInput v{"A", 1900, {2.0, 2.0, 0.0, 4.0, 4.0}};
  const Track m = flat_master(1900, 1904, 0.25);
  fill_inserted(v, 1902, m);
  const std::vector<double> want{2.0, 2.0, 0.75, 4.0, 4.0};
  ASSERT_EQ(v.values.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) EXPECT_NEAR(v.values[k], want[k], 1e-12) << k;
  // Without a master value, or outside the series, nothing changes.
  SeriesInput w{"A", 1900, {2.0, 2.0, 0.0, 4.0, 4.0}};
  fill_inserted(w, 1902, Track{});
  fill_inserted(w, 1950, m);
  fill_inserted(w, 1800, m);
  EXPECT_EQ(w.values, (std::vector<double>{2.0, 2.0, 0.0, 4.0, 4.0}));
}

// A tree whose widths follow the master's ratio in each year with some noise.
struct Tree {
  SeriesInput s{"T", 1700, {}};
  Track master_bp{1700, {}};
};

Tree tree(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> climate(0.0, 0.35), noise(0.0, 0.15);
  Tree t;
  for (int k = 0; k < n; ++k) {
    const double c = climate(rng);
    t.master_bp.v.push_back(std::log(100.0) + c);
    t.s.values.push_back(std::exp(c + noise(rng)));
  }
  return t;
}

TEST(MissingRing, NarrowPriorFavoursTheYearsTheMasterMakesNarrow) {
  const Tree t = tree(300, 5);
  const NarrowPrior prior(t.s, t.master_bp, 0.5);
  ASSERT_TRUE(prior.informative());
  // The master's narrowest and widest years in the middle of the series.
  int32_t narrow = 0, wide = 0;
  for (int32_t y = 1710; y < 1990; ++y) {
    if (narrow == 0 || t.master_bp.at(y) < t.master_bp.at(narrow)) narrow = y;
    if (wide == 0 || t.master_bp.at(y) > t.master_bp.at(wide)) wide = y;
  }
  const double at_narrow = prior(t.s, narrow), at_wide = prior(t.s, wide);
  EXPECT_GT(at_narrow, at_wide + 1.0);
  // Bounded by the share: log(1 - share) where no narrow ring can be, log(1 + 9 share) where
  // it must be.
  EXPECT_LE(at_narrow, std::log1p(0.5 * 9.0) + 1e-12);
  EXPECT_GE(at_wide, std::log(0.5) - 1e-12);
  // Neighbours of no width: the ring cannot be wider than the narrowest.
  SeriesInput gap = t.s;
  for (int32_t y = 1798; y <= 1802; ++y) gap.values[static_cast<std::size_t>(y - 1700)] = 0.0;
  EXPECT_NEAR(prior(gap, 1800), std::log1p(0.5 * 9.0), 1e-12);
  // No share, too short a series, or no master: no preference (0 everywhere).
  const NarrowPrior none(t.s, t.master_bp, 0.0);
  EXPECT_FALSE(none.informative());
  EXPECT_EQ(none(t.s, narrow), 0.0);
  const SeriesInput short_series{"S", 1700,
                                 std::vector<double>(t.s.values.begin(), t.s.values.begin() + 15)};
  EXPECT_FALSE(NarrowPrior(short_series, t.master_bp, 0.5).informative());
  EXPECT_FALSE(NarrowPrior(t.s, Track{}, 0.5).informative());
  // Outside the series or the master: 0.
  EXPECT_EQ(prior(t.s, 1600), 0.0);
}

TEST(MissingRing, NarrowPriorIsFiniteWhateverTheWidths) {
  // Zeros, a constant stretch, a huge value: the prior stays finite.
  Tree t = tree(120, 9);
  for (std::size_t k = 10; k < 40; ++k) t.s.values[k] = 0.0;
  for (std::size_t k = 50; k < 70; ++k) t.s.values[k] = 1.0;
  t.s.values[80] = 1e300;
  const NarrowPrior prior(t.s, t.master_bp, 0.5);
  for (int32_t y = 1690; y <= 1830; ++y) EXPECT_TRUE(std::isfinite(prior(t.s, y))) << y;
}

TEST(MissingRing, ChooseYearTakesTheMostLikelyOrTheLargestMass) {
  EXPECT_FALSE(choose_year({}, 0, 1.0));
  // Spread 0: the most likely year; the earliest of equals.
  const std::vector<YearScore> peak{{1900, -5.0}, {1901, -1.0}, {1902, -3.0}, {1903, -1.0}};
  EXPECT_EQ(choose_year(peak, 0, 1.0), 1901);
  // A single sharp peak beside a broad shoulder: spread 0 names the peak, a spread the middle
  // of the shoulder when its mass outweighs the peak.
  const std::vector<YearScore> shoulder{{1900, 0.0},  {1901, -9.0}, {1902, -9.0},
                                        {1903, -0.2}, {1904, -0.1}, {1905, -0.2}};
  EXPECT_EQ(choose_year(shoulder, 0, 1.0), 1900);
  EXPECT_EQ(choose_year(shoulder, 1, 1.0), 1904);
  // A larger scale flattens the likelihoods; a huge gap still wins.
  const std::vector<YearScore> far{{1900, 0.0}, {1901, -100.0}, {1902, -100.0}};
  EXPECT_EQ(choose_year(far, 3, 3.0), 1900);
}

}  // namespace
