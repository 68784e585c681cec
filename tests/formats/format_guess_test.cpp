#include "formats/format_guess.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

// A measurement decade line: identifier, year and values in six-column fields.
std::string meas_line(int year, int v) {
  std::string l = testing_support::tucson_line(
      "PIN01A", year, {v, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7, v + 8, v + 9});
  l.pop_back();  // the callers add the line end
  return l;
}

char guess_of(const std::string& content, std::string* next_line = nullptr) {
  testing_support::ScriptConsole console(std::vector<std::string>{});
  testing_support::MemoryFileSystem fs;
  recio::Session session(console, fs);
  fs.files["f"] = content;
  EXPECT_TRUE(session.units().open(10, "f", recio::Status::old));
  ringdate::Qforma qforma(session);
  char guess = '?';
  qforma(10, guess);
  if (next_line) {
    if (session.units().read_line(10, *next_line) != recio::Outcome::ok) *next_line = "<eof>";
  }
  return guess;
}

TEST(Qforma, GuessesFromTheFirstLines) {
  std::string tucson = "PINE RIDGE SCOTS PINE\n";
  for (int y = 1800; y < 1900; y += 10) tucson += meas_line(y, 120) + "\n";
  EXPECT_EQ(guess_of(tucson), 'M');

  // Line 8 has "9990" in the field from column 18 and a non-blank column 13.
  std::string idx;
  for (int k = 1; k <= 7; ++k) idx += "TEXT LINE\n";
  idx += "ABC   18701000 109990  0\n";
  EXPECT_EQ(guess_of(idx), 'I');

  std::string neither;
  for (int k = 1; k <= 8; ++k) neither += "ABC   1870 1000 10 1000 10 1000 10\n";
  EXPECT_EQ(guess_of(neither), ' ');

  EXPECT_EQ(guess_of("one\ntwo\nthree\n"), ' ');  // fewer than eight lines, no compact mark
  EXPECT_EQ(guess_of(""), ' ');
}

// A Heidelberg file opens with HEADER: or DATA: on its first line with more than blanks;
// the same words further down, or a title that starts with "DATA:", decide nothing.
TEST(Qforma, HeidelbergByItsFirstLine) {
  std::string next;
  EXPECT_EQ(guess_of("HEADER:\r\nKeyCode=A\r\nDATA:Tree\r\n", &next), 'H');
  EXPECT_EQ(next, "KeyCode=A");
  EXPECT_EQ(guess_of("\n   \n data:Chrono\n  100", &next), 'H');
  EXPECT_EQ(guess_of("DATA:\n1\n"), 'H');
  std::string tucson = "DATA: PINE RIDGE\nHEADER:\n";
  for (int y = 1800; y < 1900; y += 10) tucson += meas_line(y, 120) + "\n";
  EXPECT_EQ(guess_of(tucson), 'M');
}

TEST(Qforma, CompactMarksDecideAtOnce) {
  std::string next;
  const std::string rest = "second line\nthird\n";
  EXPECT_EQ(
      guess_of("     5=N    1900=I ABC01" + std::string(44, ' ') + " -2(26F3.0)~\n" + rest, &next),
      'C');
  EXPECT_EQ(next, "second line");  // one line read
  EXPECT_EQ(guess_of("| bar header\n" + rest, &next), 'C');
  EXPECT_EQ(guess_of("old header  @  \n" + rest, &next), 'C');
  EXPECT_EQ(guess_of("title\nsecond ~\n" + rest, &next), 'C');
  EXPECT_EQ(next, "second line");  // two lines read
}

TEST(Qforma, DecadeLinesSeparatedByTabsAreJudgedInTheFixedColumns) {
  auto file = [](const std::string& eighth) {
    std::string f;
    for (int k = 1; k <= 7; ++k)
      f += "A1\t" + std::to_string(1800 + 10 * k) + "\t1431\t1409\t1895\t1849\r\n";
    return f + eighth + "\r\n";
  };
  EXPECT_EQ(guess_of(file("STB01a\t1865\t1431\t1409\t1895\t1849\t1553\t\t\t\t\t")), 'M');
  EXPECT_EQ(guess_of(file("107012 1510\t22\t45\t12\t34  999")), 'M');
  // A value of six digits reaches the first column of its field: no rule decides.
  EXPECT_EQ(guess_of(file("A1\t1650\t100\t123456")), ' ');
  // Words or decimals: no decade line.
  EXPECT_EQ(guess_of(file("107 3 JACKSON\t\t08\t76")), ' ');
  EXPECT_EQ(guess_of(file("A1\t1650\t1.5\t2.5")), ' ');
  // A line that reads in the fixed columns is judged there only (columns 13 and 19 hold
  // digits of fields 8 columns wide).
  EXPECT_EQ(
      guess_of(
          file("NRP1030e    1970    5213    3518    3232    3301    3028    3237    2707    2168")),
      ' ');
}

TEST(Qforma, RealMeasurementFilesAreGuessedTucson) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  for (const char* f :
       {"ca533.rwl", "co021.rwl", "wa082.rwl", "TTHH_raw.txt", "test1.txt",
        "study/MohonkSweetBirchBELE.rwl", "study/ArnotForestNY.rwl", "study/NRP_FAGR.rwl"}) {
    EXPECT_EQ(guess_of(testing_support::slurp(dir + "/data/real/" + f)), 'M') << f;
  }
}

}  // namespace
