// How a session ends when it is cut short: a signal (the terminal closed, kill, Ctrl-C,
// Ctrl-\) keeps the corrections carried so far exactly as a normal end keeps them, and the
// program then ends with the signal's status.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace session;

std::string example() {
  return testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl");
}

// PIN04A and PIN01A compared, the missing ring of 1903 inserted into PIN04A (side B) and
// carried into the series: the listing stands again and the program waits for a pick.
const std::vector<std::string> insert_carried = {"pine.rwl", "",  "N", "5",    "1", "", "",
                                                 "",         "I", "1", "1904", "B", ""};

const std::string seq_prompt = "Sequence number (<RET> to DO WHATEVER)";

// The corrected file a normal end writes after the insert.
std::string corrected_by_normal_end() {
  Workspace w;
  w.write("pine.rwl", example());
  std::vector<std::string> answers = insert_carried;
  answers.push_back("");  // no more picks: the normal end
  const Result r = w.run(answers);
  EXPECT_EQ(r.status, 0);
  return w.read("pine.rwl_COR");
}

TEST(Ending, ASignalKeepsTheCarriedCorrectionsAndEndsWithItsStatus) {
  const std::string want = corrected_by_normal_end();
  ASSERT_FALSE(want.empty());
  for (const int sig : {SIGHUP, SIGTERM, SIGINT, SIGQUIT}) {
    SCOPED_TRACE(sig);
    Workspace w;
    w.write("pine.rwl", example());
    Interactive p(w.path("."), "");
    for (const std::string& a : insert_carried) p.send(a);
    // The listing after the carried edit, and the pick prompt after it.
    ASSERT_TRUE(p.wait_for(seq_prompt, 4)) << p.output();
    p.signal(sig);
    EXPECT_EQ(p.finish(), 128 + sig);
    EXPECT_EQ(w.read("pine.rwl_COR"), want);
    EXPECT_NE(w.read(".stderr").find("ringdate: ended by signal"), std::string::npos);
    EXPECT_FALSE(w.exists("core"));
  }
}

// The input ends at the plot menu drawn after the insert was posted: the edit is carried
// into the series before the corrected file is written, as leaving the comparison does.
TEST(Ending, TheEndOfInputCarriesAnEditPostedInTheComparison) {
  const std::string want = corrected_by_normal_end();
  ASSERT_FALSE(want.empty());
  Workspace w;
  w.write("pine.rwl", example());
  std::vector<std::string> answers = insert_carried;
  answers.pop_back();  // the input ends before the plot menu's answer
  const Result r = w.run(answers);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(w.read("pine.rwl_COR"), want);
}

TEST(Ending, ASignalBeforeAnyCorrectionLeavesAnEarlierCorrectedFile) {
  Workspace w;
  w.write("pine.rwl", example());
  w.write("pine.rwl_COR", "EARLIER CORRECTIONS\n");
  Interactive p(w.path("."), "");
  for (const char* a : {"pine.rwl", "", "N"}) p.send(a);
  ASSERT_TRUE(p.wait_for(seq_prompt, 1)) << p.output();
  p.signal(SIGTERM);
  EXPECT_EQ(p.finish(), 128 + SIGTERM);
  EXPECT_EQ(w.read("pine.rwl_COR"), "EARLIER CORRECTIONS\n");
  // Without an earlier one, the file is written as a normal end writes it.
  Workspace fresh;
  fresh.write("pine.rwl", example());
  Interactive q(fresh.path("."), "");
  for (const char* a : {"pine.rwl", "", "N"}) q.send(a);
  ASSERT_TRUE(q.wait_for(seq_prompt, 1)) << q.output();
  q.signal(SIGHUP);
  EXPECT_EQ(q.finish(), 128 + SIGHUP);
  Workspace normal;
  normal.write("pine.rwl", example());
  EXPECT_EQ(normal.run({"pine.rwl", "", "N", ""}).status, 0);
  EXPECT_EQ(fresh.read("pine.rwl_COR"), normal.read("pine.rwl_COR"));
}

}  // namespace
