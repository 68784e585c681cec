#include "formats/trread.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "core/store.h"
#include "tucson_rig.h"

using namespace tucson_test;
namespace fs = std::filesystem;

namespace {

struct ReadRun {
  Rig rig;
  ringdate::Store st;
  ringdate::Trread trread{rig.s};
  ringdate::Refused refused;
  // The limits of the reading: the program's unless a test sets others.
  int32_t max_years = ringdate::max_span_years;
  int32_t max_series = INT32_MAX;
  ringdate::Vec<float> series{static_cast<std::size_t>(ringdate::max_span_years)};

  // Reads the file with trread in `mode`; true when it was read. A refusal is shown on the
  // console as the dialogue shows it.
  bool read(const std::string& text, const std::string& mode = "MR") {
    EXPECT_TRUE(rig.open(text));
    return go(mode);
  }
  bool go(const std::string& mode) {
    refused = trread(st.wrk, series, mode, st.nser, st.iyr, st.ids, max_years, max_series);
    if (refused) show(rig.s, *refused);
    return !refused;
  }
};

std::string trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// A comma-separated table: year, then one column per series; NA for no value.
struct Table {
  std::vector<std::string> names;
  std::map<int, std::vector<std::string>> rows;  // year -> cells
  bool ok = false;
};

Table load_csv(const std::string& path) {
  Table t;
  std::ifstream in(path);
  std::string line;
  auto cells = [](const std::string& l) {
    std::vector<std::string> c;
    std::stringstream ss(l);
    for (std::string x; std::getline(ss, x, ',');) {
      if (!x.empty() && x.back() == '\r') x.pop_back();
      if (x.size() >= 2 && x.front() == '"') x = x.substr(1, x.size() - 2);
      c.push_back(x);
    }
    return c;
  };
  if (!std::getline(in, line)) return t;
  t.names = cells(line);
  t.names.erase(t.names.begin());
  while (std::getline(in, line)) {
    auto c = cells(line);
    if (c.empty()) continue;
    int year = std::stoi(c[0]);
    c.erase(c.begin());
    t.rows[year] = c;
  }
  t.ok = true;
  return t;
}

// Compares one series with its column of the table: the same first and last year and the
// same values. Returns the column index, or -1 after reporting a failure.
// The tables' column names are the identifiers made into names of the table program: other
// characters than letters, digits, "." and "_" become ".", and a name not starting with a
// letter or "." gets an "X" in front.
std::string column_name(const std::string& id) {
  std::string n;
  for (char c : id)
    n += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' ? c : '.';
  if (n.empty() || !(std::isalpha(static_cast<unsigned char>(n[0])) || n[0] == '.')) n = "X" + n;
  return n;
}

// `from_table_start`: the table may begin later than the series (compare from there).
int compare(const Table& t, const std::string& id, int32_t ifyr, int32_t nval,
            const std::function<float(int)>& val, const std::string& where, int position,
            bool from_table_start = false) {
  std::string name = trim(id);
  int col = -1;
  for (std::size_t j = 0; j < t.names.size(); ++j)
    if (t.names[j] == name || t.names[j] == column_name(name)) col = static_cast<int>(j);
  // A table whose names differ from the file's identifiers keeps the file's order.
  if (col < 0 && position >= 0 && static_cast<std::size_t>(position) < t.names.size())
    col = position;
  if (col < 0) {
    ADD_FAILURE() << where << ": no column " << name;
    return -1;
  }
  int first = 0, last = 0;
  bool any = false;
  for (const auto& [year, c] : t.rows) {
    if (c.size() <= static_cast<std::size_t>(col) || c[col] == "NA") continue;
    if (!any) first = year;
    last = year;
    any = true;
  }
  int k0 = 1;
  if (from_table_start && first > ifyr)
    k0 = first - ifyr + 1;
  else
    EXPECT_EQ(ifyr, first) << where << " " << name;
  EXPECT_EQ(ifyr + nval - 1, last) << where << " " << name;
  int bad = 0;
  for (int k = k0; k <= nval && bad < 5; ++k) {
    auto it = t.rows.find(ifyr + k - 1);
    if (it == t.rows.end() || it->second[col] == "NA") {
      ADD_FAILURE() << where << " " << name << " no table value for " << ifyr + k - 1;
      ++bad;
      continue;
    }
    double want = std::stod(it->second[col]);
    // A ring marked -999 in hundredths reads as the store's missing mark; the tables hold 0.
    if (val(k) == ringdate::rmiss && want == 0.0) continue;
    if (std::fabs(val(k) - want) > 1e-5 * std::max(1.0, std::fabs(want))) {
      ADD_FAILURE() << where << " " << name << " year " << ifyr + k - 1 << ": " << val(k)
                    << " != " << want;
      ++bad;
    }
  }
  return col;
}

std::string series_lines(int nser, int nyears) {
  std::string f;
  for (int j = 1; j <= nser; ++j) {
    std::vector<int> v;
    for (int k = 0; k < nyears; ++k) v.push_back(100 + (j + k) % 50);
    f += tucson_series("S" + std::to_string(j), 1650, v, 999);
  }
  return f;
}

}  // namespace

