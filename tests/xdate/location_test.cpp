#include "xdate/location.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "synthetic.h"
#include "tables.h"
#include "xdate/check.h"
#include "xdate/dataset.h"
#include "xdate/offsets.h"

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

TEST(Edit, SeveralEditsAreMadeEarliestFirstAtTheYearsAsRead) {
  const SeriesInput s{"A", 1900, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
  const std::vector<Edit> edits{Edit{EditKind::insert, 1902}, Edit{EditKind::remove, 1906}};
  SeriesInput v;
  std::vector<int32_t> inserted;
  ASSERT_TRUE(apply_edits(s, edits, Filling::zero, v, &inserted));
  // The insert moves 1900..1902 one year earlier; the delete takes the ring of 1906 and
  // moves everything before it one year later: the first year is back at 1900.
  EXPECT_EQ(v.first, 1900);
  EXPECT_EQ(v.values, (std::vector<double>{1, 2, 3, 0, 4, 5, 6, 8, 9, 10}));
  EXPECT_EQ(inserted, (std::vector<int32_t>{1903}));
  ASSERT_TRUE(apply_edits(s, edits, Filling::merged, v));
  EXPECT_EQ(v.values, (std::vector<double>{1, 2, 3, 3.5, 4, 5, 6, 15, 9, 10}));
  // Out of order, too close, or at the ends: refused.
  const std::vector<Edit> reversed{edits[1], edits[0]};
  EXPECT_FALSE(apply_edits(s, reversed, Filling::zero, v));
  EXPECT_FALSE(
      apply_edits(s, std::vector<Edit>{Edit{EditKind::insert, 1903}, Edit{EditKind::remove, 1904}},
                  Filling::zero, v));
  EXPECT_FALSE(apply_edits(s, std::vector<Edit>{Edit{EditKind::remove, 1900}}, Filling::zero, v));
  EXPECT_FALSE(apply_edits(s, std::vector<Edit>{Edit{EditKind::insert, 1908}}, Filling::zero, v));
  // The offset of each ring once both edits are made.
  EXPECT_EQ(offset_after(edits, 1901), 0);
  EXPECT_EQ(offset_after(edits, 1903), 1);
  EXPECT_EQ(offset_after(edits, 1907), 0);
}

TEST(OffsetPaths, TwoShiftsGiveTheTwoEdits) {
  // A series that misses the ring of 1930 and has a false ring after that of 1969: the best
  // path with two edits names both; with none it scores less.
  xdate_synthetic::Random rnd(3);
  Track m{1880, std::vector<double>(140)};
  for (double& v : m.v) v = rnd.normal();
  Track f{1900, {}};
  for (int32_t y = 1899; y <= 2000; ++y) {
    if (y == 1930) continue;  // the missing ring
    f.v.push_back(m.at(y));
    if (y == 1969) f.v.push_back(rnd.normal());  // the false ring, dated 1970 as read
  }
  // As read, the last ring is 2000 + 1 - 1 = 2000: the first year is 2000 - (size - 1).
  f.first = 2000 - static_cast<int32_t>(f.v.size()) + 1;
  OffsetSettings os;
  os.bp_weight = 0.0;
  os.narrow_weight = 0.0;
  int64_t work = 0;
  const std::vector<OffsetPath> p = best_offset_paths(f, m, Track{}, Track{}, os, &work);
  ASSERT_EQ(p.size(), 4u);
  ASSERT_TRUE(p[0].found && p[2].found);
  // Rings up to 1929 pair at their years, 1930 (holding 1931) to 1968 one year on; the
  // ring read as 1969 pairs with nothing.
  EXPECT_EQ(f.first, 1899);
  EXPECT_EQ(p[2].edits,
            (std::vector<Edit>{Edit{EditKind::insert, 1929}, Edit{EditKind::remove, 1969}}));
  EXPECT_GT(p[2].score, p[0].score + 20.0);
  EXPECT_EQ(p[3].edits.size(), 3u);
  // One cell per ring, offset and number of edits.
  EXPECT_EQ(work, static_cast<int64_t>(f.v.size()) * 7 * 4);
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
    EXPECT_EQ(s->first().kind, EditKind::insert);
    EXPECT_LE(std::abs(s->first().year - year), 2) << year;
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
    EXPECT_EQ(s->first().kind, EditKind::remove);
    // Deleting either part restores the dating; the inner part is dated year - 1.
    EXPECT_LE(std::abs(s->first().year - (year - 1)), 1) << year;
    EXPECT_EQ(r.suggestions.size(), 1u);
  }
}

