// Statistics of compared series while they are edited, against the check's.
#include "xdate/live.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "tables.h"
#include "xdate/check.h"

namespace {

using namespace ringdate::xdate;

// Series sharing one yearly signal, each with its own noise: they crossdate well.
std::vector<SeriesInput> common_signal(int nseries, int32_t first, int nyears, uint32_t seed = 7) {
  uint32_t state = seed;
  auto uniform = [&] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 16777216.0;
  };
  std::vector<double> signal(static_cast<std::size_t>(nyears));
  for (double& s : signal) s = std::exp(0.8 * (uniform() - 0.5));
  std::vector<SeriesInput> out;
  for (int i = 0; i < nseries; ++i) {
    SeriesInput s;
    s.id = "S" + std::to_string(i + 1);
    s.first = first;
    for (int k = 0; k < nyears; ++k) {
      s.values.push_back(
          std::round(1000.0 * signal[static_cast<std::size_t>(k)] * (0.7 + 0.6 * uniform())) /
          1000.0);
    }
    out.push_back(std::move(s));
  }
  return out;
}

Version as_read(const SeriesInput& s) { return Version{s.first, s.values, {}}; }

// The series with the ring of `year` taken out, the earlier rings one year later: a ring
// missed in measuring.
SeriesInput missing_ring(SeriesInput s, int32_t year) {
  s.values.erase(s.values.begin() + (year - s.first));
  s.first += 1;
  return s;
}

TEST(LiveComparison, UnchangedSeriesGiveTheNumbersOfTheCheck) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  const auto table = xdate_tables::load(shared + "/data/real/csv/co021.csv");
  if (table.rows.empty()) GTEST_SKIP() << "co021.csv is absent";
  std::vector<SeriesInput> series = xdate_tables::series_of(table);
  // An injected missing ring gives a suggestion to compare too.
  series[3] = missing_ring(series[3], series[3].first + 150);
  const CheckResult check = run_check(series, Settings{});
  Dataset data(series, Settings{});
  const std::vector<int32_t> which = {3, 0, 7, 12};
  LiveComparison live(data, which);
  for (std::size_t k = 0; k < which.size(); ++k) {
    const SeriesResult& want = check.series[static_cast<std::size_t>(which[k])];
    SCOPED_TRACE(want.id);
    const LiveSeries& got =
        live.update(k, as_read(series[static_cast<std::size_t>(which[k])]), want.first, want.last);
    ASSERT_EQ(got.note, LiveNote::none);
    EXPECT_NEAR(got.stats.r.r, want.r.r, 1e-12);
    EXPECT_NEAR(got.stats.bp.t(), want.bp.t(), 1e-9);
    EXPECT_NEAR(got.stats.ho.t(), want.ho.t(), 1e-9);
    EXPECT_NEAR(got.stats.glk.value, want.glk.value, 1e-12);
    EXPECT_EQ(got.stats.flagged, want.flagged);
    const Suggestion* sug = nullptr;
    for (const Suggestion& s : check.suggestions) {
      if (s.series == which[k]) sug = &s;
    }
    ASSERT_EQ(got.suggestion.has_value(), sug != nullptr);
    if (sug) {
      EXPECT_EQ(got.suggestion->first().kind, sug->first().kind);
      EXPECT_EQ(got.suggestion->first().year, sug->first().year);
      EXPECT_NEAR(got.suggestion->r_after, sug->r_after, 1e-12);
    }
  }
  EXPECT_TRUE(check.series[3].flagged > 0);
}

TEST(LiveComparison, TheSuggestedInsertRaisesRAsPromisedAndLeavesNoSuggestion) {
  std::vector<SeriesInput> series = common_signal(8, 1601, 320);
  series[0] = missing_ring(series[0], 1790);
  Dataset data(series, Settings{});
  LiveComparison live(data, {0, 1});
  const LiveSeries before = live.update(0, as_read(series[0]), 1601, 1920);
  ASSERT_EQ(before.note, LiveNote::none);
  ASSERT_GT(before.stats.flagged, 0);
  ASSERT_TRUE(before.suggestion.has_value());
  const Suggestion sug = *before.suggestion;
  EXPECT_EQ(sug.first().kind, EditKind::insert);
  EXPECT_NEAR(sug.first().year, 1790, 2);

  // In the comparison: I at the year to type, side B: a zero ring one year before it, the
  // earlier rings one year earlier.
  Version v = as_read(series[0]);
  v.inserted.assign(v.values.size(), false);
  const int32_t k = sug.first().type_year() - 1 - (v.first - 1);
  v.values.insert(v.values.begin() + k, 0.0);
  v.inserted.insert(v.inserted.begin() + k, true);
  v.first -= 1;
  const LiveSeries& after = live.update(0, v, 1601, 1920);
  ASSERT_EQ(after.note, LiveNote::none);
  EXPECT_NEAR(after.stats.r.r, sug.r_after, 1e-12);
  EXPECT_GT(after.stats.r.r, before.stats.r.r + 0.04);
  EXPECT_EQ(after.stats.flagged, 0);
  EXPECT_FALSE(after.suggestion.has_value());
  // The other series is untouched by the edit.
  EXPECT_EQ(live.update(1, as_read(series[1]), 1601, 1920).stats.flagged, 0);
}