TEST(Trread, OneSeriesAndTheSummaryLine) {
  ReadRun r;
  ASSERT_TRUE(
      r.read(tucson_series("A1", 1650, {100, 110, 120, 130, 140, 150, 160, 170, 180, 190}, 999)));
  EXPECT_EQ(r.st.nser, 1);
  EXPECT_EQ(r.st.iyr(1, 1), 1650);
  EXPECT_EQ(r.st.iyr(1, 2), 1659);
  EXPECT_EQ(r.st.iyr(2, 1), 1650);
  EXPECT_EQ(r.st.iyr(2, 2), 1659);
  EXPECT_EQ(r.st.ids[0], "A1      ");
  EXPECT_NEAR(r.st.wrk(10, 1), 1.9f, 1e-6f);
  EXPECT_EQ(r.st.wrk(11, 1), ringdate::rmiss);
  EXPECT_EQ(r.st.wrk(1, 2), ringdate::rmiss);
  EXPECT_EQ(r.rig.con.output, "\n      1 series from   1650 to   1659      10 years\n");
}

TEST(Trread, ModesAndIdentifiers) {
  // Index mode: identifiers come from the file, never the "********" that switches counts off.
  std::string idx =
      "AB1   1650 900  1 925  1 950  1 975  11000  11025  11050  11075  11100  11125  1\n"
      "AB1   16609990  0\n"
      "CD2   1655 900  1 925  1 950  1 975  11000  11025  11050  11075  11100  11125  1\n"
      "CD2   16609990  0\n";
  for (const char* mode : {"IR", "ir"}) {
    ReadRun r;
    ASSERT_TRUE(r.read(idx, mode));
    ASSERT_EQ(r.st.nser, 2) << mode;
    EXPECT_EQ(r.st.ids[0], "AB1     ");
    EXPECT_EQ(r.st.ids[1], "CD2     ");
    EXPECT_EQ(r.st.iyr(2, 1), 1655);
    EXPECT_EQ(r.st.iyr(2, 2), 1659);
    EXPECT_NEAR(r.st.wrk(1, 2), 1.025f, 1e-6f);
    EXPECT_EQ(r.st.iyr(3, 1), 1650);
  }
  // Lower case selects the Tucson measurement reader too; a negative first year.
  ReadRun r;
  ASSERT_TRUE(r.read(tucson_series("A1", -5, {100, 200, 300, 400, 500, 600}, 999), "mr"));
  EXPECT_EQ(r.st.nser, 1);
  EXPECT_EQ(r.st.iyr(1, 2), 0);
}

