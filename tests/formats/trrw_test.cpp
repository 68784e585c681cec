#include "formats/trrw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "formats/rinfrn.h"
#include "tucson_rig.h"

using namespace tucson_test;

namespace {

std::vector<int> ramp(int n, int base = 100) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(base + 7 * i);
  return v;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// Writes one series with trrw in a write mode to "out", closes it and returns its lines.
std::vector<std::string> write_one(Rig& rig, const std::string& mode, const std::string& id,
                                   int32_t ifyr, std::vector<float> vals,
                                   std::vector<int32_t> icnt = {0},
                                   const std::string& ltag = "   ") {
  ringdate::Trrw trrw(rig.s);
  EXPECT_TRUE(rig.s.units().open(12, "out", recio::Status::unknown));
  std::string i = id, m = mode, title(80, ' ');
  int32_t n = static_cast<int32_t>(vals.size()), nread = 0;
  std::array<std::string, 3> hdr{std::string(85, ' '), std::string(85, ' '), std::string(85, ' ')};
  if (icnt.size() < vals.size()) icnt.resize(vals.size(), icnt.empty() ? 0 : icnt[0]);
  trrw(i, ifyr, n, vals, icnt, nread, 12, 0, m, title, ltag, n, hdr);
  EXPECT_TRUE(rig.s.units().close(12));
  return lines_of(rig.fs.files["out"]);
}

}  // namespace

TEST(TrrwRead, HundredthsAndThousandthsGiveMillimetres) {
  // 1655 to 1702: 5 values on the first line, the last line holds 3 values and the marker.
  std::vector<int> v = ramp(48);
  for (int marker : {999, -9999}) {
    Rig rig;
    std::vector<int> file = v;
    if (marker == -9999)
      for (int& x : file) x *= 10;
    ASSERT_TRUE(rig.open(tucson_series("ABC01", 1655, file, marker)));
    ringdate::Trrw trrw(rig.s);
    int32_t nread = 0;
    Series r = read_one(trrw, nread, "MR");
    EXPECT_EQ(r.id, "ABC01   ");
    EXPECT_EQ(r.ifyr, 1655);
    ASSERT_EQ(r.nval, 48);
    EXPECT_EQ(nread, 1);
    for (int k = 0; k < 48; ++k)
      EXPECT_NEAR(r.vals[k], v[k] * 0.01f, 1e-5f) << marker << " at " << k;
    EXPECT_EQ(r.vals[48], -1.0f);  // nothing stored past the series
    Series e = read_one(trrw, nread, "MR");
    EXPECT_EQ(e.nval, -999);
    EXPECT_EQ(nread, -999);
  }
}

TEST(TrrwRead, IndexSkipsLeadingPositionsAndStoresCounts) {
  // 1655: positions 1-5 of the first line hold values of other years and are ignored.
  std::string f =
      "XYZ   1655   1  1   2  2   3  3   4  4   5  5 900 11 950 121000 131050 141100 15\n"
      "XYZ   16601200 169990  0\n";
  Rig rig;
  ASSERT_TRUE(rig.open(f));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  Series r = read_one(trrw, nread, "IR", 2000, "ABCDEFGH");
  EXPECT_EQ(r.id, "XYZ     ");
  EXPECT_EQ(r.ifyr, 1655);
  ASSERT_EQ(r.nval, 6);
  const float want[] = {0.9f, 0.95f, 1.0f, 1.05f, 1.1f, 1.2f};
  const int cnt[] = {11, 12, 13, 14, 15, 16};
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(r.vals[k], want[k], 1e-6f);
    EXPECT_EQ(r.icnt[k], cnt[k]);
  }

  // The dispatcher's "********" switches the storing of counts off.
  Rig rig2;
  ASSERT_TRUE(rig2.open(f));
  ringdate::Trrw trrw2(rig2.s);
  nread = 0;
  Series q = read_one(trrw2, nread, "IR", 2000, "********");
  EXPECT_EQ(q.id, "XYZ     ");
  EXPECT_EQ(q.nval, 6);
  EXPECT_EQ(q.icnt[0], -7);
}

