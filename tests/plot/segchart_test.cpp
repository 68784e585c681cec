#include "plot/segchart.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The call before the first call that holds `part`.
std::string before(const std::vector<std::string>& calls, const std::string& part) {
  const auto at = std::find_if(calls.begin(), calls.end(), [&](const std::string& c) {
    return c.find(part) != std::string::npos;
  });
  return at == calls.end() || at == calls.begin() ? std::string() : *(at - 1);
}

SegmentChart chart() {
  SegmentChart c;
  c.title = "Crossdating check of abc";
  c.subtitle = "2 series";
  c.first_year = 1800;
  c.last_year = 1999;
  c.critical_r = 0.3281f;
  ChartRow a;
  a.id = "AAA01";
  a.first = 1800;
  a.last = 1999;
  a.segments = {{1800, 1849, 0.1f, true, true, true},
                {1825, 1874, 0.45f, true, false, false},
                {1850, 1899, 0.7f, true, false, true}};
  a.edits = {{1863, "I 1864 B"}};
  ChartRow b;
  b.id = "BBB02";
  b.first = 1990;
  b.last = 1992;
  b.note = "too short";
  c.rows = {a, b};
  return c;
}

TEST(SegmentChart, ColoursFollowTheCorrelation) {
  EXPECT_EQ(chart_colour({0, 0, 0.30f, true, false, false}, 0.3281f), chart_low_colour);
  EXPECT_EQ(chart_colour({0, 0, 0.9f, false, false, false}, 0.3281f), chart_low_colour);  // no r
  EXPECT_EQ(chart_colour({0, 0, 0.3281f, true, false, false}, 0.3281f), chart_mid_colour);
  EXPECT_EQ(chart_colour({0, 0, 0.5f, true, false, false}, 0.3281f), chart_mid_colour);
  EXPECT_EQ(chart_colour({0, 0, 0.51f, true, false, false}, 0.3281f), chart_high_colour);
}

TEST(SegmentChart, OnePageWithARowPerSeriesItsSegmentsMarksAndEdits) {
  RecordingPlotter p;
  EXPECT_EQ(write_segment_chart(p, chart(), "abc.ps"), "");
  EXPECT_EQ(p.calls[0], "plsfnam abc.ps");
  EXPECT_EQ(p.calls[1], "plsdev psc");
  EXPECT_EQ(starting_with(p.calls, "plinit").size(), 1u);
  EXPECT_EQ(p.calls.back(), "plend");
  EXPECT_EQ(starting_with(p.calls, "plwind")[0], "plwind 1799 2000 0 3");
  // The rows from the top, named at the left edge.
  const auto names = starting_with(p.calls, "plmtex lv");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(names[0].find("0.666667 1 [AAA01]"), std::string::npos) << names[0];
  EXPECT_NE(names[1].find("0.333333 1 [BBB02]"), std::string::npos) << names[1];
  // The grey span, then the segments in their colours, alternately above and below.
  const auto lines = starting_with(p.calls, "plline");
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "plline 2 1800:2 2000:2");
  EXPECT_EQ(lines[1], "plline 2 1801:2.18 1849:2.18");
  EXPECT_EQ(lines[2], "plline 2 1826:1.82 1874:1.82");
  EXPECT_EQ(lines[3], "plline 2 1851:2.18 1899:2.18");
  EXPECT_EQ(before(p.calls, "plline 2 1801:2.18"), "plwid 6");
  const auto colour_of = [&](const std::string& line) {
    const auto at = std::find(p.calls.begin(), p.calls.end(), line);
    return *(at - 2);
  };
  EXPECT_EQ(colour_of(lines[1]), "plcol 1");
  EXPECT_EQ(colour_of(lines[2]), "plcol 9");
  EXPECT_EQ(colour_of(lines[3]), "plcol 3");
  // Flags over their segments; the edit marked at its year with what to type.
  EXPECT_EQ(starting_with(p.calls, "plptex 1825 2.3 1 0 0.5").at(0),
            "plptex 1825 2.3 1 0 0.5 [AB]");
  EXPECT_EQ(starting_with(p.calls, "plptex 1875 2.3 1 0 0.5").at(0), "plptex 1875 2.3 1 0 0.5 [B]");
  EXPECT_EQ(lines[4], "plline 2 1863.5:1.6 1863.5:2.4");
  EXPECT_EQ(before(p.calls, "[I 1864 B]"), "plwid 1");
  // The short series: its span and its note, no bars.
  EXPECT_NE(std::find(p.calls.begin(), p.calls.end(), "plline 2 1990:1 1993:1"), p.calls.end());
  EXPECT_EQ(starting_with(p.calls, "plptex 1994.01 1 1 0 0 [too short]").size(), 1u);
}

TEST(SegmentChart, AFailedDrawingIsReported) {
  RecordingPlotter p;
  p.failing = 1;
  EXPECT_EQ(write_segment_chart(p, chart(), "abc.ps"), "recorded failure");
}

}  // namespace
}  // namespace ringdate