TEST(Trread, LimitsTheCallerGives) {
  // Limits of 2000 years and 400 series, as a caller may give them.
  struct Limited : ReadRun {
    Limited() {
      max_years = ringdate::mxyr;
      max_series = ringdate::mxser;
    }
  };
  // 400 series fit; a 401st ends the run with the count message before it is stored.
  {
    Limited r;
    ASSERT_TRUE(r.read(series_lines(400, 3)));
    EXPECT_EQ(r.st.nser, 400);
  }
  {
    Limited r;
    EXPECT_FALSE(r.read(series_lines(401, 3)));
    EXPECT_EQ(r.refused->kind, ringdate::RefusalKind::too_many_series);
    EXPECT_EQ(r.st.nser, 400);
    EXPECT_EQ(r.rig.con.output,
              "\n *** Number of series exceeds maximum allowed: 400 MAX ***\n \n");
  }
  // 2000 values fit; 2001 end the run with the length message.
  {
    Limited r;
    ASSERT_TRUE(r.read(series_lines(1, 2000)));
    EXPECT_EQ(r.st.iyr(1, 2), 3649);
  }
  {
    Limited r;
    EXPECT_FALSE(r.read(series_lines(1, 2001)));
    EXPECT_EQ(r.refused->kind, ringdate::RefusalKind::series_too_long);
    EXPECT_EQ(r.st.nser, 0);
    EXPECT_EQ(r.rig.con.output,
              "\n *** Series read in exceeds maximum allowable length: S1      "
              "   2001 >  2000 MAX ***\n \n");
  }
  // Series that together span more years than the limit.
  {
    Limited r;
    EXPECT_FALSE(r.read(tucson_series("EARLY", 1, {100, 200}, 999) +
                        tucson_series("LATE", 2000, {100, 200}, 999)));
    EXPECT_EQ(r.refused->kind, ringdate::RefusalKind::span_too_wide);
    EXPECT_EQ(r.st.nser, 1);
    EXPECT_EQ(r.rig.con.output,
              "\n *** Series read in span more than the maximum allowable number of years: LATE    "
              "       2001 >  2000 MAX ***\n \n");
  }
  // No series at all.
  {
    ReadRun r;
    EXPECT_FALSE(r.read("JUST A TITLE\n"));
    EXPECT_EQ(r.refused->kind, ringdate::RefusalKind::no_series);
    EXPECT_EQ(r.refused->text(), "*** NC .LE. 0 AFTER READING TREE-RING DATA");
    EXPECT_NE(r.rig.con.output.find("\n *** NC .LE. 0 AFTER READING TREE-RING DATA\n"),
              std::string::npos);
  }
}

TEST(Trread, TheStoreTakesTheShapeOfTheFile) {
  // A file within 2000 years and 400 series: the store's shape of old.
  {
    ReadRun r;
    ASSERT_TRUE(r.read(series_lines(3, 40)));
    EXPECT_EQ(r.st.wrk.rows(), 2000u);
    EXPECT_EQ(r.st.wrk.cols(), 400u);
    EXPECT_EQ(r.st.ids.size(), 400u);
    EXPECT_EQ(r.st.iyr.rows(), 401u);
  }
  // 450 series: a column each; the later ones are where they were read.
  {
    ReadRun r;
    ASSERT_TRUE(r.read(series_lines(450, 3)));
    ASSERT_EQ(r.st.nser, 450);
    EXPECT_EQ(r.st.wrk.cols(), 450u);
    EXPECT_EQ(r.st.iyr.rows(), 451u);
    EXPECT_EQ(trim(r.st.ids[449]), "S450");
    EXPECT_EQ(r.st.iyr(450, 1), 1650);
    EXPECT_FLOAT_EQ(r.st.wrk(3, 450), 1.02f);  // 100 + (450 + 2) % 50 hundredths
    EXPECT_FLOAT_EQ(r.st.wrk(1, 1), 1.01f);    // written before the store grew
  }
  // A series of 9000 years and one 1000 years later: rows for the span and 2000 more.
  {
    std::vector<int> v(9000);
    for (int k = 0; k < 9000; ++k) v[static_cast<std::size_t>(k)] = 100 + k % 37;
    ReadRun r;
    ASSERT_TRUE(r.read(tucson_series("LONG", -999, v, 999) +
                       tucson_series("LATER", 9000, {120, 130}, 999)));
    ASSERT_EQ(r.st.nser, 2);
    EXPECT_EQ(r.st.iyr(1, 1), -999);
    EXPECT_EQ(r.st.iyr(1, 2), 8000);
    EXPECT_EQ(r.st.iyr(3, 1), -999);
    EXPECT_EQ(r.st.iyr(3, 2), 9001);
    EXPECT_EQ(r.st.wrk.rows(), 10001u + 2000u);
    EXPECT_FLOAT_EQ(r.st.wrk(9000, 1), static_cast<float>(100 + 8999 % 37) / 100.0f);
    EXPECT_NE(r.rig.con.output.find("     2 series from   -999 to   9001   10001 years"),
              std::string::npos)
        << r.rig.con.output;
  }
}

