#include "plot/cmpdrw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/limits.h"
#include "support/recording_plotter.h"

namespace ringdate {
namespace {

// A picture of `n` series of two years each, in the default style with red curves.
ComparisonPicture picture(int n) {
  ComparisonPicture pic;
  default_style(pic.style);
  pic.style.xmin = 1900, pic.style.xmax = 1901, pic.style.ymin = 0, pic.style.ymax = 2;
  pic.title = "abc DATA FILE";
  for (int k = 1; k <= n; ++k) {
    pic.curves.push_back({k == 1, {1900, 1901}, {static_cast<float>(k), 0.5f}});
    pic.names.push_back("S" + std::to_string(k));
  }
  return pic;
}

// The call before the first one that starts with `call`, or "" when there is none.
std::string before(const std::vector<std::string>& calls, const std::string& call) {
  for (std::size_t i = 1; i < calls.size(); ++i)
    if (calls[i].rfind(call, 0) == 0) return calls[i - 1];
  return "";
}

TEST(ComparisonPlot, OnePageOnTheDeviceWithTheFirstSeriesInTheCurveStyle) {
  RecordingPlotter pl;
  ComparisonPicture pic = picture(2);
  pic.style.sty(1) = 3;  // curve style
  pic.style.sty(2) = 4;  // curve width
  cmpdrw(pl, pic, "psc");
  ASSERT_FALSE(pl.calls.empty());
  EXPECT_EQ(pl.calls.front(), "plsdev psc");
  EXPECT_EQ(pl.calls.back(), "plend");
  EXPECT_EQ(std::count(pl.calls.begin(), pl.calls.end(), "plinit"), 1);
  // The first series: curve colour 1 (red), style 3, width 4; the second: line colour 15.
  EXPECT_EQ(before(pl.calls, "plline 2 1900:1 "), "plwid 4");
  EXPECT_NE(std::find(pl.calls.begin(), pl.calls.end(), "pllsty 3"), pl.calls.end());
  EXPECT_NE(std::find(pl.calls.begin(), pl.calls.end(), "plcol 1"), pl.calls.end());
  EXPECT_EQ(before(pl.calls, "plline 2 1900:2 "), "plwid 1");
  EXPECT_NE(std::find(pl.calls.begin(), pl.calls.end(), "pllab [] [] [abc DATA FILE]"),
            pl.calls.end());
}

TEST(ComparisonPlot, NamesStandSixToARowTheFirstInTheCurveColour) {
  RecordingPlotter pl;
  cmpdrw(pl, picture(7), "xwin");
  std::vector<std::string> names;
  for (const std::string& c : pl.calls)
    if (c.rfind("plmtex b", 0) == 0) names.push_back(c);
  ASSERT_EQ(names.size(), 7u);
  EXPECT_EQ(names[0], "plmtex b 8 0 0 [S1]");
  EXPECT_EQ(before(pl.calls, "plmtex b 8 0 0 [S1]"), "plcol 1");
  EXPECT_EQ(names[5], "plmtex b 8 0.875 0 [S6]");
  EXPECT_EQ(names[6], "plmtex b 9.5 0 0 [S7]");  // a second row
}

TEST(ComparisonPlot, CurvesOfUnequalLengthsAreCutToTheShorter) {
  RecordingPlotter pl;
  ComparisonPicture pic = picture(1);
  pic.curves[0].values.push_back(9.0f);  // a value without its year
  cmpdrw(pl, pic, "psc");
  EXPECT_NE(std::find(pl.calls.begin(), pl.calls.end(), "plline 2 1900:1 1901:0.5"),
            pl.calls.end());
}

// A year without a ring width (rmiss, or a negative gap code) breaks the curve.
TEST(ComparisonPlot, YearsWithoutAWidthBreakTheCurve) {
  RecordingPlotter pl;
  ComparisonPicture pic = picture(1);
  pic.curves[0] = {true, {1900, 1901, 1902, 1903, 1904}, {1, 2, rmiss, 4, -8.888f}};
  cmpdrw(pl, pic, "psc");
  std::vector<std::string> lines;
  for (const std::string& c : pl.calls)
    if (c.rfind("plline", 0) == 0) lines.push_back(c);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "plline 2 1900:1 1901:2");
  EXPECT_EQ(lines[1], "plline 1 1903:4");
}

}  // namespace
}  // namespace ringdate
