#include "formats/rinfrn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

struct Rig {
  explicit Rig(const std::string& content) : session(console, fs) {
    fs.files["data.crn"] = content;
    EXPECT_TRUE(session.units().open(10, "data.crn", recio::Status::old));
  }
  ScriptConsole console{{""}};
  MemoryFileSystem fs;
  recio::Session session;
  Rinfrn rinfrn{session};

  std::string id = std::string(8, ' ');
  std::string title = std::string(80, ' ');
  std::vector<float> vals = std::vector<float>(2000, -7.0f);
  std::vector<int32_t> icnt = std::vector<int32_t>(10000, -7);
  int32_t ifyr = 0, nval = 0, nread = 0;
  // Reads one series; a refusal is shown on the console as the dialogue shows it.
  Refused operator()() {
    Refused r = rinfrn(id, ifyr, nval, vals, icnt, nread, 10, title, 2000);
    if (r) show(session, *r);
    return r;
  }
};

std::string pad(std::string s, std::size_t n = 80) {
  s.resize(n, ' ');
  return s;
}

std::string cru(const std::string& id, int32_t first, const std::vector<int>& v,
                const std::vector<int>& c) {
  return testing_support::cru_series(id, first, v, c);
}

TEST(Rinfrn, ReadsSeriesWhereverTheirDecadesStart) {
  struct Case {
    int32_t first;
    int count;
  };
  const Case cases[] = {{1655, 48}, {1650, 10}, {-5, 12}, {-10, 3}, {1999, 1}};
  for (const Case& k : cases) {
    std::vector<int> v, c;
    for (int i = 0; i < k.count; ++i) {
      v.push_back(50 + i);
      c.push_back(1 + i % 7);
    }
    Rig r(cru("ABC123", k.first, v, c));
    EXPECT_FALSE(r());
    EXPECT_EQ(r.nval, k.count) << k.first;
    EXPECT_EQ(r.nread, 1);
    EXPECT_EQ(r.ifyr, k.first);
    EXPECT_EQ(r.id, "ABC123  ");
    for (int i = 0; i < k.count; ++i) {
      EXPECT_FLOAT_EQ(r.vals[i], (50 + i) * 0.01f) << k.first << " " << i;
      EXPECT_EQ(r.icnt[i], 1 + i % 7) << k.first << " " << i;
    }
    EXPECT_FALSE(r());
    EXPECT_EQ(r.nval, -999);
    EXPECT_EQ(r.nread, -999);
    EXPECT_EQ(r.console.output, "");
  }
}

TEST(Rinfrn, ValueFieldsInHundredthsOrAsWritten) {
  std::string line = pad("XYZ   1650", 10);
  for (const char* pair : {"  98", "  3", " 1.5", "  2", "    ", "  1", "  .5", " 10"})
    line += pair;
  Rig r("XYZ   16501653\n" + line + "\n");
  EXPECT_FALSE(r());
  ASSERT_EQ(r.nval, 4);
  EXPECT_FLOAT_EQ(r.vals[0], 0.98f);
  EXPECT_FLOAT_EQ(r.vals[1], 1.5f);
  EXPECT_FLOAT_EQ(r.vals[2], 0.0f);
  EXPECT_FLOAT_EQ(r.vals[3], 0.5f);
  EXPECT_EQ(r.icnt[3], 10);
}

TEST(Rinfrn, TitleLinesAndBlankLines) {
  // The first text line is the title, the next four pass silently; blank lines are no
  // headers (they would otherwise read as year 0) and are skipped without being counted.
  std::string series = cru("S1", 1900, {100, 101}, {1, 1});
  Rig r("CRU index file\n\nsecond text\nthird text\n\n  \nfourth text\nfifth text\n" + series +
        "\n\n" + cru("S2", 1901, {99}, {2}));
  EXPECT_FALSE(r());
  EXPECT_EQ(r.nval, 2);
  EXPECT_EQ(r.title, pad("CRU index file"));
  EXPECT_EQ(r.console.output, "\n Title of data:\n " + pad("CRU index file") + "\n");
  EXPECT_FALSE(r());
  EXPECT_EQ(r.nval, 1);
  EXPECT_EQ(r.ifyr, 1901);
  EXPECT_EQ(r.id, "S2      ");
  EXPECT_EQ(r.title, pad(""));
  EXPECT_FLOAT_EQ(r.vals[0], 0.99f);

  Rig six("title line 1\ntitle line 2\ntitle line 3\ntitle line 4\ntitle line 5\ntitle line 6\n" +
          series);
  const Refused refused = six();
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->kind, RefusalKind::cru_text_lines);
  EXPECT_EQ(six.console.output, "\n Title of data:\n " + pad("title line 1") +
                                    "\n\n  *** TOO MANY READ ERRORS IN RINFRN\n \n");
}