// Every reader finds the records of a file of many series with work linear in its size,
// whatever its line ends: the units examine a small multiple of the file's bytes (the
// readers step back after a failed read and reread through the layout interpreter).
TEST(Trread, EveryReaderReadsInLinearWork) {
  // Each file's lines as LF-ended text, then rewritten with other line ends.
  std::string tucson, cru, compact;
  for (int j = 1; j <= 300; ++j) {
    std::vector<int> v, c;
    for (int k = 0; k < 60; ++k) {
      v.push_back(100 + (j * 7 + k * 13) % 300);
      c.push_back(1 + k % 9);
    }
    const std::string id = "S" + std::to_string(j);
    tucson += tucson_series(id, 1650 + j % 7, v, 999);
    cru += testing_support::cru_series(id, 1650 + j % 7, v, c);
    compact += testing_support::compact_header(60, 1650 + j % 7, id, -2, "(10F6.0)");
    for (std::size_t k = 0; k < v.size(); k += 10) {
      std::string line;
      for (std::size_t i = k; i < k + 10 && i < v.size(); ++i) {
        std::string f = std::to_string(v[i]);
        line += std::string(6 - f.size(), ' ') + f;
      }
      compact += line + "\n";
    }
  }
  auto with_ends = [](const std::string& lf, const std::string& end) {
    std::string out;
    for (char ch : lf) out += ch == '\n' ? end : std::string(1, ch);
    return out;
  };
  const struct {
    const char* mode;
    const std::string* text;
  } files[] = {{"MR", &tucson}, {"CR", &cru}, {"CD", &compact}};
  for (const auto& f : files) {
    const std::pair<const char*, const char*> ends[] = {
        {"LF", "\n"}, {"CR", "\r"}, {"CR LF", "\r\n"}, {"CR CR LF", "\r\r\n"}};
    for (const auto& [name, end] : ends) {
      SCOPED_TRACE(std::string(f.mode) + ", " + name);
      const std::string content = with_ends(*f.text, end);
      ReadRun r;
      ASSERT_TRUE(r.read(content, f.mode));
      EXPECT_EQ(r.st.nser, 300);
      EXPECT_LE(r.rig.s.units().bytes_scanned(), 3 * content.size());
    }
  }
}

TEST(Trread, PeerFilesReadToTheirTables) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir + "/data/peer")) {
    if (e.path().extension() != ".rwl") continue;
    const std::string path = e.path().string();
    Table t = load_csv(path + ".csv");
    ASSERT_TRUE(t.ok) << path;
    // Series by series through the Tucson reader, whatever the span of the file.
    Rig rig;
    ASSERT_TRUE(rig.open(testing_support::slurp(path)));
    ringdate::Trrw trrw(rig.s);
    int32_t nread = 0;
    std::size_t seen = 0;
    for (;;) {
      Series s = read_one(trrw, nread, "MR", 5000);
      if (s.nval <= 0) break;
      ++seen;
      compare(
          t, s.id, s.ifyr, s.nval, [&](int k) { return s.vals[k - 1]; }, path, -1);
    }
    EXPECT_EQ(seen, t.names.size()) << path;
    ++files;
  }
  EXPECT_GT(files, 0);
}

