// The Tucson reader takes each decade line's year for the truth, reads lines whose fields
// do not stand in the fixed columns by their fields, splits glued lines, and tells an end
// marker from a ring of the same value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/decade_lines.h"
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
  EXPECT_EQ(r.at(2, 1904), -1);  // blank fields before the series' next line: no values
  EXPECT_EQ(r.at(2, 1909), -1);
  EXPECT_EQ(r.notes(" *** Series PM317N: no values in 1904-1909 (blank fields)"), 1)
      << r.rig.con.output;
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

// A chronology in the index layout as some programs write one: per decade that has years,
// a line with the first of them and their index/count pairs from the first position on;
// the first line padded in front to its place in the decade and the last line padded to
// ten pairs with 9990 and a count of 0 (twelve pairs when it is full); `na` years have the
// fill pair.
std::string chronology(const std::vector<int>& years, const std::vector<int>& na = {}) {
  std::string out, line;
  int decade = 0;
  bool first = true;
  auto flush = [&] {
    if (!line.empty()) out += line + "\n";
  };
  for (int y : years) {
    const int d = y >= 0 ? y / 10 : -((-y + 9) / 10);
    if (first || d != decade) {
      flush();
      char head[16];
      std::snprintf(head, sizeof head, "%6s%4d", "std", y);
      line = head;
      if (first)
        for (int k = 0; k < ((y % 10) + 10) % 10; ++k) line += "9990  0";
      decade = d;
      first = false;
    }
    char pair[16];
    const bool missing = std::find(na.begin(), na.end(), y) != na.end();
    std::snprintf(pair, sizeof pair, "%4d%3d", missing ? 9990 : 700 + y % 600,
                  missing ? 0 : 1 + y % 9);
    line += pair;
  }
  const std::size_t pairs = (line.size() - 10) / 7;
  for (std::size_t k = pairs; k < (pairs == 10 ? 12u : 10u); ++k) line += "9990  0";
  flush();
  return out;
}

std::vector<int> span(int from, int to) {
  std::vector<int> v;
  for (int y = from; y <= to; ++y) v.push_back(y);
  return v;
}

// What `chronology` writes for the year y, in thousandths.
long index_of(int y) { return 700 + y % 600; }

