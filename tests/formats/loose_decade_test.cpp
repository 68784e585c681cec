#include "formats/loose_decade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using ringdate::in_fixed_columns;
using ringdate::read_loose_decade;
using ringdate::reads_in_fixed_measurement_columns;

namespace {

std::vector<int32_t> values_of(const ringdate::LooseDecadeLine& l) {
  return std::vector<int32_t>(l.values.begin(), l.values.begin() + l.count);
}

}  // namespace

TEST(LooseDecade, FieldsSeparatedByTabsAndBlanks) {
  // A spreadsheet line: a first line of 5 values, the empty trailing fields are no values.
  auto l = read_loose_decade("STB01a\t1865\t1431\t1409\t1895\t1849\t1553\t\t\t\t\t");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->id, "STB01a");
  EXPECT_EQ(l->year, 1865);
  EXPECT_EQ(values_of(*l), (std::vector<int32_t>{1431, 1409, 1895, 1849, 1553}));
  EXPECT_EQ(l->values[5], 0);

  // Blanks and tabs mixed, runs of blanks, a blank before a tab, an end marker.
  l = read_loose_decade("107011 1930\t12\t34\t88\t93\t21\t11\t2\t23 \t21\t19");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->id, "107011");
  EXPECT_EQ(l->count, 10);
  EXPECT_EQ(l->values[9], 19);
  l = read_loose_decade("107012 1510\t22\t45\t12\t34  999");
  ASSERT_TRUE(l);
  EXPECT_EQ(values_of(*l), (std::vector<int32_t>{22, 45, 12, 34, 999}));
  l = read_loose_decade("NRP1030e    2010    3345    1148     796    2643   -9999   ");
  ASSERT_TRUE(l);
  EXPECT_EQ(values_of(*l), (std::vector<int32_t>{3345, 1148, 796, 2643, -9999}));

  // Leading blanks, signs, negative years, an identifier of 8 characters.
  l = read_loose_decade("   ABCDEFGH -1234 +5 -7");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->id, "ABCDEFGH");
  EXPECT_EQ(l->year, -1234);
  EXPECT_EQ(values_of(*l), (std::vector<int32_t>{5, -7}));
}

TEST(LooseDecade, AnythingElseIsNoDataLine) {
  for (const char* text : {
           "107 1 TUCSON",                      // a word
           "107 2 ARIZONA\t\tOAK TREE\t8392",   // words, an empty field
           "AB1 1950 1.25 2.5",                 // decimals
           "AB1 1950",                          // no value
           "AB1",                               // no year
           "",                                  //
           " \t \t",                            // separators only
           "AB1 1950 1 2 3 4 5 6 7 8 9 10 11",  // eleven values
           "AB1\t1950\t1\t\t3",                 // an empty field before a value
           "AB1\t1950\t1\t \t3",                // the same with a blank in it
           "\tAB1\t1950\t1",                    // an empty identifier field
           "AB1 19x0 1",                        // a year that is no integer
           "AB1 1950 1- 2",                     // a sign after the digits
           "AB1 1950 - 2",                      // a sign alone
       }) {
    EXPECT_FALSE(read_loose_decade(text)) << '"' << text << '"';
  }
}

TEST(LooseDecade, FieldsMustFitTheirFixedColumns) {
  // Identifier 8 columns, year 4 (6 when negative), value 6.
  EXPECT_TRUE(read_loose_decade("ABCDEFGH 1950 1"));
  EXPECT_FALSE(read_loose_decade("ABCDEFGHI 1950 1"));
  EXPECT_TRUE(read_loose_decade("A 9999 1"));
  EXPECT_FALSE(read_loose_decade("A 10000 1"));
  EXPECT_FALSE(read_loose_decade("A 01950 1"));
  EXPECT_TRUE(read_loose_decade("A -99999 1"));
  EXPECT_FALSE(read_loose_decade("A -100000 1"));
  EXPECT_FALSE(read_loose_decade("A 195000000000 1"));  // a year of 12 digits
  auto l = read_loose_decade("A 1950 999999 -99999");
  ASSERT_TRUE(l);
  EXPECT_EQ(values_of(*l), (std::vector<int32_t>{999999, -99999}));
  EXPECT_FALSE(read_loose_decade("A 1950 1000000"));
  EXPECT_FALSE(read_loose_decade("A 1950 -100000"));
  EXPECT_FALSE(read_loose_decade("A 1950 99999999999999999999999"));  // would overflow
}

