#include "main/answers.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using ringdate::blank;
using ringdate::csr;
using ringdate::intfrm;
using ringdate::read_intfrm;
using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

// A text placed so that its first character stands in column `col` after `line`.
std::string at(std::string line, std::size_t col, std::string_view text) {
  line.resize(col - 1, ' ');
  return line + std::string(text);
}

TEST(Intfrm, LeftJustifiesAndBuildsTheWidth) {
  struct Case {
    std::string in, text, layout;
  };
  const Case cases[] = {
      {"   42     ", "42        ", "(I2)      "},
      {"1234567890", "1234567890", "(I10)     "},
      {"          ", "          ", "(I0)      "},
      {"7         ", "7         ", "(I1)      "},
      // The non-blank characters are taken as one run: a blank inside cuts the number.
      {"  1 2     ", "1         ", "(I2)      "},
      {" -3       ", "-3        ", "(I2)      "},
  };
  for (const Case& c : cases) {
    std::string text = c.in, layout(10, 'x');
    intfrm(text, layout);
    EXPECT_EQ(text, c.text) << "'" << c.in << "'";
    EXPECT_EQ(layout, c.layout) << "'" << c.in << "'";
  }
}

TEST(Intfrm, ReadsTheNumberOrFails) {
  struct Case {
    std::string in;
    bool ok;
    int32_t value;
  };
  const Case cases[] = {
      {"42", true, 42}, {"   3", true, 3}, {"-12", true, -12}, {"1234567890", true, 1234567890},
      {"4x", false, 0}, {"H", false, 0},   {"/", false, 0},    {"1.5", false, 0}};
  for (const Case& c : cases) {
    std::string text = c.in, layout(10, ' ');
    text.resize(10, ' ');
    intfrm(text, layout);
    int32_t v = -77;
    EXPECT_EQ(read_intfrm(text, layout, v), c.ok) << c.in;
    EXPECT_EQ(v, c.ok ? c.value : -77) << c.in;
  }
}

TEST(Csr, FindsTheLastNonBlank) {
  int32_t n = -1;
  csr("pine.rwl" + std::string(32, ' '), n, 2, 40);
  EXPECT_EQ(n, 8);
  csr(std::string(40, ' '), n, 2, 40);
  EXPECT_EQ(n, 0);
  csr("a b c", n, 2, 3);  // only the first w characters count
  EXPECT_EQ(n, 3);
  csr("ab", n, 2, 40);  // a field wider than the text: the rest is blank
  EXPECT_EQ(n, 2);
  csr("abc", n, 1, 3);
  EXPECT_EQ(n, 0);
}

TEST(Blank, ClearsTheFieldOnly) {
  std::string f = "abcdef";
  blank(f, 4);
  EXPECT_EQ(f, "    ef");
  blank(f, 0);
  EXPECT_EQ(f, "    ef");
  std::string g;
  blank(g, 3);
  EXPECT_EQ(g, "   ");
}

struct Dialogue {
  explicit Dialogue(std::vector<std::string> answers)
      : console(std::move(answers)), session(console, fs) {}
  ScriptConsole console;
  MemoryFileSystem fs;
  recio::Session session;
};

std::string menu_text() {
  return "\n" + std::string("     Tree-ring measurement types (/ to exit, H for help):\n") +
         at("     Raw measurements  (TUCSON format)", 45, "1\n") +
         at("     Tree-ring indices (TUCSON format)", 45, "2\n") +
         at("     Enter your data format type", 40, "==>  ");
}

TEST(Query, ShowsTheMenuAndTakesChoicesOneToFour) {
  Dialogue d({"3"});
  ringdate::Query query(d.session);
  int32_t choice = 0;
  EXPECT_TRUE(query(choice));
  EXPECT_EQ(choice, 3);
  EXPECT_EQ(d.console.output, menu_text());
}

TEST(Query, AsksAgainSilentlyUntilTheAnswerIsAChoice) {
  Dialogue d({"5", "0", "H", "x", "", "-1", "  4"});
  ringdate::Query query(d.session);
  int32_t choice = 0;
  EXPECT_TRUE(query(choice));
  EXPECT_EQ(choice, 4);
  // Seven menus, nothing else in between.
  std::size_t count = 0;
  for (std::size_t p = 0;
       (p = d.console.output.find("Enter your data format type", p)) != std::string::npos; ++p)
    ++count;
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(d.console.output.find("***"), std::string::npos);
}

TEST(Query, SlashLeavesAtOnce) {
  Dialogue d({"/"});
  ringdate::Query query(d.session);
  int32_t choice = 0;
  EXPECT_FALSE(query(choice));  // the driver ends the program
  EXPECT_EQ(d.console.output.substr(0, menu_text().size()), menu_text());
  EXPECT_EQ(d.console.output.find("Enter your data format type", menu_text().size()),
            std::string::npos);
}

// A measurement decade line: identifier, year and values in six-column fields.
std::string meas_line(int year, int v) {
  std::string l = testing_support::tucson_line(
      "PIN01A", year, {v, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7, v + 8, v + 9});
  l.pop_back();  // the callers add the line end
  return l;
}

char guess_of(const std::string& content, std::string* next_line = nullptr) {
  Dialogue d({});
  d.fs.files["f"] = content;
  EXPECT_TRUE(d.session.units().open(10, "f", recio::Status::old));
  ringdate::Qforma qforma(d.session);
  char guess = '?';
  qforma(10, guess);
  if (next_line) {
    if (d.session.units().read_line(10, *next_line) != recio::Outcome::ok) *next_line = "<eof>";
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