TEST(Rinfrn, TroubleInTheDataLinesRefusesTheFile) {
  std::string bad = cru("BAD001", 1650, std::vector<int>(12, 100), std::vector<int>(12, 1));
  std::size_t at = bad.find('\n') + 1 + 10 + 7 * 3 + 1;  // a value field on the first data line
  bad[at] = 'x';
  std::string first_line = bad.substr(bad.find('\n') + 1, 80);
  struct Case {
    const char* what;
    std::string file;
    std::string shown;  // the line after "Line: "
  };
  std::string cut = cru("CUT001", 1650, std::vector<int>(25, 100), std::vector<int>(25, 1));
  cut = cut.substr(0, cut.rfind('\n', cut.size() - 2) + 1);  // the last decade line is missing
  std::string last_kept = cut.substr(cut.rfind('\n', cut.size() - 2) + 1);
  last_kept.pop_back();
  const Case cases[] = {
      {"letter in a value", bad, first_line},
      {"end of file among the data lines", cut, last_kept},
      {"end of file right after the header", "HDR001 1650 1660\n", "HDR001 1650 1660"},
  };
  for (const Case& k : cases) {
    Rig r(k.file);
    const Refused refused = r();
    ASSERT_TRUE(refused) << k.what;
    EXPECT_EQ(refused->kind, RefusalKind::cru_data) << k.what;
    std::string id6 = k.file.substr(0, 6);
    EXPECT_EQ(r.console.output,
              " \n *** Error reading tree-ring data in UEA CRU data format: Series " + id6 +
                  "\n Line: " + pad(k.shown) + "\n \n")
        << k.what;
  }
}

TEST(Rinfrn, NeverStoresPastTheBuffers) {
  std::vector<int> v(40, 120), c(40, 3);
  v[4] = 140;
  Rig r(cru("LONG01", 1655, v, c));
  r.vals.assign(5, 0.0f);
  r.icnt.assign(3, 0);
  EXPECT_FALSE(r());
  EXPECT_EQ(r.nval, 40);  // the true count, for the caller's length test
  EXPECT_FLOAT_EQ(r.vals[4], 1.4f);
  EXPECT_EQ(r.icnt[2], 3);
}

// A real chronology (the peer table's indices and sample depths) written as a CRU file in
// hundredths reads back to the same values and counts.
TEST(Rinfrn, RealChronologyReadsBack) {
  std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "shared data absent";
  std::ifstream in(dir + "/data/peer/co021-spline32.crn.csv");
  std::string row;
  std::getline(in, row);
  int32_t first = 0;
  std::vector<int> v, c;
  while (std::getline(in, row)) {
    std::stringstream ss(row);
    std::string year, index, depth;
    std::getline(ss, year, ',');
    std::getline(ss, index, ',');
    std::getline(ss, depth, ',');
    if (index == "NA") continue;
    if (v.empty()) first = std::stoi(year);
    v.push_back(static_cast<int>(std::lround(std::stod(index) * 100)));
    c.push_back(std::stoi(depth));
  }
  ASSERT_GT(v.size(), 100u);
  Rig r("co021 chronology\n" + cru("co021", first, v, c));
  EXPECT_FALSE(r());
  ASSERT_EQ(r.nval, static_cast<int32_t>(v.size()));
  EXPECT_EQ(r.ifyr, first);
  for (std::size_t i = 0; i < v.size(); ++i) {
    ASSERT_FLOAT_EQ(r.vals[i], static_cast<float>(v[i]) * 0.01f) << i;
    ASSERT_EQ(r.icnt[i], c[i]) << i;
  }
}

}  // namespace
}  // namespace ringdate
