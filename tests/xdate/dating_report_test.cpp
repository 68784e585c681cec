// The dating report and datings.csv, on a run of fixed numbers.
#include "xdate/dating_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

using namespace ringdate::xdate;

Correlation corr(int32_t n, double r) { return Correlation{n, r, true}; }

Position position(int32_t first, int32_t n, double r, double p) {
  Position x;
  x.first = first;
  x.last = first + n - 1;
  x.r = corr(n, r);
  x.bp = corr(n - 4, r * 0.9);
  x.ho = corr(n - 1, r * 0.8);
  x.glk = Glk{n - 1, 0.5 + r / 4};
  x.p = p;
  return x;
}

DatingRun sample_run() {
  DatingRun run;
  run.reference_series = 34;
  run.reference_usable = 34;
  run.first_year = 1176;
  run.last_year = 1963;
  SampleDating a;
  a.id = "CD01";
  a.n = 100;
  a.positions = 738;
  a.verdict = DatingVerdict::dated;
  a.status = FilterStatus::ok;
  a.ranked = {position(1539, 100, 0.612, 2e-9), position(1412, 100, 0.30, 0.41)};
  a.runner_up = a.ranked[1];
  run.samples.push_back(a);
  SampleDating b;
  b.id = "A,B";  // quoted in the table
  b.n = 100;
  b.positions = 738;
  b.verdict = DatingVerdict::not_dated;
  b.status = FilterStatus::ok;
  b.ranked = {position(1402, 100, 0.33, 0.31)};
  b.ranked[0].bp.valid = false;  // an undefined statistic
  run.samples.push_back(b);
  SampleDating c;
  c.id = "SHORT";
  c.n = 30;
  c.verdict = DatingVerdict::too_short;
  run.samples.push_back(c);
  return run;
}

TEST(DatingReport, LayoutOfTheWholeReport) {
  std::ostringstream out;
  write_dating_report(out, DatingHeader{"samples.rwl", "ref.rwl", "MR", "IR", true, false},
                      sample_run());
  EXPECT_EQ(out.str(),
            "Dating of samples.rwl\n"
            "against ref.rwl\n"
            "Samples: format MR (Tucson measurements, guessed), 3 series\n"
            "Reference: format IR (Tucson indices), 34 series, 1176-1963 (788 years)\n"
            "Overlap at least 50 years; dated when p < 3e-5 and the best stands 1.0\n"
            "standard units above the next (p: chance of the best of all positions)\n"
            "\n"
            "CD01        100 rings, 738 positions\n"
            "  Rank  First   Last Overlap      r      t    tBP    tHo    GLK        p\n"
            "     1   1539   1638     100  0.612    7.7    6.4    5.5  0.653     2e-9\n"
            "     2   1412   1511     100  0.300    3.1    2.7    2.4  0.575     0.41\n"
            "  dated 1539-1638 (p 2e-9; next best 1412-1511, t 3.1)\n"
            "\n"
            "A,B         100 rings, 738 positions\n"
            "  Rank  First   Last Overlap      r      t    tBP    tHo    GLK        p\n"
            "     1   1402   1501     100  0.330    3.5      -    2.7  0.583     0.31\n"
            "  not dated: best 1402-1501 (t 3.5, p 0.31 over 738 positions)\n"
            "\n"
            "SHORT        30 rings\n"
            "  not dated: too short for an overlap of 50 years with filtered values\n"
            "\n"
            "1 of 3 sample series dated.\n");
}