TEST(TrrwRead, TextLinesAreEchoedAndLimited) {
  Rig rig;
  std::string f = "SITE NAME, STATE\nSECOND LINE\n" + tucson_series("A1", 1650, ramp(3), 999);
  ASSERT_TRUE(rig.open(f));
  ringdate::Trrw trrw(rig.s);
  std::string id(8, ' '), m = "MR", title(80, ' '), ltag = "   ";
  std::array<std::string, 3> hdr{std::string(85, 'x'), std::string(85, 'x'), std::string(85, 'x')};
  std::vector<float> v(20);
  std::vector<int32_t> c(20);
  int32_t ifyr = 0, nval = 0, nread = 0;
  trrw(id, ifyr, nval, v, c, nread, 10, 0, m, title, ltag, 20, hdr);
  EXPECT_EQ(nval, 3);
  std::string l1 = "SITE NAME, STATE" + std::string(64, ' ');
  std::string l2 = "SECOND LINE" + std::string(69, ' ');
  EXPECT_EQ(rig.con.output, "\n Title of data:\n " + l1 + "\n " + l2 + "\n");
  EXPECT_EQ(title, l1);
  EXPECT_EQ(hdr[0], l1 + "     ");
  EXPECT_EQ(hdr[1], l2 + "     ");
  EXPECT_EQ(hdr[2], std::string(85, ' '));

  // 25 text lines pass, the 26th refuses the file: the program ends with the text on the
  // error stream, without a pause.
  for (int ntext : {25, 26}) {
    Rig r2;
    std::string g;
    for (int i = 0; i < ntext; ++i) g += "TEXT LINE " + std::to_string(i) + "\n";
    ASSERT_TRUE(r2.open(g + tucson_series("A1", 1650, ramp(3), 999)));
    ringdate::Trrw t2(r2.s);
    int32_t n2 = 0;
    if (ntext == 25) {
      EXPECT_EQ(read_one(t2, n2, "MR").nval, 3);
    } else {
      const Series s = read_one(t2, n2, "MR");
      ASSERT_TRUE(s.refused);
      EXPECT_EQ(s.refused->kind, ringdate::RefusalKind::tucson_text_lines);
      EXPECT_EQ(s.refused->error_line, "Sbr TRRW:  Over 25 text lines");
      EXPECT_TRUE(s.refused->records.empty());
      EXPECT_TRUE(s.refused->pause.empty());
    }
  }
}

TEST(TrrwRead, BlankLinesAreSkipped) {
  // A blank line inside a series adds no values; one between series starts no series.
  std::string a = tucson_series("A1", 1655, ramp(12), 999);
  std::string b = tucson_series("B1", 1700, ramp(4, 500), 999);
  std::string f =
      "\n" + a.substr(0, a.find('\n') + 1) + "   \n" + a.substr(a.find('\n') + 1) + "\n\n" + b;
  Rig rig;
  ASSERT_TRUE(rig.open(f));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  Series r = read_one(trrw, nread, "MR");
  EXPECT_EQ(r.id, "A1      ");
  EXPECT_EQ(r.ifyr, 1655);
  EXPECT_EQ(r.nval, 12);
  Series q = read_one(trrw, nread, "MR");
  EXPECT_EQ(q.id, "B1      ");
  EXPECT_EQ(q.ifyr, 1700);
  EXPECT_EQ(q.nval, 4);
  EXPECT_EQ(rig.con.output, "");  // no blank line was taken for text
}

TEST(TrrwRead, SeriesWithoutEndMarkerIsKept) {
  std::string f =
      tucson_series("A1", 1650, ramp(5), 999) + tucson_line("B1", 1700, {100, 200, 300});
  Rig rig;
  ASSERT_TRUE(rig.open(f));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  EXPECT_EQ(read_one(trrw, nread, "MR").nval, 5);
  Series r = read_one(trrw, nread, "MR");
  EXPECT_EQ(r.id, "B1      ");
  ASSERT_EQ(r.nval, 3);
  EXPECT_NEAR(r.vals[2], 3.0f, 1e-6f);
  EXPECT_EQ(nread, 2);
  EXPECT_EQ(read_one(trrw, nread, "MR").nval, -999);
  EXPECT_EQ(nread, -999);
}