// Series 4 of the forest with errors at these years (of the clean series), made earliest
// first; `want`: the edits that restore it, at the years as read.
struct Errors {
  std::vector<SeriesInput> files;
  std::vector<Edit> want;
};
Errors with_errors(const std::vector<SeriesInput>& forest,
                   std::vector<std::pair<bool, int32_t>> e) {
  Errors out{forest, {}};
  SeriesInput& s = out.files[4];
  for (const auto& [missing, year] : e)
    s = missing ? xdate_synthetic::without_ring(s, year)
                : xdate_synthetic::with_split_ring(s, year);
  for (std::size_t j = 0; j < e.size(); ++j) {
    int32_t moved = 0;
    for (std::size_t i = j + 1; i < e.size(); ++i) moved += e[i].first ? 1 : -1;
    out.want.push_back(e[j].first ? Edit{EditKind::insert, e[j].second + moved}
                                  : Edit{EditKind::remove, e[j].second - 1 + moved});
  }
  return out;
}

// How far an edit may be from the error: a false ring leaves two narrow parts where it is
// and is placed within 2 years (either part); a missing ring leaves no trace of its own,
// only the few rings between a candidate year and the true one tell them apart.
int32_t tolerance(const Edit& want) { return want.kind == EditKind::remove ? 2 : 4; }

TEST_F(Injected, TwoErrorsGetBothEditsInOrder) {
  for (const auto& errors : {std::vector<std::pair<bool, int32_t>>{{true, 1700}, {false, 1790}},
                             {{false, 1680}, {true, 1760}},
                             {{true, 1690}, {true, 1800}}}) {
    const Errors e = with_errors(forest, errors);
    const CheckResult r = run_check(e.files, Settings{});
    const Suggestion* s = suggestion_for(r, 4);
    ASSERT_NE(s, nullptr) << e.want[0].year;
    ASSERT_EQ(s->edits.size(), 2u) << e.want[0].year;
    for (std::size_t j = 0; j < 2; ++j) {
      EXPECT_EQ(s->edits[j].kind, e.want[j].kind) << e.want[j].year;
      EXPECT_LE(std::abs(s->edits[j].year - e.want[j].year), tolerance(e.want[j]))
          << e.want[j].year << " got " << s->edits[j].year;
    }
    EXPECT_LT(s->edits[0].year, s->edits[1].year);
    EXPECT_EQ(s->flagged_after, 0);
    EXPECT_GT(s->gain(), 0.04);
    EXPECT_EQ(r.suggestions.size(), 1u);  // nothing for the clean series
  }
}

TEST_F(Injected, ThreeErrorsGetThreeEdits) {
  const Errors e = with_errors(forest, {{false, 1670}, {true, 1740}, {true, 1820}});
  const CheckResult r = run_check(e.files, Settings{});
  const Suggestion* s = suggestion_for(r, 4);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->edits.size(), 3u);
  for (std::size_t j = 0; j < 3; ++j) {
    EXPECT_EQ(s->edits[j].kind, e.want[j].kind) << j;
    EXPECT_LE(std::abs(s->edits[j].year - e.want[j].year), tolerance(e.want[j]))
        << e.want[j].year << " got " << s->edits[j].year;
  }
}

TEST_F(Injected, ASeriesThatNoSequenceRestoresGetsNone) {
  // A series of another forest: flagged everywhere, and no few edits make it agree.
  std::vector<SeriesInput> files = forest;
  files[4] = xdate_synthetic::forest(1, 1612, 1899, 0.25, 99)[0];
  files[4].id = forest[4].id;
  const CheckResult r = run_check(files, Settings{});
  ASSERT_GT(r.series[4].flagged, 0);
  EXPECT_EQ(suggestion_for(r, 4), nullptr);
  EXPECT_TRUE(r.suggestions.empty());
}

TEST_F(Injected, TheLocationDoesNoWorkForAFlaggedSeriesWithoutSignal) {
  // Noise against the master: the cheap tests end the search before any refiltering.
  std::vector<SeriesInput> files = forest;
  xdate_synthetic::Random rnd(5);
  for (double& v : files[4].values) v = 0.5 + rnd.uniform();
  Dataset data(files, Settings{});
  const std::vector<int32_t> which{4};
  const std::vector<Master> m = data.masters(which);
  const SeriesResult before = data.analyse(4, m[0]);
  ASSERT_GT(before.flagged, 0);
  Locator locate;
  EXPECT_FALSE(locate(data.filter(), data.input(4), data.filtered(4), m[0], before, data.grid(),
                      data.settings()));
  EXPECT_EQ(locate.refilters(), 0);
}

// The file with ring `year` of series i removed; that series' master, its statistics as
// they stand, and the location's answer for it.
struct WithoutRing {
  Dataset data;
  Master master;
  SeriesResult before;
  std::size_t i;

  WithoutRing(const std::vector<SeriesInput>& files, std::size_t series, int32_t year)
      : data(removed(files, series, year), Settings{}),
        master(data.masters(std::vector<int32_t>{static_cast<int32_t>(series)})[0]),
        before(data.analyse(series, master)),
        i(series) {}