TEST(DatingReport, EmptyReference) {
  DatingRun run;
  SampleDating d;
  d.id = "X";
  d.n = 80;
  d.verdict = DatingVerdict::no_reference;
  run.samples.push_back(d);
  std::ostringstream out;
  write_dating_report(out, DatingHeader{"s", "r", "MR", "MR", false, false}, run);
  EXPECT_NE(out.str().find("Reference: format MR (Tucson measurements), 0 series\n"),
            std::string::npos);
  EXPECT_NE(out.str().find("\nThe reference holds no series.\n"), std::string::npos);
  EXPECT_NE(out.str().find("  not dated: no series of the reference can be filtered\n"),
            std::string::npos);
  run.reference_series = 2;
  std::ostringstream out2;
  write_dating_report(out2, DatingHeader{"s", "r", "MR", "MR", false, false}, run);
  EXPECT_NE(out2.str().find("\nNo series of the reference can be filtered.\n"), std::string::npos);
}

TEST(DatingReport, VerdictOfEveryKind) {
  const DatingSettings s;
  SampleDating d;
  d.verdict = DatingVerdict::not_filtered;
  d.status = FilterStatus::invalid;
  EXPECT_EQ(verdict_text(d, s), "not dated: cannot be filtered (a negative or invalid value)");
  d.status = FilterStatus::too_long;
  EXPECT_EQ(verdict_text(d, s), "not dated: too long for the filter");
  d.verdict = DatingVerdict::no_position;
  EXPECT_EQ(verdict_text(d, s), "not dated: no position overlaps the reference by 50 years");
  d.verdict = DatingVerdict::dated;
  d.ranked = {position(1700, 60, 0.7, 3e-12)};
  EXPECT_EQ(verdict_text(d, s), "dated 1700-1759 (p 3e-12; no other position)");
  d.ranked = {position(-167, 103, 0.7, 1e-7)};
  EXPECT_EQ(verdict_text(d, s), "dated -167 to -65 (p 1e-7; no other position)");
}

TEST(DatingReport, Chances) {
  EXPECT_EQ(chance_text(0.31), "0.31");
  EXPECT_EQ(chance_text(1.0), "1");
  EXPECT_EQ(chance_text(0.0012), "0.0012");
  EXPECT_EQ(chance_text(2e-9), "2e-9");
  EXPECT_EQ(chance_text(2.4e-10), "2e-10");
  EXPECT_EQ(chance_text(9.6e-5), "1e-4");
  EXPECT_EQ(chance_text(0.0), "<1e-99");
  EXPECT_EQ(chance_text(std::nan("")), "-");
}

TEST(DatingReport, TableOfDatings) {
  std::ostringstream out;
  write_datings_csv(out, sample_run());
  std::istringstream lines(out.str());
  std::string line;
  std::vector<std::string> rows;
  while (std::getline(lines, line)) rows.push_back(line);
  ASSERT_EQ(rows.size(), 4u);  // the too short sample lists no position
  EXPECT_EQ(rows[0], "id,rank,first,last,overlap,r,t,tBP,tHo,glk,glk_p,p,dated");
  EXPECT_EQ(rows[1].substr(0, 30), "CD01,1,1539,1638,100,0.612,7.6");
  EXPECT_TRUE(rows[1].ends_with(",2e-09,TRUE")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with("CD01,2,1412,1511,100,0.3,")) << rows[2];
  EXPECT_TRUE(rows[2].ends_with(",0.41,FALSE")) << rows[2];
  // Not dated: FALSE even on rank 1; the undefined tBP is NA.
  EXPECT_TRUE(rows[3].starts_with("\"A,B\",1,1402,1501,100,0.33,")) << rows[3];
  EXPECT_NE(rows[3].find(",NA,"), std::string::npos) << rows[3];
  EXPECT_TRUE(rows[3].ends_with(",0.31,FALSE")) << rows[3];
  // The GLK's p: one-sided normal of (glk - 0.5) 2 sqrt(n).
  const Position p = position(1539, 100, 0.612, 2e-9);
  EXPECT_NEAR(p.glk_z(), 0.153 * 2 * std::sqrt(99.0), 1e-12);
  EXPECT_NEAR(p.glk_p(), 0.5 * std::erfc(p.glk_z() / std::sqrt(2.0)), 1e-15);
  EXPECT_NE(rows[1].find(",0.653,"), std::string::npos);
}

}  // namespace