TEST(Trread, RealFilesReadToTheirTables) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  const std::pair<const char*, const char*> cases[] = {{"ca533.rwl", "ca533.csv"},
                                                       {"co021.rwl", "co021.csv"},
                                                       {"wa082.rwl", "wa082.csv"},
                                                       {"TTHH_raw.txt", "TTHH_raw.csv"}};
  for (const auto& [file, csv] : cases) {
    Table t = load_csv(dir + "/data/real/csv/" + csv);
    ASSERT_TRUE(t.ok) << csv;
    ReadRun r;
    ASSERT_TRUE(r.read(testing_support::slurp(dir + "/data/real/" + file))) << file;
    EXPECT_EQ(static_cast<std::size_t>(r.st.nser), t.names.size()) << file;
    for (int j = 1; j <= r.st.nser; ++j) {
      int32_t f = r.st.iyr(j, 1);
      // The table lacks the first two lines of NR21E: its converter took them for header
      // lines, as they follow the file's title line.
      bool late = std::string(file) == "TTHH_raw.txt" && trim(r.st.ids[j - 1]) == "NR21E";
      compare(
          t, r.st.ids[j - 1], f, r.st.iyr(j, 2) - f + 1, [&](int k) { return r.st.wrk(k, j); },
          file, j - 1, late);
    }
  }
}

namespace {

// The real files the Tucson reader refuses, each with its refusal.
const std::map<std::string, ringdate::RefusalKind>& refused_real_files() {
  using enum ringdate::RefusalKind;
  static const std::map<std::string, ringdate::RefusalKind> files = {
      // FAD23B goes back to the decade of 1430 on line 3140: a decade it has already.
      {"cana326_error.rwl", tucson_decade_repeated},
  };
  return files;
}

// A line whose fields are separated by tabs, rewritten with its fields in the fixed
// columns; any other line as it is.
std::string in_columns(const std::string& line) {
  if (line.find('\t') == std::string::npos) return line;
  std::istringstream in(line);
  std::vector<std::string> f;
  for (std::string x; in >> x;) f.push_back(x);
  if (f.size() < 3 || f.size() > 12) return line;
  std::string out = f[0];
  out.resize(8, ' ');
  for (std::size_t k = 1; k < f.size(); ++k) {
    if (f[k].find_first_not_of("-0123456789") != std::string::npos) return line;
    char buf[16];
    std::snprintf(buf, sizeof buf, k == 1 ? "%4d" : "%6d", std::stoi(f[k]));
    out += buf;
  }
  return out;
}

}  // namespace

