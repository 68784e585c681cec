#include "formats/cdf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

// A session with one data file open on unit 10.
struct Rig {
  explicit Rig(const std::string& content) : session(console, fs) {
    fs.files["data.txt"] = content;
    EXPECT_TRUE(session.units().open(10, "data.txt", recio::Status::old));
  }
  ScriptConsole console{{"", "", ""}};
  MemoryFileSystem fs;
  recio::Session session;
};

std::string pad(std::string s, std::size_t n = 80) {
  s.resize(n, ' ');
  return s;
}

// A header in the fixed columns, as the writer lays it out.
std::string header(const std::string& nfield, const std::string& yfield, const std::string& name,
                   const std::string& e, const std::string& layout) {
  std::string h = nfield + "=N" + yfield + "=I " + name;
  h = pad(h, 68) + e + layout + "~ RDT";
  return h;
}

struct Call {
  std::string id = std::string(8, ' ');
  std::vector<float> vals = std::vector<float>(2000, -7.0f);
  int32_t ifyr = 0, nval = 0, nread = 0;
  std::string title = std::string(80, ' ');
  // Reads one series; a refusal is shown on the session's console as the dialogue shows it.
  Refused operator()(Cdf& cdf, int32_t maxlen = 2000) {
    Refused r = cdf(id, vals, ifyr, nval, nread, 10, maxlen, title);
    if (r) show(*session, *r);
    return r;
  }
  recio::Session* session = nullptr;
};

TEST(Cdf, ReadsSeriesAfterTitleWithExponents) {
  std::string file = "Site XYZ ring widths\n" +
                     header("       5", "    1900", "ABC01", " -2", "(26F3.0)") + "\n" +
                     " 12150203 90110\n" +
                     header("       3", "   -1850", "A_NAME_LONGER_THAN_8", "  2", "(13F6.0)") +
                     "\n" + "     5    -1     0\n" +
                     header("       2", "    1000", "Z", "  0", "(20F4.0)") + "\n" + "  17 -23\n";
  Rig rig(file);
  Cdf cdf(rig.session);
  Call c;
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 5);
  EXPECT_EQ(c.nread, 1);
  EXPECT_EQ(c.ifyr, 1900);
  EXPECT_EQ(c.id, "ABC01   ");
  EXPECT_EQ(c.title, pad("Site XYZ ring widths"));
  const float want[] = {0.12f, 1.5f, 2.03f, 0.9f, 1.1f};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(c.vals[i], want[i]) << i;
  EXPECT_EQ(rig.console.output, "\n Title of data:\n " + pad("Site XYZ ring widths") + "\n");

  EXPECT_FALSE(
      c(cdf));  // positive exponent, a name cut to 8, a negative year; title only with the first
  EXPECT_EQ(c.nval, 3);
  EXPECT_EQ(c.nread, 2);
  EXPECT_EQ(c.ifyr, -1850);
  EXPECT_EQ(c.id, "A_NAME_L");
  EXPECT_EQ(c.title, pad(""));
  EXPECT_FLOAT_EQ(c.vals[0], 500.0f);
  EXPECT_FLOAT_EQ(c.vals[1], -100.0f);
  EXPECT_FLOAT_EQ(c.vals[2], 0.0f);

  EXPECT_FALSE(c(cdf));  // exponent 0 keeps the integers
  EXPECT_EQ(c.nval, 2);
  EXPECT_FLOAT_EQ(c.vals[0], 17.0f);
  EXPECT_FLOAT_EQ(c.vals[1], -23.0f);

  std::string before = rig.console.output;
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, -999);
  EXPECT_EQ(c.nread, -999);
  EXPECT_EQ(rig.console.output, before);
}

TEST(Cdf, ColumnOneIsNotPartOfTheCount) {
  Rig rig(header("10000002", "    1900", "X", " -1", "(26F3.0)") + "\n  5  7\n");
  Cdf cdf(rig.session);
  Call c;
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 2);
  EXPECT_FLOAT_EQ(c.vals[1], 0.7f);
}

TEST(Cdf, UnreadableLinesBeforeAHeader) {
  // The first is the title, the second and third are echoed, the series is read.
  Rig rig("title 1\nnot=a header\nxx 3\n" + header("       1", "    1700", "S", "  0", "(13F6.0)") +
          "\n    42\n");
  Cdf cdf(rig.session);
  Call c;
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 1);
  EXPECT_FLOAT_EQ(c.vals[0], 42.0f);
  EXPECT_EQ(rig.console.output, "\n Title of data:\n " + pad("title 1") + "\n " +
                                    pad("not=a header") + "\n " + pad("xx 3") + "\n");

  // A fourth ends the program with the header message.
  Rig bad("title a\ntitle b\ntitle c\nd line\n");
  Cdf cdf2(bad.session);
  Call c2{.session = &bad.session};
  c2.ifyr = 1234;
  c2.nval = 7;
  const Refused r = c2(cdf2);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, RefusalKind::compact_header);
  std::string tail = "\n *** Header line read error in Sbr CDF: \n" + std::string(10, ' ') +
                     "  1234" + "     7" + std::string(10, ' ') + "\n " + pad("d line") + "\n \n";
  ASSERT_GE(bad.console.output.size(), tail.size());
  EXPECT_EQ(bad.console.output.substr(bad.console.output.size() - tail.size()), tail);
}

