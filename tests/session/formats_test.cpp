// Scripted sessions that edit a series and read the corrected file back, for the Tucson,
// compact and CRU formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace session;
using testing_support::compact_header;

std::string example() {
  return testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl");
}

// Picks the series with these answers, then inserts a ring at `year` with side `side` in
// the first pick; plot menus are continued with empty lines.
std::vector<std::string> insert_answers(std::vector<std::string> head, const std::string& year,
                                        const std::string& side) {
  for (const char* a : {"", "", "I", "1"}) head.emplace_back(a);
  head.push_back(year);
  head.push_back(side);
  head.emplace_back("");  // plot options after the edit is drawn
  head.emplace_back("");  // empty selection: exit
  return head;
}

TEST(Formats, InsertedRingReachesTheTucsonCorrectedFile) {
  Workspace w;
  w.write("pine.rwl", example());
  // PIN04A (series 5) misses the ring of 1903: a zero ring before 1904, the earlier part
  // one year earlier.
  const Result r = w.run(insert_answers({"pine.rwl", "", "N", "5", "1", ""}, "1904", "B"));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  // The second listing shows the new first year; the other series keep theirs.
  const std::string again =
      listing({list_row(1, "PIN01A", 1790, 1995), list_row(2, "PIN01B", 1802, 1995),
               list_row(3, "PIN02A", 1781, 1994), list_row(4, "PIN03A", 1835, 1995),
               list_row(5, "PIN04A", 1812, 1995), list_row(6, "PIN05A", 1849, 1995)});
  EXPECT_NE(r.out.find(again), std::string::npos) << r.out;

  std::map<std::pair<std::string, int>, long> in, out;
  for (const Ring& g : tucson_rings(example())) in[{g.id, g.year}] = g.value;
  for (const Ring& g : tucson_rings(w.read("pine.rwl_COR"))) out[{g.id, g.year}] = g.value;
  EXPECT_EQ(out.size(), in.size() + 1);
  for (const auto& [key, v] : in) {
    const auto& [id, year] = key;
    if (id != "PIN04A") {
      EXPECT_EQ(out[key], v) << id << " " << year;
    } else if (year >= 1904) {
      EXPECT_EQ(out[key], v) << year;
    } else {
      EXPECT_EQ((out[{id, year - 1}]), v) << year;
    }
  }
  EXPECT_EQ((out[{"PIN04A", 1903}]), 0);
}

TEST(Formats, CompactFileIsWrittenBackCompact) {
  Workspace w;
  const std::string file =
      "COMPACT TEST FILE\n" + compact_header(5, 1900, "ABC01", -2, "(26F3.0)", "COR") +
      " 12150203 90110\n" + compact_header(12, 1895, "XYZ02", -1, "(40F2.0)", "COR") +
      "101112131415161718192021\n";
  w.write("two.cmp", file);
  // The compact question takes no empty answer.
  Result r = w.run({"two.cmp", "", "x", "y", "N", ""});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string q = "\n" + prompt("KTZ COMPACT FORMAT? Y/N");
  EXPECT_NE(r.out.find(q + q + q), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(list_row(1, "ABC01", 1900, 1904) + list_row(2, "XYZ02", 1895, 1906)),
            std::string::npos)
      << r.out;
  // The series after the first line, as the compact writer writes them.
  const auto cor = lines_of(w.read("two.cmp_COR"));
  const auto in = lines_of(file);
  ASSERT_EQ(cor.size(), in.size());
  EXPECT_EQ(cor[0], pad("CORRECTED RING-WIDTH DATA: two.cmp_COR", 67));
  for (std::size_t i = 1; i < in.size(); ++i) EXPECT_EQ(rtrim(cor[i]), in[i]) << i;

  // An insertion at 1902 with side A: the series ends a year later with a zero ring.
  r = w.run(insert_answers({"two.cmp", "Y", "N", "1", ""}, "1902", "A"));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const auto edited = lines_of(w.read("two.cmp_COR"));
  ASSERT_GE(edited.size(), 3u);
  EXPECT_EQ(rtrim(edited[1]) + "\n", compact_header(6, 1900, "ABC01", -2, "(26F3.0)", "COR"));
  EXPECT_EQ(edited[2], " 12150  0203 90110");
  // Read back by the program in the same format.
  w.write("back.cmp", w.read("two.cmp_COR"));
  r = w.run({"back.cmp", "Y", "N", ""});
  EXPECT_NE(r.out.find(list_row(1, "ABC01", 1900, 1905)), std::string::npos) << r.out;
}