TEST(TrrwRead, EdgesOfASeries) {
  // A first value that is the end marker gives no values.
  {
    Rig rig;
    ASSERT_TRUE(rig.open(tucson_line("A1", 1650, {999})));
    ringdate::Trrw trrw(rig.s);
    int32_t nread = 0;
    EXPECT_EQ(read_one(trrw, nread, "MR").nval, 0);
  }
  // A series longer than the buffer is counted in full and stored only up to its end.
  {
    Rig rig;
    ASSERT_TRUE(rig.open(tucson_series("LONG", 1, ramp(2001), 999)));
    ringdate::Trrw trrw(rig.s);
    int32_t nread = 0;
    Series r = read_one(trrw, nread, "MR", 2000);
    EXPECT_EQ(r.nval, 2001);
    EXPECT_NEAR(r.vals[1999], (100 + 7 * 1999) * 0.01f, 1e-3f);
  }
  // Same in thousandths: the final scaling stays inside the buffer.
  {
    Rig rig;
    ASSERT_TRUE(rig.open(tucson_series("LONG", 1, ramp(2005), -9999)));
    ringdate::Trrw trrw(rig.s);
    int32_t nread = 0;
    Series r = read_one(trrw, nread, "MR", 2000);
    EXPECT_EQ(r.nval, 2005);
    EXPECT_NEAR(r.vals[0], 0.1f, 1e-6f);
  }
  // A value of 100000 or more with blank columns 73-80 keeps the measurement layout; text
  // in columns 73-80 makes the line an index line.
  {
    Rig rig;
    ASSERT_TRUE(rig.open(tucson_line("A1", 1650, {100, 123456, 300, 999})));
    ringdate::Trrw trrw(rig.s);
    int32_t nread = 0;
    Series r = read_one(trrw, nread, "MR");
    ASSERT_EQ(r.nval, 3);
    EXPECT_NEAR(r.vals[1], 1234.56f, 1e-2f);
  }
}

TEST(TrrwWrite, MeasurementLines) {
  // 1655 to 1702; the value 0.999 mm is written as 1000, not as the hundredths marker.
  std::vector<float> v;
  for (int k = 0; k < 48; ++k) v.push_back(0.5f + 0.01f * k);
  v[2] = 0.999f;
  Rig rig;
  auto l = write_one(rig, "MW", "ABC01   ", 1655, v, {0}, "TAG");
  ASSERT_EQ(l.size(), 6u);
  EXPECT_EQ(l[0], "ABC01   1655   500   510  1000   530   540");
  EXPECT_EQ(l[1].substr(0, 18), "ABC01   1660   550");
  EXPECT_EQ(l[1].size(), 77u);
  EXPECT_EQ(l[1].substr(72), "  TAG");
  EXPECT_EQ(l[5], "ABC01   1700   950   960   970 -9999");

  // A last value in position 10 is followed by a line holding only -9999, without the tag.
  Rig rig2;
  auto m = write_one(rig2, "MW", "ABC01", 1650, std::vector<float>(10, 1.0f), {0}, "TAG");
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].substr(72), "  TAG");
  EXPECT_EQ(m[1], "ABC01   1660 -9999");

  // Year forms: -1001 is 5 wide, -1000 and -10000 are 6 wide with the identifier cut.
  Rig rig3;
  auto y = write_one(rig3, "MW", "ABCDEFGH", -1001, {1.0f});
  EXPECT_EQ(y[0], "ABCDEFG-1001  1000");
  EXPECT_EQ(y[1], "ABCDEF -1000 -9999");
}

TEST(TrrwWrite, IndexAndCruLines) {
  std::vector<float> v(10);
  for (int k = 0; k < 10; ++k) v[k] = 0.5f + 0.125f * k;
  // Index: ten values from 1650 fill the line; a line of ten 9990 follows.
  Rig rig;
  auto l = write_one(rig, "IW", "XYZ", 1650, v, {0});
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(
      l[0],
      "XYZ   1650 500  1 625  1 750  1 875  11000  11125  11250  11375  11500  11625  1     ");
  std::string pad;
  for (int i = 0; i < 10; ++i) pad += "9990  0";
  EXPECT_EQ(l[1], "XYZ   1660" + pad + "     ");
  // CRU: a header and exactly one line, values in hundredths, halves away from zero.
  Rig rig2;
  auto c = write_one(rig2, "CR", "XYZ", 1650, v, {5});
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], "XYZ   16501659");
  EXPECT_EQ(c[1].substr(0, 31), "XYZ   1650  50  5  63  5  75  5");
  // Started mid decade: padding before and after holds 9990 with count 0.
  Rig rig3;
  auto p = write_one(rig3, "IW", "XYZ", 1655, {1.0f, 1.5f});
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].substr(10, 49), "9990  09990  09990  09990  09990  01000  11500  1");
}

