#include "xdate/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "synthetic.h"

namespace {

using namespace ringdate::xdate;

std::string report_of(const CheckResult& r, const std::string& file = "pine.rwl") {
  std::ostringstream out;
  write_report(out, ReportHeader{file, "MR", true}, r);
  return out.str();
}

void expect_narrow(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) EXPECT_LE(line.size(), 80u) << line;
  EXPECT_EQ(text.find("nan"), std::string::npos);
  EXPECT_EQ(text.find("inf"), std::string::npos);
}

TEST(Report, SuggestionsSayWhatHappenedAndWhatToType) {
  Suggestion s;
  s.edits = {Edit{EditKind::insert, 1903}};
  EXPECT_EQ(suggestion_text(s),
            "missing ring at 1903: in the comparison choose I, year 1904, side B");
  s.edits = {Edit{EditKind::remove, 1871}};
  EXPECT_EQ(suggestion_text(s),
            "false ring at 1871: in the comparison choose D, year 1871, side B");
}

TEST(Report, ASequenceGivesItsFiguresThenOneLinePerEditInOrder) {
  CheckResult r;
  r.max_edits = 3;
  r.series.resize(5);
  const char* ids[] = {"PIN04A", "A", "B", "LONGNAM1", "C"};
  for (int k = 0; k < 5; ++k) {
    r.series[static_cast<std::size_t>(k)].id = ids[k];
    r.series[static_cast<std::size_t>(k)].status = FilterStatus::ok;
    r.series[static_cast<std::size_t>(k)].flagged = 1;
  }
  r.usable = 5;
  Suggestion s;
  s.series = 0;
  s.id = "PIN04A";
  s.edits = {Edit{EditKind::insert, 1721}, Edit{EditKind::remove, 1850}};
  s.r_before = 0.41;
  s.r_after = 0.80;
  s.flagged_before = 3;
  s.flagged_after = 0;
  r.suggestions.push_back(s);
  EXPECT_EQ(suggestion_lines(s),
            (std::vector<std::string>{
                "missing ring at 1721: in the comparison choose I, year 1722, side B",
                "then false ring at 1850: choose D, year 1850, side B"}));
  const std::string text = report_of(r);
  expect_narrow(text);
  EXPECT_NE(
      text.find("Suggested edits, strongest first\n"
                "PIN04A  2 edits restore the dating (r 0.41 -> 0.80, flagged segments 3 -> 0):\n"
                "          missing ring at 1721: in the comparison choose I, year 1722, side B\n"
                "          then false ring at 1850: choose D, year 1850, side B\n"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("No sequence of up to 3 edits restores the dating of: A, B, LONGNAM1, C\n"),
            std::string::npos)
      << text;
}

TEST(Report, TheListOfSeriesWithoutASuggestionIsWrapped) {
  CheckResult r;
  r.max_edits = 3;
  r.usable = 30;
  for (int k = 0; k < 30; ++k) {
    SeriesResult x;
    x.id = "SERIES" + std::to_string(10 + k);
    x.status = FilterStatus::ok;
    x.flagged = 2;
    r.series.push_back(x);
  }
  const std::string text = report_of(r);
  expect_narrow(text);
  const std::size_t at =
      text.find("No sequence of up to 3 edits restores the dating of: SERIES10,");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_NE(text.find("SERIES38, SERIES39\n", at), std::string::npos);
  EXPECT_NE(text.find("\n  SERIES", at), std::string::npos);  // continued, indented
}

// The figures are printf's: a segment cell is "%5d %5.2f" with the flags and "%+3d", the
// series' r "%6.3f", t "%7.1f" (clamped to what the width holds), for figures that round
// either way, negative zeros, years of every width and lags of either sign.
TEST(Report, FiguresAreWrittenAsPrintfWritesThem) {
  auto printf_of = [](const char* f, auto... a) {
    char buf[128];
    std::snprintf(buf, sizeof buf, f, a...);
    return std::string(buf);
  };
  const double rs[] = {0.0, -0.0, -0.004, 0.005, 0.015, -0.125, 0.999, -1.0, 0.3281, 1e-9, -0.995};
  CheckResult r;
  r.first_year = -2000;
  r.last_year = 12000;
  r.usable = 2;
  for (int k = 0; k < 2; ++k) {
    SeriesResult s;
    s.id = "S" + std::to_string(k);
    s.status = FilterStatus::ok;
    s.first = -2000;
    s.last = 12000;
    s.n = 14001;
    s.r = Correlation{14001, rs[k + 2], true};
    s.bp = Correlation{14001, k ? 0.9999999 : -0.4, true};  // t beyond what 7 columns hold
    s.ho = Correlation{14001, 0.25, true};
    int lag = -10;
    for (int32_t start : {-1999, -100, -5, 0, 7, 850, 1900, 12000}) {
      for (double x : rs) {
        SegmentResult g;
        g.start = start;
        g.end = start + 49;
        g.r = Correlation{50, x, true};
        g.flag_a = true;
        g.best_valid = true;
        g.best_lag = lag;
        lag = lag == 10 ? -10 : lag + 1;
        s.segments.push_back(g);
      }
    }
    s.flagged = static_cast<int32_t>(s.segments.size());
    r.series.push_back(s);
  }
  const std::string text = report_of(r);
  for (const SeriesResult& s : r.series) {
    const double limit = std::pow(10.0, 7 - 1 - 2) - std::pow(10.0, -1);
    EXPECT_NE(text.find(printf_of("%6.3f", s.r.r) + " " +
                        printf_of("%7.1f", std::clamp(s.bp.t(), -limit, limit))),
              std::string::npos)
        << s.id;
    for (const SegmentResult& g : s.segments) {
      const std::string cell = printf_of("%5d ", g.start) + printf_of("%5.2f", g.r.r) + "A " +
                               printf_of("%+3d", g.best_lag);
      EXPECT_NE(text.find(cell), std::string::npos) << "'" << cell << "'";
    }
  }
}

TEST(Report, HeaderSeriesSegmentsAndSuggestionsInEightyColumns) {
  auto files = xdate_synthetic::forest(6, 1700, 1899);
  files[2] = xdate_synthetic::without_ring(files[2], 1800);
  files.push_back(SeriesInput{"TINY", 1750, {1.0, 2.0}});
  const CheckResult r = run_check(files, Settings{});
  const std::string text = report_of(r, std::string(120, 'x') + "/pine.rwl");
  expect_narrow(text);
  EXPECT_NE(text.find("Format MR (Tucson measurements, guessed), 7 series, 1700-1899 (200 years)"),
            std::string::npos);
  EXPECT_NE(text.find("Segments of 50 years lagged 25, lags -10..+10, critical p 0.01 (r 0.3281)"),
            std::string::npos);
  EXPECT_NE(text.find("...x"), std::string::npos);  // a long name keeps its end
  EXPECT_NE(text.find("TINY        1750   1751      2  too short"), std::string::npos);
  EXPECT_NE(text.find("Suggested edits, strongest first\nSYN102  missing ring at"),
            std::string::npos);
  EXPECT_NE(text.find("Segments of the flagged series"), std::string::npos);
  EXPECT_NE(text.find("SYN102   "), std::string::npos);  // its segment line
}

TEST(Report, OneSeriesSaysCrossdatingNeedsTwo) {
  const CheckResult r =
      run_check({SeriesInput{"ONLY", 1900, std::vector<double>(80, 1.0)}}, Settings{});
  const std::string text = report_of(r);
  EXPECT_NE(text.find("Crossdating needs at least two series; this file has one."),
            std::string::npos);
  EXPECT_EQ(text.find("ONLY"), std::string::npos);
}

TEST(Report, ACleanFileSaysNothingIsFlagged) {
  const std::string text = report_of(run_check(xdate_synthetic::forest(5, 1700, 1899), Settings{}));
  expect_narrow(text);
  EXPECT_NE(text.find("No segment is flagged."), std::string::npos);
  EXPECT_EQ(text.find("Suggested"), std::string::npos);
}

}  // namespace