TEST(LooseDecade, HostileRecords) {
  // 5000 tabs: trailing ones are nothing, between values they are empty fields.
  const std::string tabs(5000, '\t');
  EXPECT_TRUE(read_loose_decade("A\t1950\t1\t2" + tabs));
  EXPECT_FALSE(read_loose_decade("A\t1950\t1" + tabs + "2"));
  EXPECT_FALSE(read_loose_decade(tabs));
  // A NUL byte or another control character, in any field.
  for (std::string t :
       {std::string("A\0B 1950 1", 10), std::string("AB 19\0 1", 8), std::string("AB 1950 1\0", 10),
        std::string("A\rB 1950 1"), std::string("AB 1950\v1")}) {
    EXPECT_FALSE(read_loose_decade(t)) << t.size();
  }
  // A long record of many fields stops at the twelfth.
  std::string many = "A 1950";
  for (int k = 0; k < 20000; ++k) many += " 1";
  EXPECT_FALSE(read_loose_decade(many));
  // Bytes above 127 in an identifier are kept as they are.
  auto l = read_loose_decade("\xc3\xa9t\xc3\xa9 1950 1");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->id, "\xc3\xa9t\xc3\xa9");
}

TEST(LooseDecade, PlacedInTheFixedColumnsAsTheWriterPlacesThem) {
  auto l = read_loose_decade("STB01a\t1865\t1431\t1409\t1895\t\t");
  ASSERT_TRUE(l);
  std::string want = "STB01a  1865  1431  1409  1895";
  want.resize(80, ' ');
  EXPECT_EQ(in_fixed_columns(*l), want);
  EXPECT_TRUE(reads_in_fixed_measurement_columns(want));

  // The year's width chooses the form: a minus sign in column 8 (5-wide year) or 7 (6-wide,
  // also for -1000); the identifier gives way.
  l = read_loose_decade("ABCDEFGH -1234 100 999999");
  ASSERT_TRUE(l);
  EXPECT_EQ(in_fixed_columns(*l).substr(0, 24), "ABCDEFG-1234   100999999");
  l = read_loose_decade("ABCDEFGH -12345 100");
  ASSERT_TRUE(l);
  EXPECT_EQ(in_fixed_columns(*l).substr(0, 18), "ABCDEF-12345   100");
  l = read_loose_decade("ABCDEFGH -1000 100");
  ASSERT_TRUE(l);
  EXPECT_EQ(in_fixed_columns(*l).substr(0, 18), "ABCDEF -1000   100");
}

TEST(LooseDecade, FixedMeasurementColumns) {
  EXPECT_TRUE(reads_in_fixed_measurement_columns("CAM011  1530   112    94"));
  EXPECT_TRUE(reads_in_fixed_measurement_columns(""));  // a blank line reads as zeros
  EXPECT_TRUE(reads_in_fixed_measurement_columns("ABCDEF-12345   100"));
  EXPECT_FALSE(reads_in_fixed_measurement_columns("STB01a\t1865\t1431\t1409"));
  EXPECT_FALSE(reads_in_fixed_measurement_columns("107 1 TUCSON"));
  // Only the first 80 columns count.
  EXPECT_TRUE(reads_in_fixed_measurement_columns(std::string(80, ' ') + "TEXT"));
}

