// The dialogue layer: prompts and records on the console, answers, pauses, stops and the
// end of the input.
#include "recio/session.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using recio::Layout;
using recio::Session;
using testing_support::Exited;
using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

struct SessionTest : ::testing::Test {
  ScriptConsole con;
  MemoryFileSystem fs;
  Session s{con, fs};
};

TEST_F(SessionTest, PromptStaysOpenAndNextTextFollowsIt) {
  static const Layout prompt =
      Layout::fixed("(1X,'Sequence number (<RET> to DO WHATEVER)',T45,'==> ',$)");
  con.add("");
  s.write(prompt);
  EXPECT_EQ(s.answer(10), std::string(10, ' '));
  s.line(" HASTA LA BYE BYE, BABY!");
  EXPECT_EQ(con.output,
            " Sequence number (<RET> to DO WHATEVER)     ==>  HASTA LA BYE BYE, BABY!\n");
}

TEST_F(SessionTest, LeadingSlashEndsThePromptLine) {
  static const Layout ask = Layout::fixed("(//1X,'FILE NAME TO EXAMINE (/ TO EXIT)',T45,'==> ',$)");
  con.add("missing");
  con.add("/");
  s.write(ask);
  EXPECT_EQ(s.answer_line(), "missing");
  s.write(ask);
  EXPECT_EQ(s.answer(40), "/" + std::string(39, ' '));
  std::string p = " FILE NAME TO EXAMINE (/ TO EXIT)           ==> ";
  EXPECT_EQ(con.output, "\n\n" + p + "\n\n" + p);
}

TEST_F(SessionTest, RecordsAndItems) {
  static const Layout summary = Layout::fixed("(/,1X,I6,' series from',I7,' to',I7,I8,' years')");
  s.write(summary, {3, 1650, 1990, 341});
  s.write(Layout::fixed("(1X,A)"), {"x"});
  EXPECT_EQ(con.output, "\n      3 series from   1650 to   1990     341 years\n x\n");
}

TEST_F(SessionTest, AnswersAreCutAndPadded) {
  con.add("abcdefghijkl");
  con.add("ab");
  con.add("a long file name that is longer than forty characters.rwl");
  EXPECT_EQ(s.answer(10), "abcdefghij");
  EXPECT_EQ(s.answer(4), "ab  ");
  EXPECT_EQ(s.answer_line(), "a long file name that is longer than forty characters.rwl");
  EXPECT_EQ(con.output, "");  // the program writes nothing for an answer
}

TEST_F(SessionTest, EndOfInputAtQuestionRunsActionAndExits1) {
  int runs = 0;
  s.on_input_end([&] { ++runs; });
  try {
    s.answer(10);
    FAIL() << "answer returned at the end of the input";
  } catch (const Exited& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(con.errors, "ringdate: end of input\n");
}

TEST_F(SessionTest, ActionThatAsksAgainDoesNotRecurse) {
  int runs = 0;
  s.on_input_end([&] {
    ++runs;
    s.answer(1);  // meets the end of the input again
  });
  try {
    s.answer_line();
    FAIL();
  } catch (const Exited& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(con.errors, "ringdate: end of input\n");
}

TEST_F(SessionTest, ActionWritesCorrectedFileBeforeExit) {
  ASSERT_TRUE(s.units().open(12, "data_COR", recio::Status::unknown));
  s.on_input_end([&] { s.units().write_line(12, "CORRECTED RING-WIDTH DATA: data"); });
  EXPECT_THROW(s.answer(1), Exited);
  EXPECT_EQ(fs.files["data_COR"], "CORRECTED RING-WIDTH DATA: data\n");
}

TEST_F(SessionTest, PauseWaitsForALineAndSurvivesEndOfInput) {
  con.add("anything");
  s.pause("");
  s.pause(" press return");  // no input left: the wait just ends
  s.line("after");
  EXPECT_EQ(con.output, "\n press return\nafter\n");
  EXPECT_EQ(con.errors, "");
}

TEST_F(SessionTest, StopClosesUnitsAndWritesText) {
  ASSERT_TRUE(s.units().open(12, "out", recio::Status::unknown));
  s.units().write_line(12, "r");
  try {
    s.stop(0, "Sbr TRRW:  Over 25 text lines");
    FAIL();
  } catch (const Exited& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(fs.files["out"], "r\n");
  EXPECT_EQ(con.errors, "Sbr TRRW:  Over 25 text lines\n");
  EXPECT_FALSE(s.units().is_open(12));
}

TEST_F(SessionTest, StopWithoutTextWritesNoErrorLine) {
  EXPECT_THROW(s.stop(), Exited);
  EXPECT_EQ(con.errors, "");
}

TEST_F(SessionTest, StopReportsAFileThatCouldNotBeWritten) {
  ASSERT_TRUE(s.units().open(12, "out", recio::Status::unknown));
  fs.fail_writes = true;
  try {
    s.stop(0);
    FAIL();
  } catch (const Exited& e) {
    EXPECT_NE(e.status, 0);
  }
  EXPECT_EQ(con.errors, "ringdate: could not write out\n");
}

}  // namespace
