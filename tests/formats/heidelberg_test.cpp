#include "formats/heidelberg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "support/test_support.h"

namespace ringdate {
namespace {

namespace fs = std::filesystem;

std::string peer_dir() {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty() || !fs::is_directory(dir + "/data/peer/heidelberg")) return {};
  return dir + "/data/peer/heidelberg/";
}

// A dplR table: the year column, then one column per series (NA where it has no value).
struct Table {
  std::vector<std::string> names;
  std::vector<std::map<int, double>> columns;
};

Table read_table(const std::string& path) {
  Table t;
  std::istringstream in(testing_support::slurp(path));
  std::string line;
  std::getline(in, line);
  std::stringstream head(line);
  std::string cell;
  std::getline(head, cell, ',');  // "year"
  while (std::getline(head, cell, ',')) t.names.push_back(cell.substr(1, cell.size() - 2));
  t.columns.resize(t.names.size());
  while (std::getline(in, line)) {
    std::stringstream row(line);
    std::getline(row, cell, ',');
    const int year = std::stoi(cell);
    for (std::size_t k = 0; std::getline(row, cell, ','); ++k)
      if (cell != "NA") t.columns.at(k)[year] = std::stod(cell);
  }
  return t;
}

fh::Reading read_file(const std::string& path) { return fh::read(testing_support::slurp(path)); }

// Every measurement file dplR reads gives its series, years and values in millimetres.
TEST(Heidelberg, MeasurementFilesReadToTheirTables) {
  const std::string dir = peer_dir();
  if (dir.empty()) GTEST_SKIP() << "no Heidelberg data";
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (!name.ends_with(".csv")) continue;
    SCOPED_TRACE(name);
    ++files;
    const Table t = read_table(e.path().string());
    const fh::Reading r = read_file(dir + name.substr(0, name.size() - 4));
    ASSERT_FALSE(r.refusal) << r.refusal->text();
    ASSERT_EQ(r.series.size(), t.names.size());
    for (std::size_t k = 0; k < t.names.size(); ++k) {
      const fh::Series& s = r.series[k];
      EXPECT_EQ(s.keycode, t.names[k]);
      EXPECT_EQ(s.kind, fh::DataKind::measurement);
      const auto& col = t.columns[k];
      ASSERT_FALSE(col.empty());
      EXPECT_EQ(s.first, col.begin()->first) << s.keycode;
      EXPECT_EQ(s.last(), col.rbegin()->first) << s.keycode;
      ASSERT_EQ(s.values.size(), col.size()) << s.keycode;
      for (const auto& [year, value] : col)
        EXPECT_NEAR(s.values[static_cast<std::size_t>(year - s.first)], value, 1e-9)
            << s.keycode << " " << year;
    }
  }
  EXPECT_EQ(files, 13);
}

