// Sessions on a Heidelberg file: the guess and its question, the reading, and the corrected
// file, a Heidelberg file whose series are those of the same session on the Tucson file.
#include "formats/heidelberg.h"

#include <gtest/gtest.h>

#include <cmath>

#include "formats/heidelberg_write.h"
#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace session;

// The example's series as a Heidelberg file, each with a header of its own.
std::string example_as_heidelberg(const std::string& tucson) {
  std::vector<ringdate::fh::Series> series;
  for (const Ring& r : tucson_rings(tucson)) {
    if (series.empty() || series.back().keycode != r.id) {
      series.emplace_back();
      series.back().keycode = r.id;
      series.back().first = r.year;
      series.back().unit = 0.001;  // the example is in thousandths
      series.back().headers = {"KeyCode=" + r.id, "Species=PISY", "Location=Pine Ridge"};
    }
    series.back().values.push_back(static_cast<double>(r.value) / 1000.0);
  }
  return ringdate::fh::write(series);
}

std::vector<Ring> rings_of(const std::vector<ringdate::fh::Series>& series) {
  std::vector<Ring> rings;
  for (const auto& s : series)
    for (std::size_t k = 0; k < s.values.size(); ++k)
      rings.push_back({s.keycode, s.first + static_cast<int>(k), std::lround(s.values[k] * 1000)});
  return rings;
}

TEST(HeidelbergSession, AnInsertGivesTheSeriesOfTheTucsonSession) {
  Workspace w;
  const std::string tucson =
      testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl");
  w.write("pine.rwl", tucson);
  w.write("pine.fh", example_as_heidelberg(tucson));
  const std::vector<std::string> rest = {"N", "5", "1", "", "", "", "I", "1", "1904", "B", "", ""};
  std::vector<std::string> answers = {"pine.rwl", ""};
  answers.insert(answers.end(), rest.begin(), rest.end());
  const Result t = w.run(answers);
  answers[0] = "pine.fh";
  const Result h = w.run(answers);
  ASSERT_EQ(t.status, 0);
  ASSERT_EQ(h.status, 0) << h.err;
  EXPECT_EQ(h.err, "");
  const std::string question = prompt("HEIDELBERG FORMAT? <Y>/N");
  const std::size_t asked = h.out.find(question);
  ASSERT_NE(asked, std::string::npos) << h.out;
  // From the summary line on, the two sessions say the same.
  const std::string sum = summary(6, 1781, 1995);
  ASSERT_EQ(h.out.find(sum), asked + question.size()) << h.out;
  ASSERT_NE(t.out.find(sum), std::string::npos);
  std::string said = h.out.substr(h.out.find(sum));
  for (auto at = said.find("pine.fh"); at != std::string::npos; at = said.find("pine.fh"))
    said.replace(at, 7, "pine.rwl");  // the names of the screen plot files
  EXPECT_EQ(said, t.out.substr(t.out.find(sum)));

  const ringdate::fh::Reading cor = ringdate::fh::read(w.read("pine.fh_COR"));
  ASSERT_FALSE(cor.refusal) << cor.refusal->text();
  ASSERT_EQ(cor.series.size(), 6u);
  EXPECT_EQ(rings_of(cor.series), tucson_rings(w.read("pine.rwl_COR")));
  // Headers kept, years updated: PIN04A now starts in 1812.
  EXPECT_EQ(cor.series[4].keycode, "PIN04A");
  EXPECT_EQ(cor.series[4].header("DateBegin"), "1812");
  EXPECT_EQ(cor.series[4].header("Length"), "184");
  EXPECT_EQ(cor.series[4].header("Species"), "PISY");
  EXPECT_EQ(cor.series[4].header("Location"), "Pine Ridge");
}

TEST(HeidelbergSession, NoAtTheQuestionGoesToTheMenuAndARefusalEnds) {
  Workspace w;
  w.write("bad.fh", "HEADER:\nKeyCode=A\nLength=5\nDATA:Tree\n     1     2\n");
  Result r = w.run({"bad.fh", "N", "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(prompt("HEIDELBERG FORMAT? <Y>/N")), std::string::npos);
  EXPECT_NE(r.out.find("Enter your data format type"), std::string::npos);
  r = w.run({"bad.fh", "", ""});
  EXPECT_NE(r.out.find(" *** Heidelberg series A: Length=5 but the data hold 2 years"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(w.exists("bad.fh_COR"));
}

}  // namespace
