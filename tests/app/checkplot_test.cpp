#include "app/checkplot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/store.h"
#include "formats/datafile.h"
#include "support/test_support.h"
#include "xdate/check.h"
#include "xdate/store_input.h"

namespace {

using namespace ringdate;

TEST(CheckPlot, EverySeriesARowWithTheSegmentsOfTheCheckAndItsSuggestedEdit) {
  auto store = std::make_unique<Store>();
  if (read_data_file(testing_support::source_dir() + "/examples/pine.rwl", "", *store).result !=
      DataFileResult::read) {
    GTEST_SKIP() << "the example file is missing";
  }
  const xdate::CheckResult r = xdate::run_check(xdate::series_of_store(*store), xdate::Settings{});
  const SegmentChart c = app::segment_chart(r, "pine.rwl");
  EXPECT_EQ(c.title, "Crossdating check of pine.rwl");
  EXPECT_NE(c.subtitle.find("6 series"), std::string::npos);
  EXPECT_EQ(c.first_year, r.first_year);
  EXPECT_EQ(c.last_year, r.last_year);
  EXPECT_NEAR(c.critical_r, 0.3281, 1e-4);
  ASSERT_EQ(c.rows.size(), r.series.size());
  for (std::size_t k = 0; k < c.rows.size(); ++k) {
    SCOPED_TRACE(r.series[k].id);
    EXPECT_EQ(c.rows[k].id, r.series[k].id);
    EXPECT_EQ(c.rows[k].first, r.series[k].first);
    EXPECT_EQ(c.rows[k].last, r.series[k].last);
    ASSERT_EQ(c.rows[k].segments.size(), r.series[k].segments.size());
    for (std::size_t g = 0; g < c.rows[k].segments.size(); ++g) {
      const xdate::SegmentResult& want = r.series[k].segments[g];
      EXPECT_EQ(c.rows[k].segments[g].start, want.start);
      EXPECT_FLOAT_EQ(c.rows[k].segments[g].r, static_cast<float>(want.r.r));
      EXPECT_EQ(c.rows[k].segments[g].flag_a, want.flag_a);
      EXPECT_EQ(c.rows[k].segments[g].flag_b, want.flag_b);
    }
  }
  // PIN04A, fifth in the file, misses its ring of 1903: the insert to type is at 1904.
  ASSERT_EQ(c.rows[4].edits.size(), 1u);
  EXPECT_EQ(c.rows[4].edits[0].year, 1903);
  EXPECT_EQ(c.rows[4].edits[0].label, "I 1904 B");
  for (std::size_t k = 0; k < c.rows.size(); ++k) {
    EXPECT_EQ(c.rows[k].edits.empty(), k != 4) << k;
  }
}

TEST(CheckPlot, EveryEditOfASequenceIsMarkedWithItsOrder) {
  xdate::CheckResult r;
  r.series.resize(2);
  r.series[0].id = "A";
  r.series[1].id = "B";
  xdate::Suggestion g;
  g.series = 1;
  g.edits = {xdate::Edit{xdate::EditKind::insert, 1721},
             xdate::Edit{xdate::EditKind::remove, 1850}};
  r.suggestions.push_back(g);
  const SegmentChart c = app::segment_chart(r, "x");
  ASSERT_EQ(c.rows.size(), 2u);
  EXPECT_TRUE(c.rows[0].edits.empty());
  ASSERT_EQ(c.rows[1].edits.size(), 2u);
  EXPECT_EQ(c.rows[1].edits[0].year, 1721);
  EXPECT_EQ(c.rows[1].edits[0].label, "1: I 1722 B");
  EXPECT_EQ(c.rows[1].edits[1].year, 1850);
  EXPECT_EQ(c.rows[1].edits[1].label, "2: D 1850 B");
}

TEST(CheckPlot, ASeriesTooShortIsNamedInItsRow) {
  std::vector<xdate::SeriesInput> in = {{"LONG1", 1900, std::vector<double>(120, 1.0)},
                                        {"LONG2", 1900, std::vector<double>(120, 1.5)},
                                        {"TINY", 1950, {1.0, 2.0, 3.0}}};
  for (std::size_t k = 0; k < 120; ++k) in[0].values[k] += 0.1 * static_cast<double>(k % 7);
  for (std::size_t k = 0; k < 120; ++k) in[1].values[k] += 0.1 * static_cast<double>(k % 5);
  const SegmentChart c = app::segment_chart(xdate::run_check(in, xdate::Settings{}), "x");
  ASSERT_EQ(c.rows.size(), 3u);
  EXPECT_EQ(c.rows[2].note, "too short");
  EXPECT_TRUE(c.rows[2].segments.empty());
  EXPECT_EQ(c.rows[0].note, "");
}

}  // namespace