TEST(Cdf, BlankLinesBetweenSeriesAreSkipped) {
  Rig rig("\n" + header("       1", "    1700", "S", "  0", "(13F6.0)") + "\n    42\n\n   \n" +
          header("       1", "    1701", "T", "  0", "(13F6.0)") + "\n    43\n\n");
  Cdf cdf(rig.session);
  Call c;
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 1);
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 1);
  EXPECT_EQ(c.ifyr, 1701);
  EXPECT_FLOAT_EQ(c.vals[0], 43.0f);
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, -999);
  EXPECT_EQ(rig.console.output, "");
}

TEST(Cdf, LengthLimit) {
  std::string data;
  for (int i = 0; i < 100; ++i)
    data += std::string(80, '1') + "\n";  // 2000 values of 1 in (80F1.0)
  {
    Rig rig(header("    2000", "       1", "LONG", "  0", "(80F1.0)") + "\n" + data);
    Cdf cdf(rig.session);
    Call c;
    EXPECT_FALSE(c(cdf));
    EXPECT_EQ(c.nval, 2000);
    EXPECT_FLOAT_EQ(c.vals[1999], 1.0f);
  }
  {
    Rig rig(header("    2001", "       1", "LONG", "  0", "(80F1.0)") + "\n" + data + "1\n");
    Cdf cdf(rig.session);
    Call c{.session = &rig.session};
    const Refused r = c(cdf);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->kind, RefusalKind::compact_too_long);
    EXPECT_EQ(rig.console.output,
              "\n *** Series length exceeds maximum allowable length: LONG      2001 > 2000\n \n");
    EXPECT_FLOAT_EQ(c.vals[0], -7.0f);  // nothing was read
  }
  {
    // A caller's array shorter than the limit is never written past its end.
    Rig rig(header("       5", "       1", "S", "  0", "(80F1.0)") + "\n12345\n");
    Cdf cdf(rig.session);
    Call c;
    c.vals.assign(3, 0.0f);
    EXPECT_FALSE(c(cdf));
    EXPECT_EQ(c.nval, 5);
    EXPECT_FLOAT_EQ(c.vals[2], 3.0f);
  }
}

TEST(Cdf, FailuresInsideASeriesRefuseTheFile) {
  struct Case {
    const char* what;
    std::string file;
    std::string message;
    RefusalKind kind;
  };
  std::string h = header("       3", "    1900", "ABC01", " -2", "(26F3.0)");
  const Case cases[] = {
      {"letter in a value", h + "\n 12 1x 13\n",
       "\n *** Error reading data in Sbr CDF: \n ABC01      1900     3  (26F3.0)\n " +
           pad(" 12 1x 13") + "\n \n",
       RefusalKind::compact_data},
      {"end of file inside the data lines",
       header("      30", "    1900", "ABC01", " -2", "(26F3.0)") + "\n" + std::string(78, '1') +
           "\n",
       "\n *** Unexpected end of data in Sbr CDF: \n ABC01      1900    30  (26F3.0)\n " +
           pad(std::string(78, '1')) + "\n \n",
       RefusalKind::compact_data_end},
      {"end of file right after the header", h + "\n",
       "\n *** Unexpected end of data in Sbr CDF: \n ABC01      1900     3  (26F3.0)\n " + pad(h) +
           "\n \n",
       RefusalKind::compact_data_end},
      {"exponent not an integer",
       header("       3", "    1900", "ABC01", " -x", "(26F3.0)") + "\n 12\n",
       "\n *** Exponent read error in Sbr CDF: \n ABC01      1900     3  (26F3.0)\n " +
           pad(header("       3", "    1900", "ABC01", " -x", "(26F3.0)")) + "\n \n",
       RefusalKind::compact_exponent},
      {"layout that is not one",
       header("       3", "    1900", "ABC01", " -2", "26F3.0  ") + "\n 12\n",
       "\n *** Error reading data in Sbr CDF: \n ABC01      1900     3  26F3.0  \n " +
           pad(header("       3", "    1900", "ABC01", " -2", "26F3.0  ")) + "\n \n",
       RefusalKind::compact_data},
  };
  for (const Case& k : cases) {
    Rig rig(k.file);
    Cdf cdf(rig.session);
    Call c{.session = &rig.session};
    const Refused r = c(cdf);
    ASSERT_TRUE(r) << k.what;
    EXPECT_EQ(r->kind, k.kind) << k.what;
    EXPECT_EQ(rig.console.output, k.message) << k.what;
  }
}

