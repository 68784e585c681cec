#include "plot/xdwin.h"

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

XdatePicture two_series() {
  XdatePicture pic;
  pic.title = "abc: crossdating";
  pic.xmin = 1900;
  pic.xmax = 2000;
  pic.critical_r = 0.3281f;
  XdateCurve a;
  a.colour = 1;
  // A gap between 1926.5 and 1950.5: two pieces of line.
  a.moving_x = {1924.5f, 1925.5f, 1926.5f, 1950.5f, 1951.5f};
  a.moving_r = {0.5f, 0.6f, 0.7f, -0.3f, 0.2f};
  a.lag_x = {-1, 0, 1};
  a.lag_r = {0.1f, 0.8f, 0.2f};
  a.text = {"1 AAA  r 0.500", "   missing ring at 1903"};
  XdateCurve b;
  b.colour = 15;
  b.moving_x = {1930.5f};
  b.moving_r = {0.4f};
  b.text = {"2 BBB  too short for the crossdating filter"};
  pic.series = {a, b};
  pic.footer = {"Dashed: critical r"};
  return pic;
}

TEST(DrawXdate, OnePageWithBothPanelsAndTheTextInTheSeriesColours) {
  RecordingPlotter p;
  draw_xdate(p, two_series(), "xwin");
  ASSERT_GE(p.calls.size(), 10u);
  const std::vector<std::string> head = {"plsdev xwin",      "plscol0 0 255 255 255",
                                         "plscol0 15 0 0 0", "plscolbg 254 254 254",
                                         "plinit",           "plfontld 1",
                                         "plfont 1",         "plssub 1 1",
                                         "pladv 0"};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), p.calls.begin()));
  EXPECT_EQ(p.calls.back(), "plend");
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "plinit"), 1);
  // Moving panel over the comparison's x range, the lowest r rounded down to a step of 0.2.
  EXPECT_EQ(starting_with(p.calls, "plwind")[0], "plwind 1900 2000 -0.4 1");
  EXPECT_EQ(starting_with(p.calls, "plwind")[1], "plwind -5.5 5.5 -0.4 1");
  const auto lines = starting_with(p.calls, "plline");
  const std::vector<std::string> want = {
      "plline 2 1900:0.3281 2000:0.3281",           // critical r
      "plline 3 1924.5:0.5 1925.5:0.6 1926.5:0.7",  // first piece
      "plline 2 1950.5:-0.3 1951.5:0.2",            // after the gap
      "plline 1 1930.5:0.4",                        // second series
      "plline 2 0:-0.4 0:1",                        // lag 0
      "plline 3 -1:0.1 0:0.8 1:0.2",                // lags of the first series
  };
  EXPECT_EQ(lines, want);
  // Each line of text after the colour of its series; the footer in the text colour.
  const auto at = [&](const std::string& text) {
    return std::find_if(p.calls.begin(), p.calls.end(), [&](const std::string& c) {
      return c.find("[" + text + "]") != std::string::npos;
    });
  };
  ASSERT_NE(at("1 AAA  r 0.500"), p.calls.end());
  EXPECT_EQ(*(at("1 AAA  r 0.500") - 1), "plcol 1");
  EXPECT_EQ(*(at("2 BBB  too short for the crossdating filter") - 1), "plcol 15");
  EXPECT_NE(at("Dashed: critical r"), p.calls.end());
  EXPECT_NE(at("abc: crossdating"), p.calls.end());
}

TEST(DrawXdate, EditsStillToMakeAreMarkedInsideTheYearsShown) {
  XdatePicture pic = two_series();
  pic.series[0].marks = {{1862, "1: I 1863 B"}, {1999, "2: D 1999 B"}, {2010, "3: D 2010 B"}};
  pic.series[1].marks = {{1930, "D 1930 B"}};
  RecordingPlotter p;
  draw_xdate(p, pic, "xwin");
  // 1862 and 2010 lie outside 1900..2000: not drawn.
  std::vector<std::string> texts;
  for (const auto& c : starting_with(p.calls, "plptex")) texts.push_back(c.substr(c.find('[')));
  EXPECT_EQ(texts, (std::vector<std::string>{"[2: D 1999 B]", "[D 1930 B]"}));
  // A dotted line over the whole panel in the series' colour, then its label.
  const auto at = std::find(p.calls.begin(), p.calls.end(), "plline 2 1999:-0.4 1999:1");
  ASSERT_NE(at, p.calls.end());
  EXPECT_EQ(*(at - 1), "pllsty 3");
  EXPECT_EQ(*(at - 2), "plcol 1");
  EXPECT_EQ(std::find(p.calls.begin(), p.calls.end(), "plline 2 1930:-0.4 1930:1")[-2], "plcol 15");
  // Both before the lag panel.
  EXPECT_LT(at - p.calls.begin(),
            std::find(p.calls.begin(), p.calls.end(), "plwind -5.5 5.5 -0.4 1") - p.calls.begin());
}

TEST(DrawXdate, ANoteStandsAloneOnThePage) {
  RecordingPlotter p;
  XdatePicture pic;
  pic.title = "abc";
  pic.note = "Crossdating needs at least two series: this file has one.";
  draw_xdate(p, pic, "psc");
  EXPECT_TRUE(starting_with(p.calls, "plline").empty());
  EXPECT_TRUE(starting_with(p.calls, "plaxes").empty());
  const auto texts = starting_with(p.calls, "plmtex");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[1].find(pic.note), std::string::npos);
  EXPECT_EQ(p.calls.back(), "plend");
}

TEST(XdateWindow, ScreenFallbackFileAndSaveAreNamedAfterTheDataFile) {
  RecordingPlotter p;
  XdateWindow w(p);
  w.show(two_series(), "abc");
  EXPECT_EQ(p.calls.front(), "plsdev xwin");
  EXPECT_TRUE(starting_with(p.calls, "plsfnam").empty());

  p.calls.clear();
  p.screen = false;
  w.show(two_series(), "abc");
  EXPECT_EQ(p.calls[0], "plsfnam abc_XDATE_SCREEN.ps");
  EXPECT_EQ(p.calls[1], "plsdev psc");

  p.calls.clear();
  p.screen = true;
  w.save(two_series(), "abc");
  EXPECT_EQ(p.calls[0], "plsfnam abc_XDATE.PLTS");
  EXPECT_EQ(p.calls[1], "plsdev psc");
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "plend"), 1);
  EXPECT_EQ(w.error(), "");
}

TEST(XdateWindow, AFailedDrawingIsReplacedByAPageThatSaysWhy) {
  RecordingPlotter p;
  XdateWindow w(p);
  p.failing = 1;
  w.show(two_series(), "abc");
  EXPECT_EQ(w.error(), "recorded failure");
  // The failed drawing, then the note in the same window.
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "plsdev xwin"), 2);
  const auto texts = starting_with(p.calls, "plmtex");
  ASSERT_FALSE(texts.empty());
  EXPECT_NE(texts.back().find("The crossdating window could not be drawn: recorded failure"),
            std::string::npos);

  // A failed save is replaced in its file.
  p.calls.clear();
  p.failing = 1;
  w.save(two_series(), "abc");
  EXPECT_EQ(starting_with(p.calls, "plsfnam"),
            (std::vector<std::string>{"plsfnam abc_XDATE.PLTS", "plsfnam abc_XDATE.PLTS"}));
  // A later drawing that succeeds clears the error.
  w.show(two_series(), "abc");
  EXPECT_EQ(w.error(), "");
}

}  // namespace
}  // namespace ringdate
