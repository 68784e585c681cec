#include "main/pltsty.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::ScriptConsole;

struct Asked {
  Pltset p;
  std::string output;
};

Asked ask(int32_t opt, std::vector<std::string> answers, Pltset p = {}) {
  ScriptConsole con(std::move(answers));
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  pltsty(s, p, opt);
  return {std::move(p), con.output};
}

const std::string pad13(13, ' ');

TEST(Pltsty, DefaultsOfOption99AskNothingAndLeaveTicksAndLimits) {
  Pltset p;
  p.xtick = 7, p.nxsub = 3, p.ymax = 4.5f, p.xmin = 1900;
  Asked a = ask(99, {}, p);
  EXPECT_EQ(a.output, "");
  EXPECT_EQ(a.p.colr(1), 15);
  EXPECT_EQ(a.p.colr(2), 1);
  EXPECT_EQ(a.p.sty(1), 1);
  EXPECT_EQ(a.p.sty(2), 2);
  EXPECT_EQ(a.p.frmcol, 15);
  EXPECT_EQ(a.p.txtcol, 15);
  EXPECT_EQ(a.p.bgr, 254);
  EXPECT_EQ(a.p.bgg, 254);
  EXPECT_EQ(a.p.bgb, 254);
  EXPECT_EQ(a.p.xtick, 7);
  EXPECT_EQ(a.p.nxsub, 3);
  EXPECT_EQ(a.p.ymax, 4.5f);
  EXPECT_EQ(a.p.xmin, 1900);
}