TEST(Cdf, HeadersWrittenFromColumnOne) {
  std::string file;
  file = pad("3=N 1530=I CAM011", 68) + " -2(26F3.0)~\n104 89103\n" +
         pad("3=N -12=I ANAMEOVER8", 68) + "  0(13F6.0)~\n" + "     1     2     3\n" +
         // Marked "~" but readable neither way: a title line as before.
         pad("no signs here", 68) + "  0(13F6.0)~\n" +
         header("       1", "    1700", "S", "  0", "(13F6.0)") + "\n    42\n";
  Rig rig(file);
  Cdf cdf(rig.session);
  Call c;
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 3);
  EXPECT_EQ(c.ifyr, 1530);
  EXPECT_EQ(c.id, "CAM011  ");
  EXPECT_FLOAT_EQ(c.vals[0], 1.04f);
  EXPECT_FLOAT_EQ(c.vals[1], 0.89f);
  EXPECT_FLOAT_EQ(c.vals[2], 1.03f);
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.nval, 3);
  EXPECT_EQ(c.ifyr, -12);
  EXPECT_EQ(c.id, "ANAMEOVE");
  EXPECT_FLOAT_EQ(c.vals[2], 3.0f);
  EXPECT_FALSE(c(cdf));
  EXPECT_EQ(c.ifyr, 1700);
  EXPECT_EQ(c.title, pad("no signs here", 68) + "  0(13F6.0)~");
  EXPECT_EQ(rig.console.output, "\n Title of data:\n " + c.title + "\n");
}

// The peer files: every series must read to the values of the table beside the file.
struct Table {
  std::vector<std::string> names;
  std::vector<int32_t> years;
  std::vector<std::vector<double>> cols;  // NaN where a series has no value
};

Table read_csv(const std::string& path) {
  Table t;
  std::ifstream in(path);
  std::string row;
  auto split = [](const std::string& r) {
    std::vector<std::string> out;
    std::stringstream ss(r);
    std::string cell;
    while (std::getline(ss, cell, ',')) {
      if (!cell.empty() && cell.back() == '\r') cell.pop_back();
      if (cell.size() >= 2 && cell.front() == '"') cell = cell.substr(1, cell.size() - 2);
      out.push_back(cell);
    }
    return out;
  };
  std::getline(in, row);
  std::vector<std::string> head = split(row);
  t.names.assign(head.begin() + 1, head.end());
  t.cols.resize(t.names.size());
  while (std::getline(in, row)) {
    std::vector<std::string> cells = split(row);
    if (cells.empty()) continue;
    t.years.push_back(std::stoi(cells[0]));
    for (std::size_t j = 0; j < t.names.size(); ++j) {
      const std::string& v = j + 1 < cells.size() ? cells[j + 1] : "NA";
      t.cols[j].push_back(v == "NA" ? std::nan("") : std::stod(v));
    }
  }
  return t;
}

TEST(Cdf, PeerCompactFilesReadToTheirTables) {
  std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "shared data absent";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir + "/data/peer")) {
    std::string path = entry.path().string();
    if (path.find("-compact-") == std::string::npos || entry.path().extension() != ".txt") continue;
    ++files;
    SCOPED_TRACE(path);
    Table t = read_csv(path + ".csv");
    Rig rig(testing_support::slurp(path));
    Cdf cdf(rig.session);
    Call c;
    std::size_t series = 0;
    for (;;) {
      EXPECT_FALSE(c(cdf));
      if (c.nval < 0) break;
      ASSERT_LT(series, t.names.size());
      EXPECT_EQ(c.id, pad(t.names[series], 8));
      const std::vector<double>& col = t.cols[series];
      // The table's non-missing years are exactly the series' years.
      std::size_t first = 0;
      while (first < col.size() && std::isnan(col[first])) ++first;
      ASSERT_LT(first, col.size());
      EXPECT_EQ(c.ifyr, t.years[first]);
      std::size_t count = 0;
      for (double v : col) count += std::isnan(v) ? 0 : 1;
      ASSERT_EQ(static_cast<std::size_t>(c.nval), count);
      for (int32_t i = 0; i < c.nval; ++i) {
        double want = col[first + static_cast<std::size_t>(i)];
        ASSERT_NEAR(c.vals[static_cast<std::size_t>(i)], want, 1e-6 + 1e-6 * std::fabs(want))
            << t.names[series] << " year " << c.ifyr + i;
      }
      ++series;
    }
    EXPECT_EQ(series, t.names.size());
    EXPECT_EQ(rig.console.output, "");
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace ringdate