TEST(TrrwWrite, RoundTripsGiveTheSameSeries) {
  const int32_t firsts[] = {1655, 1650, 0, -5, -10, -1234, -1000, -1001, -12345, 7};
  const int lengths[] = {1, 9, 10, 48};
  for (const char* wmode : {"MW", "IW"}) {
    for (int32_t first : firsts) {
      for (int n : lengths) {
        std::vector<float> v;
        std::vector<int32_t> c;
        for (int k = 0; k < n; ++k) {
          v.push_back(std::string(wmode) == "MW" ? 0.001f * ((k * 733) % 4000) : 0.4f + 0.013f * k);
          c.push_back(1 + k % 30);
        }
        if (std::string(wmode) == "MW" && n > 3) v[3] = 0.999f;
        Rig rig;
        write_one(rig, wmode, "RT12345", first, v, c);
        ASSERT_TRUE(rig.s.units().open(10, "out", recio::Status::old));
        ringdate::Trrw trrw(rig.s);
        int32_t nread = 0;
        Series r = read_one(trrw, nread, wmode[0] == 'M' ? "MR" : "IR", 2000, "RT12345 ");
        SCOPED_TRACE(std::string(wmode) + " first " + std::to_string(first) + " n " +
                     std::to_string(n));
        EXPECT_EQ(r.ifyr, first);
        ASSERT_EQ(r.nval, n);
        for (int k = 0; k < n; ++k) {
          float want = v[k] == 0.999f && wmode[0] == 'M' ? 1.0f : v[k];
          EXPECT_NEAR(r.vals[k], want, 1e-5f) << k;
          if (wmode[0] == 'I') {
            EXPECT_EQ(r.icnt[k], c[k]) << k;
          }
        }
        EXPECT_EQ(read_one(trrw, nread, "MR").nval, -999);
      }
    }
  }
}

TEST(TrrwWrite, CruLayoutReadsBackThroughTheCruReader) {
  // Hundredths in the CRU layout: the CRU reader (F4.2) gives back the values written.
  const std::vector<float> v = {0.98f, 1.25f, 0.5f,  1.0f, 2.37f, 0.01f,
                                1.5f,  0.75f, 1.11f, 0.9f, 1.3f,  0.66f};
  for (int32_t first : {1655, 1650, -5}) {
    Rig rig;
    write_one(rig, "CR", "CRU001", first, v, {3});
    ASSERT_TRUE(rig.s.units().open(10, "out", recio::Status::old));
    ringdate::Rinfrn rinfrn(rig.s);
    std::string id(8, ' '), title(80, ' ');
    int32_t ifyr = 0, nval = 0, nread = 0;
    std::vector<float> vals(2000, -1.0f);
    std::vector<int32_t> icnt(10000, 0);
    EXPECT_FALSE(rinfrn(id, ifyr, nval, vals, icnt, nread, 10, title, 2000));
    EXPECT_EQ(id, "CRU001  ");
    EXPECT_EQ(ifyr, first);
    ASSERT_EQ(nval, static_cast<int32_t>(v.size()));
    for (std::size_t k = 0; k < v.size(); ++k) {
      EXPECT_NEAR(vals[k], v[k], 1e-5f) << first << " " << k;
      EXPECT_EQ(icnt[k], 3);
    }
  }
}