namespace {

// The plain readings of the two line tests, field by field: the program's versions take
// shortcuts (they run on every line of a file) and must agree with these on every line.
bool plain_separator(char c) { return c == ' ' || c == '\t'; }

// An optionally signed run of digits.
bool all_digits(std::string_view f) {
  std::size_t i = !f.empty() && (f[0] == '-' || f[0] == '+') ? 1 : 0;
  if (i == f.size()) return false;
  for (; i < f.size(); ++i)
    if (f[i] < '0' || f[i] > '9') return false;
  return true;
}

std::optional<std::size_t> plain_glued_line_start(std::string_view record) {
  std::vector<std::size_t> from;
  std::vector<std::string_view> f;
  for (std::size_t i = 0; i < record.size() && f.size() < 40;) {
    while (i < record.size() && plain_separator(record[i])) ++i;
    if (i == record.size()) break;
    const std::size_t start = i;
    while (i < record.size() && !plain_separator(record[i])) ++i;
    from.push_back(start);
    f.push_back(record.substr(start, i - start));
  }
  for (std::size_t k = 2; k + 1 < f.size() && k < 12; ++k) {
    if (f[k] != "999" && f[k] != "-9999") continue;
    if (!all_digits(f[k - 1]) || all_digits(f[k + 1])) continue;
    return from[k + 1];
  }
  return std::nullopt;
}

bool plain_off_fixed_columns(std::string_view line) {
  const std::size_t n = std::min<std::size_t>(line.size(), 72);
  auto field_end = [](std::size_t c) {
    return c < 12 ? std::size_t{12} : 12 + (c - 12) / 6 * 6 + 6;
  };
  std::size_t last_field = 0;
  for (std::size_t i = 0; i < n;) {
    while (i < n && plain_separator(line[i])) ++i;
    if (i == n) break;
    const std::size_t end = field_end(i);
    if (i >= 12 && end == last_field) return true;
    last_field = end;
    while (i < n && !plain_separator(line[i])) ++i;
    if (i > end) return true;
  }
  return false;
}

}  // namespace

// Lines made of blanks, tabs, digits, minus signs and letters, mostly decade lines with
// their fields shifted, split or glued, at every length around the 72 columns looked at.
TEST(LooseDecade, LineTestsAgreeWithTheirPlainReadingOnEveryLine) {
  uint32_t rnd = 2024u;
  auto next = [&](uint32_t m) {
    rnd = rnd * 1103515245u + 12345u;
    return (rnd >> 16) % m;
  };
  int off = 0, glued = 0;
  for (int k = 0; k < 200000; ++k) {
    std::string line;
    if (next(2) == 0) {
      // A decade line, then disturbed in a few places.
      line = "ABC12345" + std::to_string(1000 + next(9000));
      for (int v = 0; v < 10; ++v) {
        std::string x = std::to_string(next(3) == 0 ? 999 : next(1200));
        line += std::string(6 - std::min<std::size_t>(6, x.size()), ' ') + x;
      }
      if (next(4) == 0) line += "  XYZ 1910 12 13";
      for (uint32_t d = next(4); d > 0; --d) {
        const std::size_t at = next(static_cast<uint32_t>(line.size()));
        switch (next(4)) {
          case 0:
            line.insert(at, 1, ' ');
            break;
          case 1:
            line.erase(at, 1);
            break;
          case 2:
            line[at] = '\t';
            break;
          default:
            line[at] = static_cast<char>('0' + next(10));
            break;
        }
      }
    } else {
      static const char alphabet[] = {' ', ' ', ' ', '\t', '9', '9', '1', '0', '-', 'a'};
      const uint32_t len = next(90);
      for (uint32_t i = 0; i < len; ++i) line += alphabet[next(sizeof alphabet)];
    }
    const bool o = ringdate::off_fixed_columns(line, 4);
    ASSERT_EQ(o, plain_off_fixed_columns(line)) << '"' << line << '"';
    const std::optional<std::size_t> g = ringdate::glued_line_start(line);
    ASSERT_EQ(g, plain_glued_line_start(line)) << '"' << line << '"';
    off += o;
    glued += g.has_value();
  }
  // Both answers came up often enough to mean something.
  EXPECT_GT(off, 20000);
  EXPECT_GT(glued, 1000);
}
