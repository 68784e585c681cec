#include "xdate/segments.h"

#include <gtest/gtest.h>

#include <vector>

#include "synthetic.h"
#include "xdate/check.h"

namespace {

using namespace ringdate::xdate;

TEST(SegmentGrid, StartsAtTheFirstCenturyAndEndsWithinTheFile) {
  const SegmentGrid g = SegmentGrid::of(1176, 1983, 50);
  EXPECT_EQ(g.first_start, 1200);
  EXPECT_EQ(g.step(), 25);
  EXPECT_EQ(g.start(g.count - 1), 1925);  // 1925..1974; 1950..1999 would pass 1983
  EXPECT_EQ(g.end(g.count - 1), 1974);
  EXPECT_EQ(SegmentGrid::of(1200, 1300, 50).first_start, 1200);
  EXPECT_EQ(SegmentGrid::of(-150, 100, 50).first_start, -100);
  EXPECT_EQ(SegmentGrid::of(1801, 1849, 50).count, 0);
  EXPECT_EQ(SegmentGrid::of(1900, 1939, 40).count, 1);
}

TEST(Segments, TiesGoToTheSmallerThenTheNegativeLag) {
  EXPECT_TRUE(better_lag(0.5, 3, 0.4, 0));
  EXPECT_TRUE(better_lag(0.5, 1, 0.5, 2));
  EXPECT_TRUE(better_lag(0.5, -1, 0.5, 1));
  EXPECT_FALSE(better_lag(0.5, 1, 0.5, -1));
  EXPECT_FALSE(better_lag(0.5, 0, 0.5, 0));
}

TEST(Segments, OnlySegmentsWithAllValuesAreTested) {
  Track f{1900, std::vector<double>(100, 0.0)};
  Track m{1890, std::vector<double>(120, 0.0)};
  xdate_synthetic::Random rnd(5);
  for (double& v : m.v) v = rnd.normal();
  for (int32_t y = 1900; y <= 1999; ++y)
    f.v[static_cast<std::size_t>(y - 1900)] = m.at(y) + 0.5 * rnd.normal();
  f.v[60] = absent;  // 1960
  const SegmentGrid grid = SegmentGrid::of(1890, 2009, 50);
  const std::vector<SegmentResult> s = test_segments(f, m, grid, Settings{});
  // 1900-1949 only: 1925-1974 and 1950-1999 miss 1960.
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].start, 1900);
  EXPECT_FALSE(s[0].flagged());
  EXPECT_EQ(s[0].best_lag, 0);
}

TEST(Segments, ASeriesDatedOneYearLateCorrelatesBestAtLagMinusOne) {
  auto series = xdate_synthetic::forest(2, 1800, 1999, 0.2);
  series[1].first += 1;  // every ring one year too late
  const CheckResult r = run_check(series, Settings{});
  ASSERT_EQ(r.series.size(), 2u);
  const SeriesResult& late = r.series[1];
  ASSERT_FALSE(late.segments.empty());
  for (const SegmentResult& s : late.segments) {
    EXPECT_EQ(s.best_lag, -1) << s.start;
    EXPECT_TRUE(s.flag_a && s.flag_b) << s.start;
  }
  // And the other one, against it, at +1.
  for (const SegmentResult& s : r.series[0].segments) EXPECT_EQ(s.best_lag, 1) << s.start;
}

}  // namespace
