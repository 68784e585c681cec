#include "formats/datar.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tucson_rig.h"

using namespace tucson_test;

namespace {

std::string marker(const std::string& id) {
  std::string l = id;
  l.resize(79, ' ');
  return l + "#\n";
}

std::string header(const char* lead, int n, int first, const char* layout) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%-2.2s%8d  %8d  %s\n", lead, n, first, layout);
  return buf;
}

// `n` values in (10F8.3): 1.001, 1.002, ...
std::string values(int n) {
  std::string out;
  char buf[16];
  for (int i = 1; i <= n; ++i) {
    std::snprintf(buf, sizeof buf, "%8.3f", 1.0 + 0.001 * i);
    out += buf;
    if (i % 10 == 0 || i == n) out += "\n";
  }
  return out;
}

}  // namespace

TEST(Datar, BlockIsOneSeriesInItsOwnLayout) {
  // Called through the Tucson reader, which steps back to the marker line.
  Rig rig;
  std::string f = marker("ABC01") + header("N ", 25, 1900, "(10F8.3)") + values(25) +
                  tucson_series("NEXT", 1650, {100, 200}, 999);
  ASSERT_TRUE(rig.open(f));
  ringdate::Trrw trrw(rig.s);
  int32_t nread = 0;
  Series r = read_one(trrw, nread, "MR");
  EXPECT_EQ(r.id, "ABC01   ");
  EXPECT_EQ(r.ifyr, 1900);
  ASSERT_EQ(r.nval, 25);
  for (int i = 0; i < 25; ++i) EXPECT_NEAR(r.vals[i], 1.0f + 0.001f * (i + 1), 1e-6f);
  EXPECT_EQ(nread, 1);
  // The file position is right after the block.
  Series q = read_one(trrw, nread, "MR");
  EXPECT_EQ(q.id, "NEXT    ");
  EXPECT_EQ(q.nval, 2);
  EXPECT_EQ(rig.con.output, "");
}

TEST(Datar, HeaderAndSkippedLines) {
  // A header line without "N" and two blanks replaces the marker line; lines that are not
  // headers (or lack the parentheses) are skipped without a word.
  Rig rig;
  std::string f = marker("ABC01") + "some remark\n" + header("  ", 3, 1900, "10F8.3") +
                  header("XY", 3, -20, "(3F8.3)") + values(3);
  ASSERT_TRUE(rig.open(f));
  ringdate::Datar datar(rig.s);
  std::string line(80, ' ');
  std::vector<float> v(10, -1.0f);
  int32_t nval = 0, ifyr = 0;
  datar(line, nval, v, ifyr, 10, 10);
  EXPECT_EQ(nval, 3);
  EXPECT_EQ(ifyr, -20);
  EXPECT_EQ(line.substr(0, 10), "XY       3");
  EXPECT_NEAR(v[2], 1.003f, 1e-6f);
  EXPECT_EQ(v[3], -1.0f);
  EXPECT_EQ(rig.con.output, "");

  // No header before the end of the file.
  Rig rig2;
  ASSERT_TRUE(rig2.open(marker("ABC01") + header("N ", 3, 1900, "10F8.3")));
  ringdate::Datar d2(rig2.s);
  nval = 0;
  d2(line, nval, v, ifyr, 10, 10);
  EXPECT_EQ(nval, -999);
}

TEST(Datar, FaultsInTheValues) {
  struct Case {
    std::string body;
    std::string message;
  } cases[] = {
      {header("N ", 12, 1900, "(10F8.3)") + values(10),
       ">> Sbr DATAR:  Unexpected end reading data\n"},
      {header("N ", 3, 1900, "(10F8.3)") + "   1.000     abc   3.000\n",
       ">> Sbr DATAR:  Error reading data\n"},
      {header("N ", 3, 1900, "(10Q8.3)") + values(3), ">> Sbr DATAR:  Error reading data\n"},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.open(marker("ABC01") + c.body));
    ringdate::Datar datar(rig.s);
    std::string line(80, ' ');
    std::vector<float> v(20, -1.0f);
    int32_t nval = 0, ifyr = 0;
    datar(line, nval, v, ifyr, 10, 20);
    EXPECT_EQ(rig.con.output, c.message) << c.body;
    EXPECT_GT(nval, 0);  // the header's count all the same
  }
}

TEST(Datar, CountLargerThanTheBuffer) {
  // The header's count reaches the caller; nothing is stored past the buffer.
  Rig rig;
  ASSERT_TRUE(rig.open(marker("BIG") + header("N ", 30, 1900, "(10F8.3)") + values(30)));
  ringdate::Datar datar(rig.s);
  std::string line(80, ' ');
  std::vector<float> v(5, -1.0f);
  int32_t nval = 0, ifyr = 0;
  datar(line, nval, std::span<float>(v.data(), 4), ifyr, 10, 4);
  EXPECT_EQ(nval, 30);
  EXPECT_NEAR(v[3], 1.004f, 1e-6f);
  EXPECT_EQ(v[4], -1.0f);
}