  std::optional<Suggestion> locate(const LocatorSettings& settings) {
    Locator locator(settings);
    return locator(data.filter(), data.input(i), data.filtered(i), master, before, data.grid(),
                   data.settings());
  }

  static std::vector<SeriesInput> removed(std::vector<SeriesInput> files, std::size_t series,
                                          int32_t year) {
    files[series] = xdate_synthetic::without_ring(files[series], year);
    return files;
  }
};

TEST(Location, TheOtherRadiusOfTheSameTreePinsAMissingRing) {
  // Series 0 and 1 are two radii of one tree: their own growth, unlike the site's, is
  // shared. Missing rings of series 0 are named within a year of the truth far more often
  // when the candidates are also compared with the other radius than with the master alone
  // (a ring a year off differs from the truth by one pair: with the master alone the search
  // often settles several years off).
  std::vector<SeriesInput> files = xdate_synthetic::forest(12, 1600, 1899, 0.3, 21);
  xdate_synthetic::Random rnd(4);
  for (std::size_t k = 0; k < files[0].values.size(); ++k) {
    const double tree = std::exp(0.3 * rnd.normal());
    files[0].values[k] = std::round(files[0].values[k] * tree * 100.0) / 100.0;
    const int32_t y = files[0].first + static_cast<int32_t>(k);
    const double other = files[0].values[k] * std::exp(0.1 * rnd.normal());
    if (y >= files[1].first)
      files[1].values[static_cast<std::size_t>(y - files[1].first)] =
          std::round(other * 100.0) / 100.0;
  }
  {
    Dataset data(files, Settings{});
    const std::vector<int32_t> which{0};
    const std::vector<Master> m = data.masters(which);
    ASSERT_EQ(data.analyse(0, m[0]).flagged, 0);
  }
  LocatorSettings alone;
  alone.references = 0;
  alone.bp_references = 0;
  int near_with = 0, near_alone = 0, cases = 0;
  for (int32_t year = 1680; year <= 1830; year += 10) {
    WithoutRing w(files, 0, year);
    EXPECT_EQ(w.master.own, 0u);
    ASSERT_EQ(w.master.others.size(), files.size());
    ASSERT_EQ(w.master.others_bp.size(), files.size());
    if (w.before.flagged == 0) continue;
    ++cases;
    for (bool with : {true, false}) {
      const auto got = w.locate(with ? LocatorSettings{} : alone);
      const bool near = got && got->edits.size() == 1 && got->first().kind == EditKind::insert &&
                        std::abs(got->first().year - year) <= 1;
      (with ? near_with : near_alone) += near;
    }
  }
  ASSERT_GE(cases, 10);
  EXPECT_GE(near_with, cases - 3);
  EXPECT_GE(near_with, near_alone + 4) << near_alone << " of " << cases << " alone";
}

TEST(Location, AKnownPriorTakesThePlaceOfTheNarrowYears) {
  // A noisy forest, where the rings alone often settle a missing ring a few years off: told
  // the year (every other year all but impossible), the location names it; told a year two
  // off, it names that one; a known width that is absent changes nothing.
  const std::vector<SeriesInput> files = xdate_synthetic::forest(8, 1600, 1899, 0.6, 3);
  int cases = 0, exact_told = 0, two_off = 0, exact_plain = 0;
  for (int32_t year = 1690; year <= 1830; year += 20) {
    WithoutRing w(files, 2, year);
    if (w.before.flagged == 0) continue;
    auto at = [&](const LocatorSettings& ls) {
      const auto got = w.locate(ls);
      return got && got->edits.size() == 1 && got->first().kind == EditKind::insert
                 ? got->first().year
                 : 0;
    };
    const int32_t plain = at(LocatorSettings{});
    if (plain == 0) continue;
    ++cases;
    exact_plain += plain == year;
    LocatorSettings told;
    told.known_prior = [year](int32_t y) { return y == year ? 0.0 : -30.0; };
    exact_told += at(told) == year;
    // A missing ring two years off may no longer pass the gates; named, it is there.
    told.known_prior = [year](int32_t y) { return y == year + 2 ? 0.0 : -30.0; };
    const int32_t off = at(told);
    if (off != 0) {
      EXPECT_EQ(off, year + 2);
    }
    two_off += off == year + 2;
    LocatorSettings absent_width;
    absent_width.known_width = [](int32_t) { return absent; };
    EXPECT_EQ(at(absent_width), plain);
  }
  ASSERT_GE(cases, 5);
  EXPECT_EQ(exact_told, cases);
  EXPECT_GE(two_off, cases - 2);
  EXPECT_LT(exact_plain, cases) << "the rings alone should not settle every year here";
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
    EXPECT_EQ(got->first().kind, c.missing ? EditKind::insert : EditKind::remove) << s.id;
    EXPECT_LE(std::abs(got->first().year - (c.missing ? year : year - 1)), 2) << s.id;
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