// Mean curves and chronologies: their series, years and sample counts as the files hold them.
TEST(Heidelberg, MeanCurvesAndChronologiesReadWithTheirCounts) {
  const std::string dir = peer_dir();
  if (dir.empty()) GTEST_SKIP() << "no Heidelberg data";
  struct Case {
    const char* file;
    const char* keycode;
    fh::DataKind kind;
    int first, last;
    int count_first, count_last;
    double value_first;
  };
  using K = fh::DataKind;
  const Case cases[] = {
      // DateEnd=-20 is 19 BC, year -19; 158 years back from there.
      {"SET01CHR.FH", "set01chr", K::chronology, -176, -19, 1, 1, 0.46},
      {"SET02CHR.FH", "set02chr", K::chronology, -156, 143, 1, 1, 2.50},
      {"SET03CHR.FH", "set03chr", K::chronology, 20, 485, 1, 3, 2.75},
      {"SET123CH.FH", "set01chr", K::chronology, -177, 485, 1, 3, 0.46},
      {"quadchron.fh", "1997002ABF_CRN", K::chronology, -577, 34, 1, 2, 1.76},
      {"commentedquadro.fh", "Scheibe_fr1_1", K::chronology, 2095, 2098, 2, 3, 2.50},
      {"UAKK0530.fh", "UAKK0530", K::mean_curve, 987, 1091, 1, 2, 1.25},
      {"test.fh", "UAKK0530", K::mean_curve, 987, 1091, 1, 2, 1.25},
      {"coordinates.fh", "UAKK0530", K::mean_curve, 987, 1091, 1, 2, 1.25},
      {"UAKK0540.fh", "UAKK0540", K::mean_curve, 999, 1076, 2, 1, 0},
      {"UAKK0550.fh", "UAKK0550", K::mean_curve, 999, 1078, 2, 2, 3.93},
      {"UAKK0560.fh", "UAKK0560", K::mean_curve, 1005, 1089, 2, 2, 3.39},
      {"Unicode-UAKK0560.fh", "UAKK0560", K::mean_curve, 1005, 1089, 2, 2, 3.39},
      {"UAKK0570.fh", "UAKK0570", K::mean_curve, 1003, 1086, 2, 1, 0},
      {"commenteddouble.fh", "Scheibe_fr1_1", K::mean_curve, 2095, 2098, 2, 3, 2.50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const fh::Reading r = read_file(dir + c.file);
    ASSERT_FALSE(r.refusal) << r.refusal->text();
    ASSERT_EQ(r.series.size(), 1u);
    const fh::Series& s = r.series[0];
    EXPECT_EQ(s.keycode, c.keycode);
    EXPECT_EQ(s.kind, c.kind);
    EXPECT_EQ(s.first, c.first);
    EXPECT_EQ(s.last(), c.last);
    ASSERT_EQ(s.counts.size(), s.values.size());
    EXPECT_EQ(s.counts.front(), c.count_first);
    EXPECT_EQ(s.counts.back(), c.count_last);
    if (c.value_first > 0) {
      EXPECT_NEAR(s.values.front(), c.value_first, 1e-9);
    }
    EXPECT_EQ(s.ups.size(), c.kind == K::chronology ? s.values.size() : 0u);
  }
}

// The few files with something special: early and late wood summed, relative dates kept as
// numbers, zero-width rings inside a series kept, headers kept for writing back.
TEST(Heidelberg, PeerFilesWithSpecialKeys) {
  const std::string dir = peer_dir();
  if (dir.empty()) GTEST_SKIP() << "no Heidelberg data";
  fh::Reading r = read_file(dir + "earlylatewood.fh");
  ASSERT_FALSE(r.refusal);
  ASSERT_EQ(r.series.size(), 1u);
  EXPECT_EQ(r.series[0].kind, fh::DataKind::measurement);
  EXPECT_EQ(r.series[0].values.size(), 80u);
  EXPECT_NEAR(r.series[0].values[0], 3.95, 1e-9);  // 393 + 2 hundredths
  EXPECT_TRUE(r.series[0].counts.empty());

  // RelDated -8..1 holds 10 values: relative years count a year 0.
  r = read_file(dir + "minimal-reldated.fh");
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  EXPECT_EQ(r.series[0].first, -8);
  EXPECT_EQ(r.series[0].last(), 1);

  r = read_file(dir + "commented.fh");
  ASSERT_FALSE(r.refusal);
  ASSERT_EQ(r.series.size(), 7u);
  EXPECT_EQ(r.series[1].keycode, "Scheibe_fr1_2");
  EXPECT_EQ(r.series[0].header("datatype"), "Min density");
  EXPECT_EQ(r.series[0].header("Location"), "");
  EXPECT_FALSE(r.series[0].header("Latitude"));
  EXPECT_EQ(r.series[0].headers.front(), "DateEnd=1950");
}

fh::Reading text(std::string_view t) { return fh::read(t); }

TEST(Heidelberg, LayoutsAndLineEnds) {
  const std::string block =
      "HEADER:\nKeyCode=A\nDateEnd=1909\nDATA:Tree\n"
      "   100   200     0   400   500   600   700   800   900  1000\n";
  fh::Reading r = text(block);
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  ASSERT_EQ(r.series[0].values.size(), 10u);
  EXPECT_EQ(r.series[0].first, 1900);
  EXPECT_DOUBLE_EQ(r.series[0].values[2], 0.0);  // a zero-width ring inside the series
  // CR LF, CR alone, no final line end, blank lines and lower-case names read alike.
  std::string crlf;
  for (char c : block) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string cr = block;
  std::replace(cr.begin(), cr.end(), '\n', '\r');
  const std::string loose =
      "\n\nheader:\n\nkeycode=A\n  DateEnd = 1909\nData:tree\n\n"
      "   100   200     0   400   500   600   700   800   900  1000";
  for (const std::string& t : {crlf, cr, loose, "\xEF\xBB\xBF" + block}) {
    const fh::Reading o = text(t);
    ASSERT_FALSE(o.refusal) << o.refusal->text();
    EXPECT_EQ(o.series[0].values, r.series[0].values);
    EXPECT_EQ(o.series[0].first, 1900);
  }
  // UTF-16 with its byte-order mark.
  std::string wide = "\xFF\xFE";
  for (char c : block) {
    wide += c;
    wide += '\0';
  }
  const fh::Reading w = text(wide);
  ASSERT_FALSE(w.refusal) << w.refusal->text();
  EXPECT_EQ(w.series[0].values, r.series[0].values);

  // Trailing zeros are padding when no Length says otherwise; with Length they are rings.
  r = text("DATA:Tree\n    10    20    30     0     0     0     0     0     0     0\n");
  ASSERT_FALSE(r.refusal);
  EXPECT_EQ(r.series[0].values.size(), 3u);
  EXPECT_EQ(r.series[0].first, 1);
  EXPECT_EQ(r.series[0].keycode, "S1");
  EXPECT_FALSE(r.series[0].keycode_given);
  r = text("HEADER:\nLength=4\nDATA:Tree\n    10    20    30     0     0     0\n");
  ASSERT_FALSE(r.refusal);
  EXPECT_EQ(r.series[0].values.size(), 4u);

  // One value per line, with flags and comments; DataFormat names the kind when DATA: does not.
  r = text(
      "HEADER:\nDataFormat=Double\nUnit=1/1000 mm\nDateBegin=-2\nDATA:\n1500;x;c\n3\n"
      "1600\n4\n");
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  EXPECT_EQ(r.series[0].kind, fh::DataKind::mean_curve);
  EXPECT_EQ(r.series[0].first, -1);  // 2 BC
  EXPECT_EQ(r.series[0].last(), 0);  // 1 BC
  EXPECT_DOUBLE_EQ(r.series[0].values[1], 1.6);
  EXPECT_EQ(r.series[0].counts, (std::vector<int32_t>{3, 4}));

  // BC to AD: the format has no year 0, so -10..5 is 15 years.
  std::string fifteen = "HEADER:\nDateBegin=-10\nDateEnd=5\nLength=15\nDATA:Single\n";
  for (int k = 0; k < 15; ++k) fifteen += std::to_string(k + 1) + "\n";
  r = text(fifteen);
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  EXPECT_EQ(r.series[0].first, -9);
  EXPECT_EQ(r.series[0].last(), 5);
  // Files of several blocks, one starting with DATA: after another's data.
  r = text("DATA:Tree\n1\n2\nDATA:Single\n3\nHEADER:\nKeyCode=Z\nDATA:Tree\n4\n");
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  ASSERT_EQ(r.series.size(), 3u);
  EXPECT_EQ(r.series[1].keycode, "S2");
  EXPECT_EQ(r.series[2].keycode, "Z");
}

TEST(Heidelberg, YearsConvertWithoutAYearZero) {
  EXPECT_EQ(fh::from_heidelberg_year(-1), 0);
  EXPECT_EQ(fh::from_heidelberg_year(1), 1);
  EXPECT_EQ(fh::to_heidelberg_year(0), -1);
  EXPECT_EQ(fh::to_heidelberg_year(-65), -66);
  for (int y = -3000; y <= 3000; ++y)
    EXPECT_EQ(fh::from_heidelberg_year(fh::to_heidelberg_year(y)), y);
  EXPECT_TRUE(fh::looks_like("HEADER:"));
  EXPECT_TRUE(fh::looks_like("  data:Chrono \r"));
  EXPECT_TRUE(fh::looks_like("\xEF\xBB\xBFHEADER:"));
  EXPECT_TRUE(fh::looks_like(std::string("\xFF\xFEH\0E\0A\0D\0E\0R\0:\0", 16)));
  EXPECT_TRUE(fh::looks_like("DATA:"));
  EXPECT_FALSE(fh::looks_like("DATA: ring widths of site 4"));
  EXPECT_FALSE(fh::looks_like("HEADER"));
  EXPECT_FALSE(fh::looks_like("PIN01A  1790  3107"));
}

// Files that disagree with themselves or would make the reader go astray are refused with
// a message that says which series and what; nothing of them is given.
TEST(Heidelberg, RefusedWithTheirMessage) {
  const std::string ten = "   452   326   428   334   200   278   259   233   264   222\n";
  const struct {
    std::string file;
    std::string message;
  } cases[] = {
      {"", "no series"},
      {"\n\n  \n", "no series"},
      {"Some title\nHEADER:\nDATA:Tree\n1\n", "line 1 comes before any HEADER: or DATA: line"},
      {"HEADER:\nKeyCode=A\nLength=1\n", "series A: HEADER block without DATA"},
      {"HEADER:\nKeyCode=A\nHEADER:\nKeyCode=B\nDATA:Tree\n" + ten,
       "series A: HEADER block without DATA"},
      {"HEADER:\nKeyCode=A\nLength=1000000000000\nDATA:Tree\n" + ten,
       "series A: Length=1000000000000 but the data hold 10 years"},
      {"HEADER:\nKeyCode=A\nLength=99999999999999999999999\nDATA:Tree\n" + ten,
       "Length=99999999999999999999999 is not a count of years"},
      {"HEADER:\nKeyCode=A\nLength=8\nDATA:Tree\n" + ten,
       "values past the end: Length=8 but year 9 of the data holds 264"},
      {"HEADER:\nKeyCode=A\nDateBegin=10\nDateEnd=20\nDATA:Tree\n" + ten,
       "DateBegin=10 and DateEnd=20 span 11 years but the series holds 10"},
      {"HEADER:\nKeyCode=A\nDateBegin=-5\nDateEnd=5\nLength=11\nDATA:Tree\n" + ten + "     1\n",
       "span 10 years but the series holds 11"},
      {"HEADER:\nKeyCode=A\nDateEnd=0\nDATA:Tree\n" + ten, "DateEnd=0: the format has no year 0"},
      {"HEADER:\nKeyCode=A\nDateEnd=1e9\nDATA:Tree\n" + ten, "DateEnd=1e9 is not a year"},
      {"HEADER:\nKeyCode=A\nDateEnd=5000000\nDATA:Tree\n" + ten, "is not a year"},
      {"HEADER:\nKeyCode=Q\nDATA:Quadro\n  100    2    1\n",
       "series Q: 3 numbers do not make whole years of 4"},
      {"HEADER:\nKeyCode=A\nDATA:Tree\n   452   3x6\n",
       "line 4 holds something that is not a number"},
      {"HEADER:\nKeyCode=A\nDATA:Tree\n12;a\nabc;b\n",
       "line 5 holds something that is not a number"},
      {"HEADER:\nKeyCode=A\nDATA:Spline\n1\n", "data kind \"Spline\" is not known"},
      {"HEADER:\nKeyCode=A\nUnit=inch\nDATA:Tree\n1\n", "Unit=inch is not mm"},
      {"HEADER:\nKeyCode=A\nDATA:Tree\n     0     0\n", "series A: no values"},
      {"HEADER:\nKeyCode=A\nDATA:Tree\n", "series A: no values"},
      {"HEADER:\nKeyCode=A\nDATA:Tree\n99999999999\n", "the number 99999999999 is too large"},
      {"HEADER:\nKeyCode=" + std::string(1 << 20, 'k') + "\nDATA:Tree\n1\n",
       "line 2 is longer than 65536 characters"},
      {"HEADER:\nDateBegin=999995\nDATA:Tree\n" + ten, "its years run past 1000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 120));
    const fh::Reading r = fh::read(c.file);
    ASSERT_TRUE(r.refusal);
    EXPECT_TRUE(r.series.empty());
    EXPECT_EQ(r.refusal->kind, RefusalKind::heidelberg_data);
    EXPECT_NE(r.refusal->text().find(c.message), std::string::npos) << r.refusal->text();
    EXPECT_EQ(r.refusal->text().rfind("*** Heidelberg ", 0), 0u) << r.refusal->text();
  }
}

}  // namespace
}  // namespace ringdate
