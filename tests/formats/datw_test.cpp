#include "formats/datw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "formats/cdf.h"
#include "formats/datr.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

struct Rig {
  Rig() : session(console, fs) {}
  ScriptConsole console;
  MemoryFileSystem fs;
  recio::Session session;

  // The records datw writes for one series.
  std::vector<std::string> write(std::string_view name, const std::vector<float>& v, int32_t ifyr,
                                 std::vector<int32_t>* stored = nullptr) {
    std::vector<int32_t> work(v.size() + 1, -1);
    session.units().open(12, "out.txt", recio::Status::unknown);
    datw(session, name, v, work, static_cast<int32_t>(v.size()), ifyr, 12, kCompactCode);
    session.units().close(12);
    if (stored)
      *stored = std::vector<int32_t>(work.begin(), work.begin() + static_cast<long>(v.size()));
    return recio::split_records(fs.files["out.txt"]);
  }
};

std::string header(const std::string& nfield, const std::string& yfield, const std::string& name,
                   const std::string& e, const std::string& layout) {
  std::string h = nfield + "=N" + yfield + "=I " + name;
  h.resize(68, ' ');
  return h + e + layout + "~ RDT";
}

TEST(Datw, ChoosesWidthAndExponent) {
  struct Case {
    std::vector<float> v;
    std::string e, layout;
    std::vector<int32_t> stored;
    std::vector<std::string> data;
  };
  const Case cases[] = {
      {{0.12f, 1.5f, 2.03f, 0.9f, 1.1f},
       " -2",
       "(26F3.0)",
       {12, 150, 203, 90, 110},
       {" 12150203 90110"}},
      {{0.0f, 0.0f, 0.0f}, "  0", "(80F1.0)", {0, 0, 0}, {"000"}},
      {{-0.5f, 0.25f}, " -2", "(26F3.0)", {-50, 25}, {"-50 25"}},
      {{1234.5f, 2.0f}, " -1", "(16F5.0)", {12345, 20}, {"12345   20"}},
      {{5.0f, 500.0f, 50.0f}, "  0", "(26F3.0)", {5, 500, 50}, {"  5500 50"}},
      // Six digits and a positive exponent.
      {{123456.0f, 1.0f}, "  0", "(13F6.0)", {123456, 1}, {"123456     1"}},
      {{5.0e7f, 1.0e6f}, "  6", "(40F2.0)", {50, 1}, {"50 1"}},
  };
  for (const Case& k : cases) {
    Rig rig;
    std::vector<int32_t> stored;
    std::vector<std::string> lines = rig.write("ABC01", k.v, 1900, &stored);
    ASSERT_EQ(lines.size(), 1 + k.data.size()) << k.layout;
    EXPECT_EQ(lines[0], header(std::string(7, ' ') + std::to_string(k.v.size()), "    1900",
                               "ABC01", k.e, k.layout));
    EXPECT_EQ(stored, k.stored) << k.layout;
    for (std::size_t i = 0; i < k.data.size(); ++i) EXPECT_EQ(lines[1 + i], k.data[i]);
  }
}

TEST(Datw, LinesNameAndEmptySeries) {
  Rig rig;
  EXPECT_TRUE(rig.write("NONE", {}, 1900).empty());

  // 45 values of two digits: 40 to a line, the rest on the last; the name is cut at 40
  // characters and trimmed.
  std::vector<float> v(45, 1.5f);
  std::vector<std::string> lines = rig.write(std::string(45, 'N'), v, -20);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], header("      45", "     -20", std::string(40, 'N'), " -1", "(40F2.0)"));
  std::string fifteens;
  for (int i = 0; i < 40; ++i) fifteens += "15";
  EXPECT_EQ(lines[1], fifteens);
  EXPECT_EQ(lines[2], "1515151515");

  lines = rig.write("  ", {1.0f}, 5);
  EXPECT_EQ(lines[0], header("       1", "       5", "", "  0", "(80F1.0)"));
}

// Series for the round trips: built ones, and real ones from the peer tables when present.
struct Series {
  std::string name;
  int32_t ifyr;
  std::vector<float> v;
};

