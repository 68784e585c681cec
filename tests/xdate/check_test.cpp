// The check against the reference statistics of two real files, computed independently.
#include "xdate/check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "core/parallel.h"
#include "synthetic.h"
#include "tables.h"
#include "xdate/report.h"

namespace {

using namespace ringdate::xdate;
using xdate_tables::Table;

bool near_p(double got, double want) {
  return std::abs(got - want) <= 1e-12 || std::abs(got - want) <= 1e-4 * std::abs(want);
}

bool flag_of(const std::string& cell) { return cell == "TRUE"; }

class Reference : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const std::string shared = testing_support::shared_dir();
    if (shared.empty()) GTEST_SKIP() << "../shared is absent";
    const std::string name = GetParam();
    const Table data = xdate_tables::load(shared + "/data/real/csv/" + name + ".csv");
    series_ = xdate_tables::load(shared + "/reference/xdate/" + name + "/series.csv");
    segments_ = xdate_tables::load(shared + "/reference/xdate/" + name + "/segments.csv");
    if (data.rows.empty() || series_.rows.empty()) GTEST_SKIP() << "reference tables missing";
    result_ = run_check(xdate_tables::series_of(data), Settings{});
  }
  const SeriesResult* find(const std::string& id) const {
    for (const SeriesResult& s : result_.series) {
      if (s.id == id) return &s;
    }
    return nullptr;
  }
  Table series_, segments_;
  CheckResult result_;
};

TEST_P(Reference, SeriesStatisticsMatch) {
  ASSERT_EQ(result_.series.size(), series_.rows.size());
  for (std::size_t k = 0; k < series_.rows.size(); ++k) {
    const std::string id = series_.cell(k, "id");
    SCOPED_TRACE(id);
    const SeriesResult* s = find(id);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->usable());
    EXPECT_EQ(s->first, series_.num(k, "first"));
    EXPECT_EQ(s->last, series_.num(k, "last"));
    EXPECT_EQ(s->n, series_.num(k, "n"));
    EXPECT_EQ(s->ar_order, series_.num(k, "ar_order"));
    EXPECT_NEAR(s->r.r, series_.num(k, "r"), 1e-4);
    EXPECT_PRED2(near_p, s->r.p(), series_.num(k, "p"));
    EXPECT_EQ(s->r.n, series_.num(k, "n_r"));
    EXPECT_NEAR(s->bp.t(), series_.num(k, "tBP"), 1e-4);
    EXPECT_EQ(s->bp.n, series_.num(k, "n_BP"));
    EXPECT_NEAR(s->ho.t(), series_.num(k, "tHo"), 1e-4);
    EXPECT_EQ(s->ho.n, series_.num(k, "n_Ho"));
    EXPECT_NEAR(s->glk.value, series_.num(k, "glk"), 1e-4);
    EXPECT_EQ(s->glk.n, series_.num(k, "n_glk"));
  }
}

TEST_P(Reference, SegmentStatisticsAndFlagsMatch) {
  std::size_t tested = 0;
  for (const SeriesResult& s : result_.series) tested += s.segments.size();
  EXPECT_EQ(tested, segments_.rows.size());
  for (std::size_t k = 0; k < segments_.rows.size(); ++k) {
    const std::string id = segments_.cell(k, "id");
    const auto start = static_cast<int32_t>(segments_.num(k, "seg_start"));
    SCOPED_TRACE(id + " " + std::to_string(start));
    const SeriesResult* s = find(id);
    ASSERT_NE(s, nullptr);
    const SegmentResult* seg = nullptr;
    for (const SegmentResult& x : s->segments) {
      if (x.start == start) seg = &x;
    }
    ASSERT_NE(seg, nullptr);
    EXPECT_EQ(seg->end, segments_.num(k, "seg_end"));
    EXPECT_NEAR(seg->r.r, segments_.num(k, "r"), 1e-4);
    EXPECT_PRED2(near_p, seg->p(), segments_.num(k, "p"));
    EXPECT_EQ(seg->flag_a, flag_of(segments_.cell(k, "flagA")));
    EXPECT_EQ(seg->best_lag, segments_.num(k, "best_lag"));
    EXPECT_NEAR(seg->r_best, segments_.num(k, "r_best"), 1e-4);
    EXPECT_EQ(seg->flag_b, flag_of(segments_.cell(k, "flagB")));
  }
}

INSTANTIATE_TEST_SUITE_P(RealFiles, Reference, ::testing::Values("co021", "ca533"));

}  // namespace

namespace {

using namespace ringdate::xdate;

TEST(Check, OneSeriesOrTooShortSeriesGiveNoStatisticsAndNoFlags) {
  const CheckResult one =
      run_check({SeriesInput{"A", 1900, std::vector<double>(100, 1.0)}}, Settings{});
  ASSERT_EQ(one.series.size(), 1u);
  EXPECT_FALSE(one.series[0].r.valid);
  EXPECT_EQ(one.flagged_segments(), 0);
  const CheckResult shorts =
      run_check({SeriesInput{"A", 1900, {1.0, 2.0, 3.0}}, SeriesInput{"B", 1900, {}},
                 SeriesInput{"C", 1901, {1.0, NAN, 2.0, 3.0, 1.0}}},
                Settings{});
  EXPECT_EQ(shorts.usable, 0);
  EXPECT_EQ(shorts.series[0].status, FilterStatus::too_short);
  EXPECT_EQ(shorts.series[1].status, FilterStatus::too_short);
  EXPECT_EQ(shorts.series[2].status, FilterStatus::invalid);
  EXPECT_TRUE(shorts.suggestions.empty());
}

TEST(Check, ATooShortSeriesTakesNoPartInTheMasters) {
  auto files = xdate_synthetic::forest(4, 1700, 1899);
  const CheckResult plain = run_check(files, Settings{});
  files.push_back(SeriesInput{"TINY", 1750, {50.0, 60.0, 70.0}});
  const CheckResult with_tiny = run_check(files, Settings{});
  for (std::size_t i = 0; i < plain.series.size(); ++i) {
    EXPECT_DOUBLE_EQ(plain.series[i].r.r, with_tiny.series[i].r.r);
    EXPECT_DOUBLE_EQ(plain.series[i].glk.value, with_tiny.series[i].glk.value);
  }
}

// The series are checked on the machine's threads, each into its own slot: with any number
// of threads the same statistics, the same suggestions in the same order, the same report.
TEST(Check, TheReportIsTheSameWhateverTheNumberOfThreads) {
  auto files = xdate_synthetic::forest(23, 1600, 1899);
  files[2] = xdate_synthetic::without_ring(files[2], 1700);
  files[9] = xdate_synthetic::with_split_ring(files[9], 1810);
  files[15] = xdate_synthetic::without_ring(files[15], 1650);
  files.push_back(SeriesInput{"TINY", 1750, {50.0, 60.0, 70.0}});
  std::string first;
  for (int threads : {1, 2, 3, 5}) {
    ringdate::set_worker_threads(threads);
    const CheckResult result = run_check(files, Settings{});
    ringdate::set_worker_threads(0);
    EXPECT_GE(result.suggestions.size(), 2u) << threads;
    std::ostringstream report;
    write_report(report, ReportHeader{"forest.rwl", "MR", false}, result);
    if (threads == 1) {
      first = report.str();
    } else {
      EXPECT_EQ(report.str(), first) << threads << " threads";
    }
  }
}

}  // namespace
