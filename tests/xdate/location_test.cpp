#include "xdate/location.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "synthetic.h"
#include "tables.h"
#include "xdate/check.h"

namespace {

using namespace ringdate::xdate;

// The suggestion for series i, if any.
const Suggestion* suggestion_for(const CheckResult& r, int32_t i) {
  for (const Suggestion& s : r.suggestions) {
    if (s.series == i) return &s;
  }
  return nullptr;
}

TEST(Edit, InsertAndDeleteMoveTheEarlierRings) {
  const SeriesInput s{"A", 1900, {1.0, 2.0, 3.0, 4.0}};
  SeriesInput v;
  ASSERT_TRUE(apply_edit(s, Edit{EditKind::insert, 1902}, v));
  EXPECT_EQ(v.first, 1899);  // the rings up to 1902 move one year earlier
  EXPECT_EQ(v.values, (std::vector<double>{1.0, 2.0, 3.0, 0.0, 4.0}));
  EXPECT_EQ(Edit(EditKind::insert, 1902).type_year(), 1903);
  ASSERT_TRUE(apply_edit(s, Edit{EditKind::remove, 1901}, v));
  EXPECT_EQ(v.first, 1901);  // the rings before 1901 move one year later
  EXPECT_EQ(v.values, (std::vector<double>{1.0, 3.0, 4.0}));
  EXPECT_EQ(Edit(EditKind::remove, 1901).type_year(), 1901);
  EXPECT_FALSE(apply_edit(s, Edit{EditKind::insert, 1899}, v));
  EXPECT_FALSE(apply_edit(s, Edit{EditKind::remove, 1904}, v));
}

class Injected : public ::testing::Test {
 protected:
  std::vector<SeriesInput> forest = xdate_synthetic::forest(10, 1600, 1899);
};

TEST_F(Injected, CleanSeriesGetNoSuggestion) {
  const CheckResult r = run_check(forest, Settings{});
  EXPECT_EQ(r.flagged_segments(), 0);
  EXPECT_TRUE(r.suggestions.empty());
}

TEST_F(Injected, AMissingRingIsFoundWhereItWasRemoved) {
  for (int32_t year : {1700, 1751, 1802}) {
    std::vector<SeriesInput> files = forest;
    files[4] = xdate_synthetic::without_ring(forest[4], year);
    const CheckResult r = run_check(files, Settings{});
    const Suggestion* s = suggestion_for(r, 4);
    ASSERT_NE(s, nullptr) << year;
    EXPECT_EQ(s->edit.kind, EditKind::insert);
    EXPECT_LE(std::abs(s->edit.year - year), 2) << year;
    EXPECT_GT(s->gain(), 0.04);
    EXPECT_LT(s->flagged_after, s->flagged_before);
    EXPECT_EQ(r.suggestions.size(), 1u);  // nothing for the clean series
  }
}

TEST_F(Injected, AFalseRingIsFoundWhereTheRingWasSplit) {
  for (int32_t year : {1720, 1777, 1830}) {
    std::vector<SeriesInput> files = forest;
    files[6] = xdate_synthetic::with_split_ring(forest[6], year);
    const CheckResult r = run_check(files, Settings{});
    const Suggestion* s = suggestion_for(r, 6);
    ASSERT_NE(s, nullptr) << year;
    EXPECT_EQ(s->edit.kind, EditKind::remove);
    // Deleting either part restores the dating; the inner part is dated year - 1.
    EXPECT_LE(std::abs(s->edit.year - (year - 1)), 1) << year;
    EXPECT_EQ(r.suggestions.size(), 1u);
  }
}

TEST(Location, RealSeriesWithAnInjectedErrorGetTheRightKindNearTheRightYear) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  const auto table = xdate_tables::load(shared + "/data/real/csv/co021.csv");
  if (table.rows.empty()) GTEST_SKIP() << "co021.csv missing";
  const std::vector<SeriesInput> clean = xdate_tables::series_of(table);
  struct Case {
    std::size_t series;
    bool missing;
    int32_t offset;  // years after the series' first year + 60
  };
  for (const Case c :
       {Case{3, true, 40}, Case{8, false, 25}, Case{15, true, 90}, Case{20, false, 70}}) {
    std::vector<SeriesInput> files = clean;
    const SeriesInput& s = clean[c.series];
    const int32_t year = s.first + 60 + c.offset;
    ASSERT_LT(year, s.last() - 60);
    files[c.series] = c.missing ? xdate_synthetic::without_ring(s, year)
                                : xdate_synthetic::with_split_ring(s, year);
    const CheckResult r = run_check(files, Settings{});
    const Suggestion* got = suggestion_for(r, static_cast<int32_t>(c.series));
    ASSERT_NE(got, nullptr) << s.id;
    EXPECT_EQ(got->edit.kind, c.missing ? EditKind::insert : EditKind::remove) << s.id;
    EXPECT_LE(std::abs(got->edit.year - (c.missing ? year : year - 1)), 2) << s.id;
  }
}

TEST(Location, CheapScoresPeakAtTheShift) {
  // A series dated one year late up to 1950 and right after it: inserting a ring at 1950
  // restores every pair.
  xdate_synthetic::Random rnd(9);
  Track m{1900, std::vector<double>(100)};
  for (double& v : m.v) v = rnd.normal();
  Track f{1901, std::vector<double>(99)};
  for (int32_t y = 1901; y <= 1999; ++y)
    f.v[static_cast<std::size_t>(y - 1901)] = y <= 1950 ? m.at(y - 1) : m.at(y);
  const std::vector<double> c = Locator::cheap_scores(f, m, EditKind::insert);
  const auto best = std::max_element(c.begin(), c.end(), [](double a, double b) {
    return present(a) ? present(b) && a < b : present(b);
  });
  EXPECT_EQ(f.first + static_cast<int32_t>(best - c.begin()), 1950);
  EXPECT_NEAR(*best, 1.0, 1e-9);
}

}  // namespace