namespace {

// The decade lines of `fixed` with their fields joined by `sep` instead of standing in
// columns; `trailing` pads every line to twelve fields with empty ones, as spreadsheets do.
std::string loosened(const std::string& fixed, const std::string& sep, bool trailing = false) {
  std::string out;
  for (const std::string& line : lines_of(fixed)) {
    std::istringstream in(line);
    int n = 0;
    for (std::string f; in >> f; ++n) out += (n ? sep : "") + f;
    if (trailing)
      for (; n < 12; ++n) out += "\t";
    out += "\r\n";
  }
  return out;
}

std::vector<Series> read_all(const std::string& text, const char* mode = "MR") {
  Rig rig;
  EXPECT_TRUE(rig.open(text));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  std::vector<Series> out;
  for (Series s = read_one(trrw, nread, mode); !s.refused && s.nval > 0;
       s = read_one(trrw, nread, mode))
    out.push_back(s);
  return out;
}

void expect_same(const std::vector<Series>& got, const std::vector<Series>& want,
                 const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t j = 0; j < got.size(); ++j) {
    EXPECT_EQ(got[j].id, want[j].id) << what;
    EXPECT_EQ(got[j].ifyr, want[j].ifyr) << what;
    ASSERT_EQ(got[j].nval, want[j].nval) << what;
    for (int k = 0; k < got[j].nval; ++k)
      EXPECT_EQ(got[j].vals[k], want[j].vals[k]) << what << " " << k;
  }
}

}  // namespace

TEST(TrrwLoose, FieldsSeparatedByTabsOrBlanksReadAsInFixedColumns) {
  // Both markers and units, first-line counts from positive, negative and decade years.
  const std::string fixed = tucson_series("ABC01", 1655, ramp(48), 999) +
                            tucson_series("XY2", -5, ramp(7, 3000), 999) +
                            tucson_series("LONGID8", 1650, ramp(20, 20000), -9999);
  const std::vector<Series> want = read_all(fixed);
  ASSERT_EQ(want.size(), 3u);
  expect_same(read_all(loosened(fixed, "\t", true)), want, "tabs");
  expect_same(read_all(loosened(fixed, "\t")), want, "tabs, no empty fields");
  expect_same(read_all(loosened(fixed, " \t  ")), want, "blanks and a tab");
  // Fixed and loose lines mixed within one series.
  const std::string tabs = loosened(fixed, "\t");
  std::string mixed;
  const auto a = lines_of(fixed), b = lines_of(tabs);
  for (std::size_t i = 0; i < a.size(); ++i) mixed += (i % 2 ? a[i] : b[i]) + "\n";
  expect_same(read_all(mixed), want, "mixed");
  // A series without its end marker keeps its values, less the empty fields at the end.
  expect_same(read_all("A1\t1650\t100\t200\t300\t\t\t\t\t\t\t\n"),
              read_all(tucson_line("A1", 1650, {100, 200, 300})), "no marker");
}

TEST(TrrwLoose, HeaderLinesStayText) {
  const std::string head =
      "107 1 TUCSON\n107 2 ARIZONA\t\tOAK TREE\t8392\t2821N3931E\t1923\t1945\nSITE 3 1.5 2.5\n\n";
  Rig rig;
  ASSERT_TRUE(
      rig.open(head + "107011 1923\t91\t92\t38\t10\t23\t43\t12\n107011 1930\t12\t34  999\n"));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  Series r = read_one(trrw, nread, "MR");
  EXPECT_EQ(r.id, "107011  ");
  EXPECT_EQ(r.ifyr, 1923);
  ASSERT_EQ(r.nval, 9);
  EXPECT_NEAR(r.vals[8], 0.34f, 1e-6f);
  const std::string l3 = "SITE 3 1.5 2.5" + std::string(66, ' ');
  EXPECT_NE(rig.con.output.find(" Title of data:\n 107 1 TUCSON"), std::string::npos);
  EXPECT_NE(rig.con.output.find("\n " + l3 + "\n"), std::string::npos);
  EXPECT_EQ(rig.con.output.find("107011"), std::string::npos);
}