std::vector<Series> built_series() {
  std::vector<Series> out;
  std::vector<float> wave;
  for (int i = 0; i < 157; ++i)
    wave.push_back(static_cast<float>(std::round(1000 * (1.3 + std::sin(i * 0.37)))) / 1000.0f);
  out.push_back({"WAVE01 thousandths", 1655, wave});
  out.push_back({"NEG", -120, {-0.5f, 0.25f, 0.0f, 1.75f, -3.0f}});
  out.push_back({"BIG", 1, {1234.5f, 2.0f, 99999.0f}});
  out.push_back({"ZEROS", 1990, std::vector<float>(81, 0.0f)});
  return out;
}

std::vector<Series> peer_series() {
  std::vector<Series> out;
  std::string dir = testing_support::shared_dir();
  if (dir.empty()) return out;
  std::ifstream in(dir + "/data/peer/co021-compact-p001.txt.csv");
  std::string row;
  std::vector<std::vector<std::string>> rows;
  while (std::getline(in, row)) {
    if (!row.empty() && row.back() == '\r') row.pop_back();
    std::vector<std::string> cells;
    std::stringstream ss(row);
    std::string c;
    while (std::getline(ss, c, ',')) cells.push_back(c);
    rows.push_back(cells);
  }
  if (rows.size() < 2) return out;
  for (std::size_t j = 1; j < rows[0].size() && out.size() < 6; ++j) {
    Series s{rows[0][j].substr(1, rows[0][j].size() - 2), 0, {}};
    for (std::size_t r = 1; r < rows.size(); ++r) {
      if (j >= rows[r].size() || rows[r][j] == "NA") continue;
      if (s.v.empty()) s.ifyr = std::stoi(rows[r][0]);
      s.v.push_back(std::stof(rows[r][j]));
    }
    out.push_back(s);
  }
  return out;
}

void expect_close(const std::vector<float>& got, const std::vector<float>& want,
                  const std::string& what) {
  ASSERT_GE(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i)
    ASSERT_NEAR(got[i], want[i], 1e-6f + 1e-6f * std::fabs(want[i])) << what << " value " << i + 1;
}

TEST(Datw, RoundTripsThroughBothReaders) {
  std::vector<Series> all = built_series();
  std::vector<Series> peer = peer_series();
  all.insert(all.end(), peer.begin(), peer.end());
  Rig rig;
  rig.session.units().open(12, "out.txt", recio::Status::unknown);
  rig.session.units().write_line(12, "A title line for the file");
  for (const Series& s : all) {
    std::vector<int32_t> work(s.v.size());
    datw(rig.session, s.name, s.v, work, static_cast<int32_t>(s.v.size()), s.ifyr, 12,
         kCompactCode);
  }
  rig.session.units().close(12);

  {
    rig.session.units().open(10, "out.txt", recio::Status::old);
    Cdf cdf(rig.session);
    std::string id(8, ' '), title(80, ' ');
    std::vector<float> vals(2000);
    int32_t ifyr = 0, nval = 0, nread = 0;
    for (const Series& s : all) {
      EXPECT_FALSE(cdf(id, vals, ifyr, nval, nread, 10, 2000, title));
      ASSERT_EQ(nval, static_cast<int32_t>(s.v.size())) << s.name;
      EXPECT_EQ(ifyr, s.ifyr);
      std::string want = s.name.substr(0, 8);
      want.resize(8, ' ');
      EXPECT_EQ(id, want);
      expect_close(vals, s.v, "cdf " + s.name);
    }
    EXPECT_FALSE(cdf(id, vals, ifyr, nval, nread, 10, 2000, title));
    EXPECT_EQ(nval, -999);
    rig.session.units().close(10);
  }
  {
    rig.session.units().open(10, "out.txt", recio::Status::old);
    std::string name(48, ' ');
    std::vector<float> vals(2000);
    int32_t n = 0, ifyr = 0;
    for (const Series& s : all) {
      datr(rig.session, name, n, vals, ifyr, 10);
      ASSERT_EQ(n, static_cast<int32_t>(s.v.size())) << s.name;
      EXPECT_EQ(ifyr, s.ifyr);
      std::string want = s.name;
      want.resize(48, ' ');
      EXPECT_EQ(name, want);
      expect_close(vals, s.v, "datr " + s.name);
    }
    datr(rig.session, name, n, vals, ifyr, 10);
    EXPECT_EQ(n, 0);
  }
  EXPECT_EQ(rig.console.output,
            "\n Title of data:\n A title line for the file" + std::string(55, ' ') + "\n");
  if (peer.empty()) GTEST_SKIP() << "shared data absent: built series only";
}

}  // namespace
}  // namespace ringdate