TEST(LiveComparison, MovingCorrelationsCentredInTheWindowAreThoseOfTheirFiftyYears) {
  const std::vector<SeriesInput> series = common_signal(5, 1501, 300);
  Dataset data(series, Settings{});
  LiveComparison live(data, {2});
  const std::vector<Master> masters = data.masters(std::vector<int32_t>{2});
  const Track& f = data.filtered(2).values;
  const LiveSeries& s = live.update(0, as_read(series[2]), 1600, 1700);
  // Centres 1600.5 .. 1699.5: every window lies inside the series.
  ASSERT_EQ(s.moving.size(), 100u);
  EXPECT_DOUBLE_EQ(s.moving.front().first, 1600.5);
  EXPECT_DOUBLE_EQ(s.moving.back().first, 1699.5);
  for (const auto& [centre, r] : s.moving) {
    const auto start = static_cast<int32_t>(centre - 24.5);
    EXPECT_NEAR(r, correlate(f, masters[0].filtered, start, start + 49).r, 1e-9) << centre;
  }
  // The window runs either way; a window reaching past the series keeps only full windows.
  EXPECT_EQ(live.update(0, as_read(series[2]), 1700, 1600).moving.size(), 100u);
  const LiveSeries& edge = live.update(0, as_read(series[2]), 1400, 1560);
  ASSERT_FALSE(edge.moving.empty());
  EXPECT_GE(edge.moving.front().first, f.first + 24.5);
  EXPECT_DOUBLE_EQ(edge.moving.back().first, 1559.5);
  EXPECT_DOUBLE_EQ(live.critical_r(), critical_r(50, 0.01));
}

TEST(LiveComparison, ASeriesDatedAYearLateCorrelatesBestAtLagMinusOne) {
  const std::vector<SeriesInput> series = common_signal(6, 1701, 250);
  Dataset data(series, Settings{});
  LiveComparison live(data, {1});
  const LiveSeries& dated = live.update(0, as_read(series[1]), 1701, 1950);
  const auto best = [](const LiveSeries& s) {
    int32_t lag = 0;
    double r = -2;
    for (int32_t l = -LiveSeries::max_lag; l <= LiveSeries::max_lag; ++l) {
      const Correlation& c = s.lags[static_cast<std::size_t>(l + LiveSeries::max_lag)];
      if (c.valid && c.r > r) r = c.r, lag = l;
    }
    return lag;
  };
  EXPECT_EQ(best(dated), 0);
  EXPECT_EQ(dated.stats.flagged, 0);
  Version late = as_read(series[1]);
  late.first += 1;  // shifted right by one year in the comparison
  const LiveSeries& shifted = live.update(0, late, 1701, 1950);
  EXPECT_EQ(best(shifted), -1);
  EXPECT_GT(shifted.stats.flagged, 0);
}

TEST(LiveComparison, NotesInsteadOfNumbers) {
  std::vector<SeriesInput> one = common_signal(1, 1801, 100);
  Dataset alone(one, Settings{});
  LiveComparison single(alone, {0});
  const LiveSeries& s = single.update(0, as_read(one[0]), 1801, 1900);
  EXPECT_EQ(s.note, LiveNote::single_series);
  EXPECT_TRUE(s.moving.empty());

  std::vector<SeriesInput> series = common_signal(4, 1801, 120);
  series.push_back(SeriesInput{"SHORT", 1850, {1.0, 2.0, 1.5}});
  Dataset data(series, Settings{});
  LiveComparison live(data, {4, 0, -1});
  EXPECT_EQ(live.update(0, as_read(series[4]), 1801, 1920).note, LiveNote::too_short);
  // A negative value is a year without a ring width, left out; a value that is no number
  // leaves the series without numbers.
  Version negative = as_read(series[0]);
  negative.values[10] = -1.0;
  EXPECT_NE(live.update(1, negative, 1801, 1920).note, LiveNote::invalid);
  Version nan = as_read(series[0]);
  nan.values[10] = NAN;
  EXPECT_EQ(live.update(1, nan, 1801, 1920).note, LiveNote::invalid);
  Version far = as_read(series[0]);
  far.first = 3001;  // shifted away from every other series
  const LiveSeries& away = live.update(1, far, 1801, 1920);
  EXPECT_EQ(away.note, LiveNote::no_overlap);
  EXPECT_FALSE(away.suggestion.has_value());
  EXPECT_EQ(live.update(2, as_read(series[1]), 1801, 1920).note, LiveNote::single_series);
}

TEST(ScoredValues, InsertedRingsTakeTheMeanOfTheirNearestMeasuredNeighbours) {
  const Version v{1900, {0.0, 2.0, 0.0, 0.0, 4.0, 0.0}, {true, false, true, true, false, true}};
  EXPECT_EQ(scored_values(v), (std::vector<double>{2.0, 2.0, 3.0, 3.0, 4.0, 4.0}));
  // Without marks, or with only inserted rings, the values stand (or become 0).
  EXPECT_EQ(scored_values(Version{1900, {0.0, 1.0}, {}}), (std::vector<double>{0.0, 1.0}));
  EXPECT_EQ(scored_values(Version{1900, {0.0, 0.0}, {true, true}}),
            (std::vector<double>{0.0, 0.0}));
}

}  // namespace