TEST(DecadeYears, AnIndexFileWithAGapKeepsTheYearsOfItsLines) {
  std::vector<int> years = span(713, 816);
  for (int y : span(1735, 2001)) years.push_back(y);
  // Written without lines for the missing years (the line of 810 ends after 816, the next
  // one starts at 1735 with its first pair), and written with every year, the missing ones
  // holding the fill pair.
  const std::vector<int> na = span(817, 1734);
  for (const std::string& text : {chronology(years), chronology(span(713, 2001), na)}) {
    Reading r;
    ASSERT_TRUE(r.read("Chronology with a gap\n" + text, "IR")) << r.refused->text();
    ASSERT_EQ(r.st.nser, 1);
    EXPECT_EQ(r.st.iyr(1, 1), 713);
    EXPECT_EQ(r.st.iyr(1, 2), 2001);
    for (int y : {713, 719, 720, 816, 1735, 1739, 1740, 2000, 2001})
      EXPECT_EQ(r.at(1, y), index_of(y)) << y;
    for (int y : {817, 819, 820, 1000, 1730, 1734}) EXPECT_EQ(r.at(1, y), -1) << y;
    EXPECT_EQ(r.notes(" *** Series std: no values in 817-1734"), 1) << r.rig.con.output;
  }
  // The counts: those of the file, 0 in the years without a value.
  Rig rig;
  ASSERT_TRUE(rig.open(chronology(years)));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  tucson_test::Series one = tucson_test::read_one(trrw, nread, "IR", 2000, "ABCDEFGH");
  ASSERT_EQ(one.nval, 2001 - 713 + 1);
  EXPECT_EQ(one.icnt[0], 1 + 713 % 9);
  EXPECT_EQ(one.icnt[816 - 713 + 1], 0);
  EXPECT_EQ(one.icnt[1735 - 713], 1 + 1735 % 9);
  // Written in the index layout (the fill pair in the years without a value) and read
  // again: the same years and values.
  recio::Text written;
  ringdate::write_index_series(written, one.id, one.ifyr, one.nval, one.vals, one.icnt, "   ",
                               false);
  const std::string out(written.begin(), written.end());
  std::string fill10;
  for (int k = 0; k < 10; ++k) fill10 += "9990  0";
  EXPECT_NE(out.find("   std 820" + fill10), std::string::npos) << out.substr(0, 1000);
  Reading again;
  ASSERT_TRUE(again.read(out, "IR")) << again.refused->text();
  ASSERT_EQ(again.st.nser, 1);
  EXPECT_EQ(again.st.iyr(1, 1), 713);
  EXPECT_EQ(again.st.iyr(1, 2), 2001);
  for (int y = 713; y <= 2001; ++y)
    ASSERT_EQ(again.at(1, y), y > 816 && y < 1735 ? -1 : index_of(y)) << y;
  EXPECT_EQ(again.notes(" *** Series std: no values in 817-1734 (9990 in the file)"), 1);

  // Short index lines whose blank-separated fields would read as a measurement line stay
  // index lines in index mode.
  Reading shortl;
  ASSERT_TRUE(
      shortl.read("  gapc 810 673  5 358  5 181  5 635  51195  51098  5 733  5\n"
                  "  gapc1735 893  5 804  51241  51046  5 716  5\n"
                  "  gapc1740 887  59990  0\n",
                  "IR"));
  ASSERT_EQ(shortl.st.nser, 1);
  EXPECT_EQ(shortl.st.iyr(1, 2), 1740);
  EXPECT_EQ(shortl.at(1, 1737), 1241);
  EXPECT_EQ(shortl.notes(" *** Series gapc: no values in 817-1734 (the file skips them)"), 1)
      << shortl.rig.con.output;
}

TEST(DecadeYears, TheFillValueEndsAnIndexSeriesWhereNothingOfItFollows) {
  // A first line at its decade's year with the fill pair before the first year; a second
  // chronology of the same identifier that does not go on from the first, its full last
  // line with two fill pairs after column 80; a line that starts mid-decade after its fill.
  std::string fill5;
  for (int k = 0; k < 5; ++k) fill5 += "9990  0";
  const std::string text =
      "   std16509990  09990  09990  0" + chronology(span(1653, 1677)).substr(31) +
      chronology(span(1655, 1679)) +
      "   xyz1650 500  1 510  1 520  1 530  1 540  1 550  1 560  1 570  1 580  1 590  1\n" +
      "   xyz1675" + fill5 + " 900  1 910  1 920  1 930  1 940  1\n";
  Reading r;
  ASSERT_TRUE(r.read(text, "IR")) << r.refused->text();
  ASSERT_EQ(r.st.nser, 3);
  EXPECT_EQ(r.st.iyr(1, 1), 1653);
  EXPECT_EQ(r.st.iyr(1, 2), 1677);
  EXPECT_EQ(r.at(1, 1653), index_of(1653));
  EXPECT_EQ(r.st.iyr(2, 1), 1655);
  EXPECT_EQ(r.st.iyr(2, 2), 1679);
  EXPECT_EQ(r.id(3), "   xyz");
  EXPECT_EQ(r.st.iyr(3, 1), 1650);
  EXPECT_EQ(r.st.iyr(3, 2), 1679);
  EXPECT_EQ(r.at(3, 1674), -1);
  EXPECT_EQ(r.at(3, 1675), 900);
  EXPECT_EQ(r.notes(" *** Series xyz: no values in 1660-1674 (the file skips them)"), 1)
      << r.rig.con.output;
  EXPECT_EQ(r.notes("*** Series"), 1);
}

