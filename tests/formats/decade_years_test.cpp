// The Tucson reader takes each decade line's year for the truth, reads lines whose fields
// do not stand in the fixed columns by their fields, splits glued lines, and tells an end
// marker from a ring of the same value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/rinfrn.h"
#include "formats/trread.h"
#include "tucson_rig.h"

namespace {

using tucson_test::Rig;
using tucson_test::tucson_line;

struct Reading {
  Rig rig;
  ringdate::Store st;
  ringdate::Trread trread{rig.s};
  ringdate::Refused refused;
  ringdate::Vec<float> series{static_cast<std::size_t>(ringdate::max_span_years)};

  // Reads with the program's limits.
  bool read(const std::string& text, const std::string& mode = "MR") {
    EXPECT_TRUE(rig.open(text));
    refused =
        trread(st.wrk, series, mode, st.nser, st.iyr, st.ids, ringdate::max_span_years, INT32_MAX);
    return !refused;
  }
  // Value of series i in `year` (thousandths, rounded); -1 for a year without a ring width.
  // The reader files each series from row 1.
  long at(int i, int year) const {
    const float v =
        st.wrk(static_cast<std::size_t>(year - st.iyr(i, 1) + 1), static_cast<std::size_t>(i));
    return v < 0.0f ? -1 : std::lround(static_cast<double>(v) * 1000.0);
  }
  std::string id(int i) const {
    std::string s = st.ids[static_cast<std::size_t>(i - 1)];
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
  }
  int notes(const std::string& what) const {
    int n = 0;
    for (std::size_t p = rig.con.output.find(what); p != std::string::npos;
         p = rig.con.output.find(what, p + 1))
      ++n;
    return n;
  }
};

// A decade line of `count` values first_value, first_value + 1, ...; the year in the
// column form its width asks for.
std::string decade(const char* id, int year, int first_value, int count) {
  std::vector<int> v;
  for (int k = 0; k < count; ++k) v.push_back(first_value + k);
  if (year > -1000) return tucson_line(id, year, v);
  char head[32];
  std::snprintf(head, sizeof head, "%-7.7s%5d", id, year);
  std::string s = head;
  for (int x : v) {
    char f[16];
    std::snprintf(f, sizeof f, "%6d", x);
    s += f;
  }
  return s + "\n";
}

// A line without its line end.
std::string open_line(const char* id, int year, const std::vector<int>& values) {
  std::string s = tucson_line(id, year, values);
  s.pop_back();
  return s;
}

TEST(DecadeYears, SkippedDecadesHaveNoValuesAndNothingAfterThemMoves) {
  // Skipped right after the first line, in the middle and before the last line.
  Reading r;
  const std::string text = decade("A1", 1905, 100, 5) + decade("A1", 1920, 200, 10) +
                           decade("A1", 1930, 300, 10) + decade("A1", 1950, 500, 10) +
                           decade("A1", 1970, 700, 3) + tucson_line("A1", 1973, {999}) + "\n";
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  ASSERT_EQ(r.st.nser, 1);
  EXPECT_EQ(r.st.iyr(1, 1), 1905);
  EXPECT_EQ(r.st.iyr(1, 2), 1972);
  EXPECT_EQ(r.at(1, 1909), 1040);
  for (int y : {1910, 1919, 1940, 1949, 1960, 1969}) EXPECT_EQ(r.at(1, y), -1) << y;
  EXPECT_EQ(r.at(1, 1920), 2000);
  EXPECT_EQ(r.at(1, 1950), 5000);
  EXPECT_EQ(r.at(1, 1972), 7020);
  // One line for the series.
  EXPECT_EQ(r.notes(" *** Series A1: no values in 1910-1919, 1940-1949, 1960-1969"), 1)
      << r.rig.con.output;
  EXPECT_EQ(r.notes("*** Series"), 1);
}

TEST(DecadeYears, ALineThatStartsLaterLeavesTheYearsBeforeItEmpty) {
  Reading r;
  const std::string text = decade("B1", 1880, 100, 10) + decade("B1", 1895, 200, 5) +
                           decade("B1", 1900, 300, 2) + tucson_line("B1", 1902, {999}) + "\n";
  ASSERT_TRUE(r.read(text));
  EXPECT_EQ(r.at(1, 1889), 1090);
  EXPECT_EQ(r.at(1, 1890), -1);
  EXPECT_EQ(r.at(1, 1894), -1);
  EXPECT_EQ(r.at(1, 1895), 2000);
  EXPECT_EQ(r.at(1, 1901), 3010);
  EXPECT_EQ(r.notes("no values in 1890-1894"), 1);
}

TEST(DecadeYears, AMistypedYearIsTakenForTheYearThatFollows) {
  Reading r;
  const std::string text = decade("DW", 1907, 100, 3) + decade("DW", 910, 200, 10) +
                           decade("DW", 1920, 300, 2) + tucson_line("DW", 1922, {-9999}) + "\n";
  ASSERT_TRUE(r.read(text));
  EXPECT_EQ(r.st.iyr(1, 1), 1907);
  EXPECT_EQ(r.st.iyr(1, 2), 1921);
  EXPECT_EQ(r.at(1, 1910), 200);  // thousandths
  EXPECT_EQ(r.notes(" *** Series DW: line of year 910 read as 1910"), 1) << r.rig.con.output;
}

TEST(DecadeYears, ARepeatedDecadeRefusesTheFileNamingSeriesAndLine) {
  Reading r;
  const std::string text = "Repeated decade: a title line that no column reading takes for data\n" +
                           decade("R1", 1840, 100, 10) + decade("R1", 1850, 200, 10) +
                           decade("R1", 1840, 300, 10) + tucson_line("R1", 1850, {999}) + "\n";
  ASSERT_FALSE(r.read(text));
  EXPECT_EQ(r.refused->kind, ringdate::RefusalKind::tucson_decade_repeated);
  EXPECT_NE(r.refused->text().find("Series R1 goes back to the year 1840 on line 4"),
            std::string::npos)
      << r.refused->text();
}

TEST(DecadeYears, LinesWhoseFieldsMissTheColumnsAreReadByTheirFields) {
  Reading r;
  // Values one column to the right, 8-column fields, and a blank year field in the fixed
  // columns.
  const std::string text =
      "BCP24a  1967   1033  1004  1084\n" + decade("BCP24a", 1970, 989, 2) +
      tucson_line("BCP24a", 1972, {-9999}) +
      "\n"
      "LO01a    1876    4952    4499    4656    4584\n"
      "LO01a    1880    4838    4996   -9999\n"
      "NRP1030e    1902    1270     706     262     344     353     190     232"
      "     367\n"
      "NRP1030e    1910     305     172   -9999\n";
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  ASSERT_EQ(r.st.nser, 3);
  EXPECT_EQ(r.id(1), "BCP24a");
  EXPECT_EQ(r.st.iyr(1, 1), 1967);
  EXPECT_EQ(r.at(1, 1967), 1033);
  EXPECT_EQ(r.at(1, 1969), 1084);
  EXPECT_EQ(r.at(1, 1971), 990);
  EXPECT_EQ(r.id(2), "LO01a");
  EXPECT_EQ(r.st.iyr(2, 1), 1876);
  EXPECT_EQ(r.st.iyr(2, 2), 1881);
  EXPECT_EQ(r.at(2, 1881), 4996);
  EXPECT_EQ(r.st.iyr(3, 1), 1902);
  EXPECT_EQ(r.st.iyr(3, 2), 1911);
  EXPECT_EQ(r.at(3, 1909), 367);
}

TEST(DecadeYears, ShortLinesWithLooseValuesAndAHundredthsMarker) {
  Reading r;
  ASSERT_TRUE(r.read("SeriesA  1   10 30 50 70 999\n"));
  EXPECT_EQ(r.st.iyr(1, 1), 1);
  EXPECT_EQ(r.st.iyr(1, 2), 4);
  EXPECT_EQ(r.at(1, 2), 300);
}

TEST(DecadeYears, AGluedLineIsReadAsTwoLinesAndTextAfterAMarkerIsDropped) {
  Reading r;
  const std::string text = decade("PM311N", 2000, 100, 10) +
                           "PM311N  2010   460   536 -9999   PM317N  1902  3390  2533\n" +
                           decade("PM317N", 1910, 300, 2) + open_line("PM317N", 1912, {-9999}) +
                           " sssssss\n" + decade("PM318N", 1910, 400, 2) +
                           tucson_line("PM318N", 1912, {-9999}) + "\n";
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  ASSERT_EQ(r.st.nser, 3);
  EXPECT_EQ(r.st.iyr(1, 2), 2011);
  EXPECT_EQ(r.id(2), "PM317N");
  EXPECT_EQ(r.st.iyr(2, 1), 1902);
  EXPECT_EQ(r.at(2, 1903), 2533);
  EXPECT_EQ(r.at(2, 1904), 0);  // blank fields before the series' next line read as 0
  EXPECT_EQ(r.at(2, 1911), 301);
  EXPECT_EQ(r.st.iyr(3, 1), 1910);
}

TEST(DecadeYears, AnEndMarkerFollowedByValuesOfItsSeriesIsARing) {
  Reading r;
  // 999 inside a thousandths series; 999 at the end of a hundredths line that the next line
  // continues; 999 before a new piece of the same identifier that does not continue it.
  const std::string text = decade("T1", 1850, 1240, 2) + "T1      1852   999  1309\n" +
                           tucson_line("T1", 1854, {-9999}) +
                           tucson_line("H1", 1790, {77, 97, 76, 72, 77, 87, 75, 63, 55, 999}) +
                           "\n" + decade("H1", 1800, 40, 1) + tucson_line("H1", 1801, {999}) +
                           "\n" + decade("H1", 1808, 77, 2) + tucson_line("H1", 1810, {999}) + "\n";
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  ASSERT_EQ(r.st.nser, 3);
  EXPECT_EQ(r.at(1, 1852), 999);
  EXPECT_EQ(r.at(1, 1853), 1309);
  EXPECT_EQ(r.at(2, 1799), 9990);
  EXPECT_EQ(r.at(2, 1800), 400);
  EXPECT_EQ(r.st.iyr(2, 2), 1800);
  EXPECT_EQ(r.st.iyr(3, 1), 1808);
}

TEST(DecadeYears, ASeriesWithoutValuesIsLeftOutWithANote) {
  Reading r;
  const std::string text = decade("E1", 1900, 100, 2) + tucson_line("E1", 1902, {999}) + "\n" +
                           tucson_line("X", 1900, {-9999}) + "\n" + decade("E2", 1900, 200, 2) +
                           tucson_line("E2", 1902, {999}) + "\n";
  ASSERT_TRUE(r.read(text));
  ASSERT_EQ(r.st.nser, 2);
  EXPECT_EQ(r.id(2), "E2");
  EXPECT_EQ(r.notes(" *** Series X has no values: left out"), 1);
}

TEST(DecadeYears, IdentifiersHoldNoControlCharacters) {
  Reading r;
  ASSERT_TRUE(r.read("RNT03A\t1894  5966  5393  5055  2735  1121  5754\n" +
                     decade("RNT03A", 1900, 100, 2) + tucson_line("RNT03A", 1902, {-9999}) + "\n" +
                     "AB\x01"
                     "CD   1900   100   200   999\n"));
  ASSERT_EQ(r.st.nser, 2);
  EXPECT_EQ(r.id(1), "RNT03A");
  EXPECT_EQ(r.st.iyr(1, 1), 1894);
  EXPECT_EQ(r.id(2).find('\x01'), std::string::npos);
}

TEST(DecadeYears, GapCodesStayValuesThatAreNoWidths) {
  Reading r;
  ASSERT_TRUE(r.read(tucson_line("G1", 1770, {761, 449, -8888, 507}) + "\n" +
                     tucson_line("G1", 1774, {-9999}) + "\n"));
  EXPECT_EQ(r.st.iyr(1, 2), 1773);
  EXPECT_FLOAT_EQ(r.st.wrk(3, 1), -8.888f);
}

TEST(DecadeYears, ANineThousandYearSeriesIsRead) {
  std::string text;
  text += decade("L1", -6999, 100, 9);
  for (int y = -6990; y < 2000; y += 10) text += decade("L1", y, 100 + (y / 10) % 7, 10);
  text += tucson_line("L1", 2000, {-9999}) + "\n";
  Reading r;
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  EXPECT_EQ(r.st.iyr(1, 1), -6999);
  EXPECT_EQ(r.st.iyr(1, 2), 1999);
  EXPECT_EQ(r.at(1, -6999), 100);
  EXPECT_EQ(r.at(1, 1999), 100 + 199 % 7 + 9);  // the line of 1990, its tenth value
  EXPECT_EQ(r.at(1, -5), 100 + (-1) % 7 + 5);   // the line of -10, its sixth
}

TEST(DecadeYears, ACruReadingOfATucsonFileIsRefused) {
  Rig rig;
  ASSERT_TRUE(rig.open(decade("PIN01A", 1790, 3107, 10) + decade("PIN01A", 1800, 3000, 10) +
                       decade("PIN01A", 1810, 3000, 10) + decade("PIN01A", 1820, 3000, 10) +
                       decade("PIN01A", 1830, 3000, 10) + decade("PIN01A", 1840, 3000, 10) +
                       decade("PIN01A", 1850, 3000, 10)));
  ringdate::Rinfrn rinfrn(rig.s);
  std::string id(8, ' '), title(80, ' ');
  int32_t ifyr = 0, nval = 0, nread = 0;
  std::vector<float> vals(2000);
  std::vector<int32_t> icnt(2000);
  const ringdate::Refused r = rinfrn(id, ifyr, nval, vals, icnt, nread, 10, title, 2000);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, ringdate::RefusalKind::cru_text_lines);
}

}  // namespace
