#include "xdate/segments.h"

#include <gtest/gtest.h>

#include <cmath>
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

// Each lag's r is the correlation of the segment with the master shifted by that lag, also
// where gaps in the master leave some lags out (lags are summed several at a time: a lag
// must keep its own sums however many of its neighbours are missing).
TEST(Segments, EveryLagIsTheCorrelationAtThatShiftWhereverTheMasterHasGaps) {
  xdate_synthetic::Random rnd(11);
  Track m{1880, std::vector<double>(140, 0.0)};
  for (double& v : m.v) v = rnd.normal();
  Track f{1900, std::vector<double>(100, 0.0)};
  for (int32_t y = 1900; y <= 1999; ++y)
    f.v[static_cast<std::size_t>(y - 1900)] = m.at(y + 2) + 0.7 * rnd.normal();
  // Gaps outside the segments that cut lags out of them: 1900-1949 loses lags -9..-3
  // (1893, 1897), 1950-1999 loses +4..+9 (2003); 1925-1974 keeps all 19.
  for (int32_t y : {1893, 1897, 2003}) m.v[static_cast<std::size_t>(y - 1880)] = absent;
  const Settings settings{50, 9, 0.01};
  const std::vector<SegmentResult> segs =
      test_segments(f, m, SegmentGrid::of(1900, 1999, 50), settings);
  ASSERT_EQ(segs.size(), 3u);
  int32_t present_lags = 0, missing_lags = 0;
  for (const SegmentResult& s : segs) {
    for (int32_t lag = -settings.lag; lag <= settings.lag; ++lag) {
      const Correlation c = correlate(f, m, s.start, s.end, lag);
      bool gap = false;
      for (int32_t y = s.start; y <= s.end; ++y) gap = gap || !m.has(y + lag);
      if (gap) {
        EXPECT_TRUE(std::isnan(s.at_lag(lag))) << s.start << " lag " << lag;
        ++missing_lags;
        continue;
      }
      ASSERT_TRUE(c.valid);
      EXPECT_NEAR(s.at_lag(lag), c.r, 1e-12) << s.start << " lag " << lag;
      ++present_lags;
    }
    EXPECT_EQ(s.best_lag, 2) << s.start;
  }
  EXPECT_GT(missing_lags, 5);
  EXPECT_GT(present_lags, 40);
}

}  // namespace
