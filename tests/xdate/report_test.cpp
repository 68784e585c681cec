#include "xdate/report.h"

#include <gtest/gtest.h>

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
  s.edit = Edit{EditKind::insert, 1903};
  EXPECT_EQ(suggestion_text(s),
            "missing ring at 1903: in the comparison choose I, year 1904, side B");
  s.edit = Edit{EditKind::remove, 1871};
  EXPECT_EQ(suggestion_text(s),
            "false ring at 1871: in the comparison choose D, year 1871, side B");
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