TEST(TrrwLoose, LinesWhoseFieldsMissTheFixedColumns) {
  // A line whose fields the fixed columns cut or put two to a column is read by its fields.
  Rig rig;
  ASSERT_TRUE(rig.open("SeriesA  1   10 30 50 70 999\nSeriesB  1   200 400 600 800 -9999\n"));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  Series a = read_one(trrw, nread, "MR");
  ASSERT_EQ(a.nval, 4);
  EXPECT_NEAR(a.vals[0], 0.10f, 1e-6f);  // columns 13-18 hold " 10 30": two values
  // The second line does not read in the fixed columns ("00 -9999" in one field).
  Series b = read_one(trrw, nread, "MR");
  EXPECT_EQ(b.id, "SeriesB ");
  EXPECT_EQ(b.ifyr, 1);
  ASSERT_EQ(b.nval, 4);
  EXPECT_NEAR(b.vals[3], 0.8f, 1e-6f);

  // A first line shifted out of its columns no longer loses its rings.
  std::vector<Series> s = read_all("    PM309N  1898  3063  1109\n" +
                                   tucson_series("PM309N", 1900, ramp(12), -9999).substr(0));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].ifyr, 1898);
  EXPECT_EQ(s[0].nval, 14);
}

TEST(TrrwLoose, LayoutDetectionAppliesToTheFixedColumnForm) {
  // In index mode a loose line is a measurement line, as the same line in fixed columns is.
  const std::string tabs = loosened(tucson_series("A1", 1650, ramp(12), 999), "\t");
  std::vector<Series> idx = read_all(tabs, "IR");
  ASSERT_EQ(idx.size(), 1u);
  expect_same(idx, read_all(tabs, "MR"), "index mode");
  // A value of six digits keeps the layout given: read in measurement mode, text in index mode.
  const std::string big = "A1\t1650\t100\t123456\t300\t999\n";
  std::vector<Series> m = read_all(big, "MR");
  ASSERT_EQ(m.size(), 1u);
  EXPECT_NEAR(m[0].vals[1], 1234.56f, 1e-2f);
  EXPECT_TRUE(read_all(big, "IR").empty());
}

TEST(TrrwLoose, HostileLinesAreTextOrACleanStop) {
  const std::string tabs(5000, '\t');
  const std::vector<std::string> hostile = {
      "ABCDEFGHIJKL\t1650\t100",       // identifier longer than its columns
      "A1\t1650\t1234567\t100",        // value longer than its columns
      "A1\t195000000000\t100",         // a year of 12 digits
      "A1\t1650\t100" + tabs + "200",  // 5000 tabs between two values
      tabs + "A1\t1650\t100",          // 5000 tabs before the identifier
      std::string("A1\t1650\t1\0"
                  "00",
                  12),                         // a NUL byte
      "A1\t1650\t1\t99999999999999999999999",  // a value that would overflow
  };
  std::string text;
  for (const std::string& h : hostile) text += h + "\n";
  Rig rig;
  ASSERT_TRUE(rig.open(text + tucson_series("OK", 1650, ramp(3), 999)));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  Series r = read_one(trrw, nread, "MR");
  EXPECT_EQ(r.id, "OK      ");
  EXPECT_EQ(r.nval, 3);
  EXPECT_NE(rig.con.output.find("Title of data:"), std::string::npos);

  // Too many of them refuse the file with the text-line refusal, nothing else.
  std::string many;
  for (int k = 0; k < 5; ++k) many += text;
  Rig rig2;
  ASSERT_TRUE(rig2.open(many + tucson_series("OK", 1650, ramp(3), 999)));
  ringdate::Trrw t2(rig2.s);
  nread = 0;
  const Series refused = read_one(t2, nread, "MR");
  ASSERT_TRUE(refused.refused);
  EXPECT_EQ(refused.refused->kind, ringdate::RefusalKind::tucson_text_lines);
}

TEST(TrrwLoose, WrittenInFixedColumnsAndReadBack) {
  const std::string fixed = tucson_series("STB01a", 1865, ramp(40, 1000), -9999);
  const std::vector<Series> s = read_all(loosened(fixed, "\t", true));
  ASSERT_EQ(s.size(), 1u);
  Rig rig;
  std::vector<float> v(s[0].vals.begin(), s[0].vals.begin() + s[0].nval);
  const std::vector<std::string> out = write_one(rig, "MW", s[0].id, s[0].ifyr, v);
  std::string written;
  for (const std::string& l : out) written += l + "\n";
  EXPECT_EQ(out[0], "STB01a  1865  1000  1007  1014  1021  1028");
  EXPECT_EQ(written.find('\t'), std::string::npos);
  expect_same(read_all(written), s, "read back");
}