TEST(Trread, EveryRealFileIsReadOrRefused) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  int read = 0;
  std::set<std::string> refused;
  for (const std::string sub : {"", "study/"}) {
    for (const auto& e : fs::directory_iterator(dir + "/data/real/" + sub)) {
      if (!e.is_regular_file()) continue;
      const std::string ext = e.path().extension().string();
      if (ext == ".md" || ext == ".csv" || ext == ".tsv") continue;
      const std::string name = sub + e.path().filename().string();
      ReadRun r;
      if (!r.read(testing_support::slurp(e.path().string()))) {
        refused.insert(name);
        auto why = refused_real_files().find(name);
        if (why == refused_real_files().end()) {
          ADD_FAILURE() << name << " refused: " << r.refused->text();
        } else {
          EXPECT_EQ(r.refused->kind, why->second) << name << ": " << r.refused->text();
        }
        continue;
      }
      ++read;
      ASSERT_GT(r.st.nser, 0) << name;
      // The series written back in thousandths read to the same values.
      ringdate::Trrw& trrw = r.trread.trrw();
      ASSERT_TRUE(r.rig.s.units().open(12, "cor", recio::Status::unknown));
      std::string title(80, ' '), ltag = "   ";
      std::array<std::string, 3> hdr{std::string(85, ' '), std::string(85, ' '),
                                     std::string(85, ' ')};
      std::vector<int32_t> cnt(10000, 0);
      for (int j = 1; j <= r.st.nser; ++j) {
        std::string id = r.st.ids[j - 1], m = "MW";
        int32_t f = r.st.iyr(j, 1), n = r.st.iyr(j, 2) - f + 1, nread = 0;
        trrw(id, f, n, r.st.wrk.column(j), cnt, nread, 12, 0, m, title, ltag, n, hdr);
      }
      ASSERT_TRUE(r.rig.s.units().close(12));
      ASSERT_TRUE(r.rig.s.units().open(10, "cor", recio::Status::old));
      int32_t nread = 0;
      for (int j = 1; j <= r.st.nser; ++j) {
        Series s = read_one(trrw, nread, "MR");
        ASSERT_EQ(s.ifyr, r.st.iyr(j, 1)) << name << " " << j;
        ASSERT_EQ(s.nval, r.st.iyr(j, 2) - s.ifyr + 1) << name << " " << j;
        for (int k = 1; k <= s.nval; ++k) {
          float want = r.st.wrk(k, j);
          if (std::lround(want * 1000.0f) == 999) want = 1.0f;
          ASSERT_NEAR(s.vals[k - 1], want, 1e-5f * std::max(1.0f, std::fabs(want)))
              << name << " " << j << " " << k;
        }
      }
    }
  }
  // 198 files were read before lines with tab- or blank-separated fields were.
  // and 219 since lines are read by their fields where those miss the fixed columns.
  EXPECT_GE(read, 219);
  EXPECT_EQ(refused.size(), refused_real_files().size());
  std::cout << read << " files read, " << refused.size() << " refused\n";
}

// Every real file with tab-separated decade lines reads as the same file with those lines
// put in the fixed columns.
TEST(Trread, TabSeparatedRealFilesReadAsInFixedColumns) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  int files = 0;
  for (const std::string sub : {"", "study/"}) {
    for (const auto& e : fs::directory_iterator(dir + "/data/real/" + sub)) {
      if (!e.is_regular_file() || e.path().extension() == ".md") continue;
      const std::string name = sub + e.path().filename().string();
      const std::string text = testing_support::slurp(e.path().string());
      if (text.find('\t') == std::string::npos || refused_real_files().count(name)) continue;
      // Its one line with a tab ("RNT03A<tab>1894  5966 ...") would read in the fixed
      // columns as identifier "RNT03A<tab>1" and year 894; it is read by its fields.
      if (name == "study/OH_RiddleNaturePreserve_LITU.txt") continue;
      std::string fixed;
      std::size_t changed = 0;
      std::istringstream in(text);
      for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string c = in_columns(line);
        changed += c != line;
        fixed += c + "\n";
      }
      if (changed == 0) continue;
      ReadRun a, b;
      ASSERT_TRUE(a.read(text)) << name;
      ASSERT_TRUE(b.read(fixed)) << name;
      ASSERT_EQ(a.st.nser, b.st.nser) << name;
      for (int j = 1; j <= a.st.nser; ++j) {
        ASSERT_EQ(a.st.ids[j - 1], b.st.ids[j - 1]) << name;
        ASSERT_EQ(a.st.ids[j - 1].find('\t'), std::string::npos) << name;
        ASSERT_EQ(a.st.iyr(j, 1), b.st.iyr(j, 1)) << name << " " << a.st.ids[j - 1];
        ASSERT_EQ(a.st.iyr(j, 2), b.st.iyr(j, 2)) << name << " " << a.st.ids[j - 1];
        for (int k = 1; k <= a.st.iyr(j, 2) - a.st.iyr(j, 1) + 1; ++k)
          ASSERT_EQ(a.st.wrk(k, j), b.st.wrk(k, j)) << name << " " << a.st.ids[j - 1] << " " << k;
      }
      ++files;
    }
  }
  EXPECT_GE(files, 20);
  std::cout << files << " files with tab-separated decade lines compared\n";
}