TEST(Formats, CruFileReadsBackToTheSameValues) {
  Workspace w;
  // Values in hundredths, as the CRU reader expects them.
  const std::string file =
      "CRU TEST CHRONOLOGY\n"
      "SITE0116551672\n"
      "SITE0116509990  09990  09990  09990  09990  0 101 12  98 11 100 10 120  9  87  8\n"
      "SITE011660 110  8  95  8 104  8 100  7 121  7  99  7 100  6  90  6 111  5 102  5\n"
      "SITE011670 100  5 103  4 108  49990  09990  09990  09990  09990  09990  09990  0\n";
  w.write("site.cru", file);
  Result r = w.run({"site.cru", "3", "N", ""});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string rows = list_row(1, "SITE01", 1655, 1672);
  EXPECT_NE(r.out.find(rows), std::string::npos) << r.out;
  // The corrected file read in the same format gives the same series, and writing that
  // again gives the same lines: nothing is scaled on the way.
  const std::string first = w.read("site.cru_COR");
  w.write("again.cru", first);
  r = w.run({"again.cru", "3", "N", ""});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find(rows), std::string::npos) << r.out;
  const auto a = lines_of(first), b = lines_of(w.read("again.cru_COR"));
  ASSERT_EQ(a.size(), b.size());
  ASSERT_GE(a.size(), 3u);
  for (std::size_t i = 1; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << i;
  // The header and the values in hundredths.
  EXPECT_EQ(a[1], "SITE0116551672");
  EXPECT_EQ(a[2].substr(10 + 5 * 7, 7), " 101  1");
}

// The example with its decade lines written as a spreadsheet writes them: fields separated
// by tabs, empty trailing fields, CRLF line ends.
std::string example_with_tabs() {
  const auto lines = lines_of(example());
  std::string out = lines.at(0) + "\r\n";
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    int n = 0;
    for (std::string f; in >> f; ++n) out += (n ? "\t" : "") + f;
    for (; n < 12; ++n) out += "\t";
    out += "\r\n";
  }
  return out;
}

TEST(Formats, TabSeparatedFileIsGuessedReadAndWrittenInFixedColumns) {
  Workspace w;
  w.write("pine.rwl", example());
  w.write("pine.tab", example_with_tabs());
  const Result fixed = w.run({"pine.rwl", "", "N", ""});
  const Result tabs = w.run({"pine.tab", "", "N", ""});
  ASSERT_EQ(fixed.status, 0) << fixed.out << fixed.err;
  ASSERT_EQ(tabs.status, 0) << tabs.out << tabs.err;
  // The same guess and the same reading as the file in fixed columns.
  const std::string from = "\n" + prompt("TUCSON MEASUREMENT FORMAT? <Y>/N");
  ASSERT_NE(tabs.out.find(from), std::string::npos) << tabs.out;
  EXPECT_EQ(tabs.out.substr(tabs.out.find(from)), fixed.out.substr(fixed.out.find(from)));
  // The corrected file is in the fixed columns, line for line the one of the fixed file.
  const auto a = lines_of(w.read("pine.rwl_COR")), b = lines_of(w.read("pine.tab_COR"));
  ASSERT_EQ(a.size(), b.size());
  ASSERT_GT(a.size(), 100u);
  for (std::size_t i = 1; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << i;
}

TEST(Formats, AnEditTheStoreCannotHoldIsReportedAndNothingChanges) {
  Workspace w;
  // Two series at the ends of a full 2000-year axis: a ring before year 1 has no room.
  const std::string file =
      "WIDE AXIS TEST\n"
      "AAA1       1   100   100   100   100   100   100   100   100   100\n"
      "AAA1      10   100 -9999\n"
      "BBB1    1991   100   100   100   100   100   100   100   100   100\n"
      "BBB1    2000   100 -9999\n";
  w.write("wide.rwl", file);
  const Result r = w.run(insert_answers({"wide.rwl", "1", "N", "1", ""}, "1", "B"));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string rows = listing({list_row(1, "AAA1", 1, 10), list_row(2, "BBB1", 1991, 2000)});
  EXPECT_NE(r.out.find(" *** The edit could not be carried into the full series: it would not fit "
                       "on the store's "
                       "axis of 2000 years\n" +
                       rows),
            std::string::npos)
      << r.out;
  EXPECT_EQ(tucson_rings(w.read("wide.rwl_COR")), tucson_rings(file));
}

}  // namespace
