#include "xdate/csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "synthetic.h"
#include "tables.h"

namespace {

using namespace ringdate::xdate;

TEST(Csv, TablesCarryTheReferenceColumnsAndReadBack) {
  auto files = xdate_synthetic::forest(6, 1700, 1899);
  files[1] = xdate_synthetic::with_split_ring(files[1], 1780);
  files[3].id = "A,\"B\"";
  files.push_back(SeriesInput{"TINY", 1750, {1.0, 2.0}});
  const CheckResult r = run_check(files, Settings{});
  std::ostringstream series, segments, suggestions;
  write_series_csv(series, r);
  write_segments_csv(segments, r);
  write_suggestions_csv(suggestions, r);

  const xdate_tables::Table s = xdate_tables::parse(series.str());
  EXPECT_EQ(s.header, (std::vector<std::string>{"id", "first", "last", "n", "r", "p", "n_r", "tBP",
                                                "n_BP", "tHo", "n_Ho", "glk", "n_glk", "ar_order",
                                                "flagged", "status", "seq"}));
  ASSERT_EQ(s.rows.size(), 7u);
  EXPECT_NEAR(s.num(0, "r"), r.series[0].r.r, 1e-9);
  EXPECT_EQ(s.cell(6, "r"), "NA");
  EXPECT_EQ(s.cell(6, "status"), "too short");
  EXPECT_NE(series.str().find("\"A,\"\"B\"\"\""), std::string::npos);  // quoted, quotes doubled

  const xdate_tables::Table g = xdate_tables::parse(segments.str());
  EXPECT_EQ(g.header, (std::vector<std::string>{"id", "seg_start", "seg_end", "r", "p", "flagA",
                                                "best_lag", "r_best", "flagB", "seq"}));
  std::size_t tested = 0;
  for (const SeriesResult& x : r.series) tested += x.segments.size();
  EXPECT_EQ(g.rows.size(), tested);

  const xdate_tables::Table u = xdate_tables::parse(suggestions.str());
  EXPECT_EQ(u.header, (std::vector<std::string>{"id", "kind", "year", "type_year", "side",
                                                "r_before", "r_after", "flagged_before",
                                                "flagged_after", "edit", "edits", "seq"}));
  ASSERT_EQ(u.rows.size(), 1u);
  EXPECT_EQ(u.cell(0, "edit"), "1");
  EXPECT_EQ(u.cell(0, "edits"), "1");
  EXPECT_EQ(u.cell(0, "id"), "SYN101");
  EXPECT_EQ(u.cell(0, "kind"), "delete");
  EXPECT_EQ(u.cell(0, "type_year"), u.cell(0, "year"));
  EXPECT_EQ(u.cell(0, "side"), "B");
  EXPECT_EQ(u.cell(0, "seq"), "2");  // SYN101 is the second series
  EXPECT_EQ(s.cell(6, "seq"), "7");
  EXPECT_EQ(series.str().find("nan"), std::string::npos);
}

// The figures are written as printf's %.10g writes them, whatever their size: fixed or
// with an exponent, negative zero, the smallest and largest doubles, random bit patterns.
TEST(Csv, FiguresAreWrittenAsPrintfsTenSignificantDigits) {
  std::vector<double> xs = {0.0,
                            -0.0,
                            1.0,
                            -1.0,
                            0.1,
                            1.0 / 3.0,
                            2.0 / 3.0,
                            0.5,
                            1e-5,
                            1.5e-4,
                            123456789.0,
                            1234567890.0,
                            12345678901.0,
                            9999999999.5,
                            0.99999999995,
                            std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::max(),
                            1e100,
                            -2.5e-300};
  std::mt19937_64 gen(18);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  while (xs.size() < 4000) {
    xs.push_back(unit(gen));
    double bits;
    const uint64_t u = gen();
    std::memcpy(&bits, &u, sizeof bits);
    if (std::isfinite(bits)) xs.push_back(bits);
  }
  CheckResult r;
  for (double x : xs) {
    SeriesResult s;
    s.id = "S";
    s.status = FilterStatus::ok;
    s.r = Correlation{50, x, true};
    r.series.push_back(s);
  }
  std::ostringstream out;
  write_series_csv(out, r);
  const xdate_tables::Table t = xdate_tables::parse(out.str());
  ASSERT_EQ(t.rows.size(), xs.size());
  for (std::size_t k = 0; k < xs.size(); ++k) {
    char want[64];
    std::snprintf(want, sizeof want, "%.10g", xs[k]);
    ASSERT_EQ(t.cell(k, "r"), want) << k;
  }
}

}  // namespace
