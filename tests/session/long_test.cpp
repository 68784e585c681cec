// Scripted sessions on chronologies longer than 2000 years and files of more than 400
// series: read, detrended, listed, compared, edited and written like any other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace session;

// A series of widths 100 + (year mod 37) hundredths, in decade lines, ended by 999.
std::string series(const std::string& id, int first, int last) {
  std::string out;
  int year = first;
  while (year <= last + 1) {
    char head[16];
    std::snprintf(head, sizeof head, "%-6s%6d", id.c_str(), year);
    out += head;
    const int end = std::min(last + 1, year - ((year % 10) + 10) % 10 + 9);
    for (; year <= end; ++year) {
      char v[16];
      std::snprintf(v, sizeof v, "%6d", year > last ? 999 : 100 + ((year % 37) + 37) % 37);
      out += v;
    }
    out += "\n";
  }
  return out;
}

long width(int year) { return 10L * (100 + ((year % 37) + 37) % 37); }  // thousandths

// The rings of a corrected file (thousandths, -9999 ends a series) read by its blank-separated
// fields, for years of five characters that share the identifier's columns.
std::vector<Ring> rings_by_fields(const std::string& text) {
  std::vector<Ring> out;
  const std::vector<std::string> lines = lines_of(text);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    std::string id;
    int year = 0;
    long v = 0;
    if (!(in >> id >> year)) continue;
    for (int k = 0; in >> v && v != -9999; ++k) out.push_back({id, year + k, v});
  }
  return out;
}

TEST(LongFiles, TenThousandYearsAreComparedEditedAndWritten) {
  Workspace w;
  const std::string text = "TEN THOUSAND YEARS\n" + series("LONG01", -7999, 2000) +
                           series("LATE02", 1500, 2000) + series("EARLY3", -7999, -7000);
  w.write("long.rwl", text);
  // Spline, list, compare series 1 and 2, insert a ring in 1903 of LONG01 moving the years
  // before it, leave.
  const Result r = w.run({"long.rwl", "", "", "1", "2", "", "", "", "I", "1", "1904", "B", "", ""});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(summary(3, -7999, 2000)), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(list_row(1, "LONG01", -7999, 2000)), std::string::npos);
  EXPECT_NE(r.out.find(list_row(1, "LONG01", -8000, 2000)), std::string::npos);  // after it
  EXPECT_EQ(r.out.find("not detrended"), std::string::npos);
  EXPECT_EQ(r.out.find("could not be carried"), std::string::npos);

  // The corrected file: LONG01 a year earlier before 1903, a zero ring there; the others
  // as read.
  std::vector<Ring> want;
  for (int y = -7999; y <= 2000; ++y) {
    if (y == 1903) want.push_back({"LONG01", 1903, 0});
    want.push_back({"LONG01", y <= 1903 ? y - 1 : y, width(y)});
  }
  for (int y = 1500; y <= 2000; ++y) want.push_back({"LATE02", y, width(y)});
  for (int y = -7999; y <= -7000; ++y) want.push_back({"EARLY3", y, width(y)});
  std::vector<Ring> got = rings_by_fields(w.read("long.rwl_COR"));
  std::sort(want.begin(), want.end(), [](const Ring& a, const Ring& b) {
    return a.id != b.id ? a.id < b.id : a.year < b.year;
  });
  std::sort(got.begin(), got.end(), [](const Ring& a, const Ring& b) {
    return a.id != b.id ? a.id < b.id : a.year < b.year;
  });
  EXPECT_TRUE(got == want) << got.size() << " rings, want " << want.size();
}

TEST(LongFiles, FiveHundredSeriesAreListedAndThe450thEdited) {
  Workspace w;
  std::string text = "FIVE HUNDRED SERIES\n";
  for (int j = 1; j <= 500; ++j) text += series("S" + std::to_string(j), 1800 + j % 50, 1990);
  w.write("many.rwl", text);
  const Result r =
      w.run({"many.rwl", "", "N", "450", "1", "", "", "", "I", "1", "1900", "B", "", ""});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(summary(500, 1800, 1990)), std::string::npos);
  EXPECT_NE(r.out.find(list_row(500, "S500", 1800, 1990)), std::string::npos);
  EXPECT_NE(r.out.find(list_row(450, "S450", 1799, 1990)), std::string::npos);  // after it
  // S450 a year earlier before 1899, a zero ring there; every other series as read.
  std::vector<Ring> want;
  for (const Ring& ring : tucson_rings(text)) {
    if (ring.id != "S450") {
      want.push_back(ring);
    } else {
      if (ring.year == 1900) want.push_back({"S450", 1899, 0});
      want.push_back({"S450", ring.year <= 1899 ? ring.year - 1 : ring.year, ring.value});
    }
  }
  std::vector<Ring> got = tucson_rings(w.read("many.rwl_COR"));
  auto order = [](const Ring& a, const Ring& b) {
    return a.id != b.id ? a.id < b.id : a.year < b.year;
  };
  std::sort(want.begin(), want.end(), order);
  std::sort(got.begin(), got.end(), order);
  EXPECT_TRUE(got == want) << got.size() << " rings, want " << want.size();
}

// The longest real chronology (311 series, ST850A in two pieces, -2649 to 2005) is read and written
// back with every ring, as a file within 2000 years is.
TEST(LongFiles, Ca667IsListedAndWrittenWithTheSameValues) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  Workspace w;
  w.link("ca667.rwl", dir + "/data/real/ca667.rwl");
  const Result r = w.run({"ca667.rwl", "", "", ""});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(summary(311, -2649, 2005)), std::string::npos) << r.out.substr(0, 3000);
  EXPECT_EQ(r.out.find("not detrended"), std::string::npos);
  EXPECT_EQ(tucson_rings(w.read("ca667.rwl_COR")),
            tucson_rings(testing_support::slurp(dir + "/data/real/ca667.rwl")));
}

}  // namespace