TEST(DecadeYears, BlankFieldsInsideASeriesAreYearsWithoutAValue) {
  Reading r;
  // A first line one value short of its decade; a blank field between values; a line that
  // ends early before the next decade; one that ends early before a skipped decade; a
  // first line that starts with a blank field.
  const std::string text =
      tucson_line("F1", 1955, {1225, 2376, 1970, 1801}) + "\n" +
      "F1      1960   100         300   400   500   600   700   800   900  1000\n" +
      tucson_line("F1", 1970, {110, 120}) + "\n" + tucson_line("F1", 1980, {130}) + "\n" +
      decade("F1", 2000, 140, 2) + tucson_line("F1", 2002, {999}) + "\n" +
      "F2      1901         200   300\n" + decade("F2", 1910, 400, 1) +
      tucson_line("F2", 1911, {999}) + "\n";
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  ASSERT_EQ(r.st.nser, 2);
  EXPECT_EQ(r.st.iyr(1, 1), 1955);
  EXPECT_EQ(r.st.iyr(1, 2), 2001);
  EXPECT_EQ(r.at(1, 1958), 18010);
  EXPECT_EQ(r.at(1, 1959), -1);
  EXPECT_EQ(r.at(1, 1961), -1);
  EXPECT_EQ(r.at(1, 1962), 3000);
  for (int y : {1972, 1979, 1981, 1990, 1999}) EXPECT_EQ(r.at(1, y), -1) << y;
  EXPECT_EQ(r.at(1, 1980), 1300);
  EXPECT_EQ(r.at(1, 2000), 1400);
  EXPECT_EQ(r.notes(" *** Series F1: no values in 1981-1999 (the file skips them); no values "
                    "in 1959, 1961, 1972-1979 (blank fields)"),
            1)
      << r.rig.con.output;
  // The second starts at its first value; the blank fields at the end of its first line
  // are years without a value.
  EXPECT_EQ(r.st.iyr(2, 1), 1902);
  EXPECT_EQ(r.at(2, 1902), 2000);
  EXPECT_EQ(r.notes(" *** Series F2: no values in 1904-1909 (blank fields)"), 1);
}

TEST(DecadeYears, ALineOfAnotherSeriesEndsOneWithoutItsMarker) {
  // H2's last line is damaged (no marker, text); H3's first line does not go on from H2:
  // H2 ends in thousandths, as H1 before it. A line whose identifier is mistyped but whose
  // year goes on stays in its series.
  Reading r;
  const std::string text = decade("H1", 1990, 1000, 10) + tucson_line("H1", 2000, {-9999}) + "\n" +
                           decade("H2", 1998, 2000, 2) + decade("H2", 2000, 2100, 10) +
                           "H2      2010   710   824   567   401 -`\n" +
                           decade("H3", 1911, 3000, 9) + decade("H3", 1920, 3100, 1) +
                           tucson_line("H3", 1921, {-9999}) + "\n" + decade("T1", 1988, 100, 2) +
                           decade("t1", 1990, 200, 1) + tucson_line("T1", 1991, {999}) + "\n";
  ASSERT_TRUE(r.read(text)) << r.refused->text();
  ASSERT_EQ(r.st.nser, 4);
  EXPECT_EQ(r.id(2), "H2");
  EXPECT_EQ(r.st.iyr(2, 1), 1998);
  EXPECT_EQ(r.st.iyr(2, 2), 2009);
  EXPECT_EQ(r.at(2, 2000), 2100);  // thousandths
  EXPECT_EQ(r.id(3), "H3");
  EXPECT_EQ(r.st.iyr(3, 1), 1911);
  EXPECT_EQ(r.st.iyr(3, 2), 1920);
  EXPECT_EQ(r.notes(" *** Series H2: no end marker before line 7 (read in thousandths, as the "
                    "series before it)"),
            1)
      << r.rig.con.output;
  EXPECT_EQ(r.st.iyr(4, 2), 1990);
  EXPECT_EQ(r.at(4, 1990), 2000);
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
