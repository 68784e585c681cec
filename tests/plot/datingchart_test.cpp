#include "plot/datingchart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/recording_plotter.h"

namespace ringdate {
namespace {

std::vector<std::string> starting_with(const std::vector<std::string>& calls,
                                       const std::string& prefix) {
  std::vector<std::string> r;
  for (const auto& c : calls) {
    if (c.rfind(prefix, 0) == 0) r.push_back(c);
  }
  return r;
}

DatingChart chart() {
  DatingChart c;
  c.title = "Dating of s.rwl";
  c.subtitle = "against r.rwl";
  DatingPanel a;
  a.id = "AAA";
  a.verdict = "dated 1700-1759 (p 2e-9; next best 1650-1709, t 2.0)";
  // Positions ending 1750..1760 and, after a gap, 1770..1771.
  for (int y = 1750; y <= 1760; ++y) a.end_years.push_back(static_cast<float>(y));
  a.end_years.push_back(1770.0f);
  a.end_years.push_back(1771.0f);
  a.z = std::vector<float>(a.end_years.size(), 0.5f);
  a.z[9] = 7.0f;  // 1759
  a.threshold = 5.0f;
  a.dated = true;
  a.dated_end = a.best_end = 1759.0f;
  DatingPanel b;
  b.id = "BBB";
  b.verdict = "not dated: too short for an overlap of 50 years with filtered values";
  c.panels = {a, b};
  return c;
}

TEST(DatingChart, APagePerSampleWithTheCurveTheLevelAndTheMark) {
  RecordingPlotter p;
  EXPECT_EQ(write_dating_chart(p, chart(), "d.ps"), "");
  EXPECT_EQ(p.calls[0], "plsfnam d.ps");
  EXPECT_EQ(p.calls[1], "plsdev psc");
  EXPECT_EQ(starting_with(p.calls, "plinit").size(), 1u);
  EXPECT_EQ(starting_with(p.calls, "pladv").size(), 2u);
  EXPECT_EQ(p.calls.back(), "plend");
  const auto labels = starting_with(p.calls, "pllab");
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_NE(labels[0].find("Dating of s.rwl: AAA"), std::string::npos) << labels[0];
  EXPECT_NE(labels[1].find("Dating of s.rwl: BBB"), std::string::npos) << labels[1];
  // The curve in two pieces (the gap between 1760 and 1770), the level dashed, the mark.
  const auto lines = starting_with(p.calls, "plline");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_TRUE(lines[0].starts_with("plline 11 1750:0.5")) << lines[0];
  EXPECT_EQ(lines[1], "plline 2 1770:0.5 1771:0.5");
  EXPECT_TRUE(lines[2].starts_with("plline 2 1749:5 1772:5")) << lines[2];
  EXPECT_TRUE(lines[3].starts_with("plline 2 1759:")) << lines[3];
  EXPECT_NE(std::find(p.calls.begin(), p.calls.end(), "pllsty 2"), p.calls.end());
  EXPECT_EQ(starting_with(p.calls, "plptex").size(), 2u);  // the level's label and "dated"
  EXPECT_NE(std::find_if(p.calls.begin(), p.calls.end(),
                         [](const std::string& c) { return c.ends_with("[dated]"); }),
            p.calls.end());
  // The verdicts under the axes.
  EXPECT_EQ(starting_with(p.calls, "plmtex b 5 0 0").size(), 2u);
}

TEST(DatingChart, NoSampleAndAFailure) {
  RecordingPlotter p;
  EXPECT_EQ(write_dating_chart(p, DatingChart{"Dating of s", "", {}}, "d.ps"), "");
  EXPECT_EQ(starting_with(p.calls, "pladv").size(), 1u);
  EXPECT_NE(std::find_if(p.calls.begin(), p.calls.end(),
                         [](const std::string& c) { return c.ends_with("[no sample series]"); }),
            p.calls.end());
  RecordingPlotter failing;
  failing.failing = 1;
  EXPECT_EQ(write_dating_chart(failing, chart(), "d.ps"), "recorded failure");
}

}  // namespace
}  // namespace ringdate