TEST(Pltsty, BackgroundChoices) {
  Pltset start;
  start.bgr = 1, start.bgg = 2, start.bgb = 3;
  struct Row {
    std::vector<std::string> answers;
    int32_t r, g, b;
  };
  const Row rows[] = {
      {{"1"}, 254, 254, 254},
      {{"0"}, 0, 0, 0},
      {{"3"}, 1, 2, 3},
      {{"2", "10", "20", "30"}, 10, 20, 30},
      {{"  2 ,", "10,", " 20 5", "30"}, 10, 20, 30},  // free form: the first number counts
      {{"", "x", "1"}, 254, 254, 254},                // no number: asked again
      {{"2", "300", "-1", "7"}, 300, -1, 7},          // the range is a hint only
  };
  for (const Row& r : rows) {
    Asked a = ask(1, r.answers, start);
    EXPECT_EQ(a.p.bgr, r.r) << r.answers[0];
    EXPECT_EQ(a.p.bgg, r.g) << r.answers[0];
    EXPECT_EQ(a.p.bgb, r.b) << r.answers[0];
  }
  const std::string out = ask(1, {"2", "10", "20", "30"}, start).output;
  EXPECT_NE(out.find("\n" + pad13 + "color table (background only) ____________________________\n" +
                     pad13 + "black(0) white(1)  user defined (2)\n" + pad13 +
                     "___________________________________________________________\n\n\n" + pad13 +
                     "select new background color [0/1/2] : "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(pad13 + "enter red value [0-255] > "), std::string::npos);
  EXPECT_NE(out.find(pad13 + "enter green value [0-255] > "), std::string::npos);
  EXPECT_NE(out.find(pad13 + "enter blue value [0-255] > "), std::string::npos);
  EXPECT_EQ(out.find("color table ___"), std::string::npos);
}

TEST(Pltsty, ColourAndStyleQuestions) {
  struct Row {
    int32_t opt;
    std::string answer;
    std::string prompt;
    int32_t Pltset::*field;  // or null for the colr/sty entries
    int vec;                 // 1: colr, 2: sty
    int entry;
    int32_t want;
  };
  const Row rows[] = {
      {2, "4", "select new frame color [0-15] : ", &Pltset::frmcol, 0, 0, 4},
      {3, " 12", "\n" + pad13 + "select new text color: [0-15] : ", &Pltset::txtcol, 0, 0, 12},
      {4, "7", "select new line color: [0-15] : ", nullptr, 1, 1, 7},
      {5, "9", "select new curve color: [0-15] : ", nullptr, 1, 2, 9},
      {5, "   ", "select new curve color: [0-15] : ", nullptr, 1, 2, 0},       // blank (i4): 0
      {5, "12345", "select new curve color: [0-15] : ", nullptr, 1, 2, 1234},  // 4 columns
      {6, "3", "\n" + pad13 + "select new line style: [0-8] : ", nullptr, 2, 1, 3},
      {7, "12", "\n" + pad13 + "select new curve width: [0-8]  : ", nullptr, 2, 2, 12},
  };
  for (const Row& r : rows) {
    Pltset start;
    start.colr(1) = start.colr(2) = start.sty(1) = start.sty(2) = -5;
    Asked a = ask(r.opt, {r.answer}, start);
    int32_t got = r.field ? a.p.*r.field : (r.vec == 1 ? a.p.colr(r.entry) : a.p.sty(r.entry));
    EXPECT_EQ(got, r.want) << r.opt << " '" << r.answer << "'";
    EXPECT_NE(a.output.find(pad13 + r.prompt.substr(r.prompt[0] == '\n' ? 14 : 0)),
              std::string::npos)
        << a.output;
    if (r.prompt[0] == '\n') {
      EXPECT_NE(a.output.find(r.prompt), std::string::npos) << a.output;
    }
    // The colour table comes first for options 2 to 5 only.
    const bool table = a.output.find("black(15)") != std::string::npos;
    EXPECT_EQ(table, r.opt >= 2 && r.opt <= 5) << r.opt;
    if (table) {
      EXPECT_NE(a.output.find(pad13 +
                              "white(0) red(1)  yellow(2)  green(3)  aquamarine(4) "
                              "pink(5) \n" +
                              pad13 + "wheat(6)  grey(7)  browm(8)  blue(9)  blueviolet(10)\n"),
                std::string::npos);
    }
  }
  // An "(i4)" answer that is not a number is asked again.
  Asked a = ask(4, {"ab", "6"});
  EXPECT_EQ(a.p.colr(1), 6);
}

TEST(Pltsty, TickAndLimitQuestionsShowTheCurrentValue) {
  Pltset start;
  start.xtick = 20, start.nxsub = 10, start.ytick = 0.5f, start.nysub = 4;
  start.ztick = 5, start.nzsub = 5;
  start.xmax = 1990, start.xmin = 1850, start.ymax = 3.5f, start.ymin = 0;
  struct Row {
    int32_t opt;
    std::string shown;
    std::string answer;
  };
  const Row rows[] = {
      {8, "change x axis major tics from:    20.", "25"},
      {9, "change x axis minor tics from:   10", "4"},
      {10, "change y axis major tics from:     0.", "0.25"},
      {11, "change y axis minor tics from:    4", "  3"},
      {12, "change z axis major tics from:     5.", "2.5"},
      {13, "change z axis minor tics from:    5", "2"},
      {14, "change x axis max value from: 1990.000", "2000.5"},
      {15, "change x axis min value from: 1850.000", "1800"},
      {16, "change y axis max value from:    3.500", "5"},
      {17, "change y axis min value from:    0.000", "-1.5"},
  };
  for (const Row& r : rows) {
    Asked a = ask(r.opt, {r.answer}, start);
    EXPECT_NE(a.output.find("\n" + pad13 + r.shown + "\n" + pad13 + "to > "), std::string::npos)
        << a.output;
  }
  Pltset p = start;
  p = ask(8, {"25"}, p).p;
  EXPECT_EQ(p.xtick, 25);
  p = ask(9, {"4"}, p).p;
  EXPECT_EQ(p.nxsub, 4);
  p = ask(10, {"0.25"}, p).p;
  EXPECT_EQ(p.ytick, 0.25f);
  p = ask(11, {"  3"}, p).p;
  EXPECT_EQ(p.nysub, 3);
  p = ask(12, {"2.5"}, p).p;
  EXPECT_EQ(p.ztick, 2.5f);
  p = ask(13, {""}, p).p;  // blank "(i4)": 0
  EXPECT_EQ(p.nzsub, 0);
  p = ask(14, {"2000.5"}, p).p;
  EXPECT_EQ(p.xmax, 2000.5f);
  p = ask(15, {"1800"}, p).p;
  EXPECT_EQ(p.xmin, 1800);
  p = ask(16, {"x", "5"}, p).p;  // not a number: asked again
  EXPECT_EQ(p.ymax, 5);
  p = ask(17, {"-1.5"}, p).p;
  EXPECT_EQ(p.ymin, -1.5f);
  // Other settings are untouched by these questions.
  EXPECT_EQ(p.xtick, 25);
  EXPECT_EQ(p.nxsub, 4);
}

TEST(Pltsty, OtherOptionsDoNothing) {
  for (int32_t opt : {0, 18, 98, 100, -1}) {
    Asked a = ask(opt, {});
    EXPECT_EQ(a.output, "") << opt;
  }
}

}  // namespace
}  // namespace ringdate
