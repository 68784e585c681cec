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

}  // namespace
