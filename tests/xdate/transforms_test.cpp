#include "xdate/transforms.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace ringdate::xdate;

TEST(Transforms, BailliePilcherNeedsFiveYearsAndAFiniteValue) {
  const Track w{1900, {1.0, 2.0, 3.0, 4.0, 5.0, 0.0, 7.0}};
  const Track b = baillie_pilcher(w);
  EXPECT_FALSE(b.has(1900));
  EXPECT_FALSE(b.has(1901));
  EXPECT_NEAR(b.at(1902), std::log(100.0 * 3.0 / 3.0), 1e-12);
  EXPECT_NEAR(b.at(1903), std::log(100.0 * 4.0 / (14.0 / 5.0)), 1e-12);
  EXPECT_FALSE(b.has(1904 + 1));  // a zero ring has no value
  EXPECT_FALSE(b.has(1906));      // not five years
}

TEST(Transforms, HollsteinIsTheLogRatioToTheYearBefore) {
  const Track w{1900, {2.0, 4.0, 0.0, 1.0}};
  const Track h = hollstein(w);
  EXPECT_FALSE(h.has(1900));
  EXPECT_NEAR(h.at(1901), 100.0 * std::log10(2.0), 1e-12);
  EXPECT_FALSE(h.has(1902));  // log of 0
  EXPECT_FALSE(h.has(1903));  // ratio to 0
}

TEST(Transforms, GleichlaeufigkeitCountsDirectionsAndTies) {
  // Directions of the series: up, same, down, up; of the master: up, up, up, same.
  const Track w{1900, {1.0, 2.0, 2.0, 1.0, 3.0}};
  const Track m{1900, {1.0, 2.0, 3.0, 4.0, 4.0}};
  const Glk g = gleichlaeufigkeit(w, m);
  EXPECT_EQ(g.n, 4);
  EXPECT_DOUBLE_EQ(g.value, (1.0 + 0.5 + 0.0 + 0.5) / 4.0);
  const Glk both_flat = gleichlaeufigkeit(Track{0, {1.0, 1.0}}, Track{0, {5.0, 5.0}});
  EXPECT_DOUBLE_EQ(both_flat.value, 1.0);
  EXPECT_FALSE(gleichlaeufigkeit(w, Track{2000, {1.0}}).valid());
}

}  // namespace
