// The crossdating window of a comparison, through the recording plotter seam: the loop and
// the renderer as the driver wires them, each window on a plotter of its own.
#include "main/xdwindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "detrend/spline.h"
#include "formats/datafile.h"
#include "main/cmpplt.h"
#include "main/detrend.h"
#include "main/edit.h"
#include "main/picking.h"
#include "main/plotmenu.h"
#include "support/recording_plotter.h"
#include "support/test_support.h"
#include "xdate/check.h"
#include "xdate/store_input.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

std::string example() { return testing_support::source_dir() + "/examples/pine.rwl"; }

std::vector<std::string> texts_of(const std::vector<std::string>& calls) {
  std::vector<std::string> r;
  for (const auto& c : calls) {
    const auto open = c.find('[');
    if (c.rfind("plmtex", 0) == 0 && open != std::string::npos)
      r.push_back(c.substr(open + 1, c.size() - open - 2));
  }
  return r;
}

// The drawings in a list of calls, each from its plsdev to its plend.
std::vector<std::vector<std::string>> drawings(const std::vector<std::string>& calls) {
  std::vector<std::vector<std::string>> r;
  for (const auto& c : calls) {
    if (c.rfind("plsdev", 0) == 0) r.emplace_back();
    if (!r.empty()) r.back().push_back(c);
  }
  return r;
}

bool has_text(const std::vector<std::string>& drawing, const std::string& part) {
  const auto t = texts_of(drawing);
  return std::any_of(t.begin(), t.end(),
                     [&](const std::string& s) { return s.find(part) != std::string::npos; });
}

std::string fixed3(double x) {
  char b[32];
  std::snprintf(b, sizeof b, "%.3f", x);
  return b;
}

// The example file read as the dialogue reads it, series picked by number.
struct ExampleComparison {
  std::unique_ptr<Store> store = std::make_unique<Store>();
  std::unique_ptr<Tsi1> tsi1 = std::make_unique<Tsi1>();
  ScriptConsole con;
  MemoryFileSystem fs;
  recio::Session session{con, fs};
  RecordingPlotter plot, xdplot;
  PlotMenu menu{session, plot};
  Cmpplt cmpplt{session, menu};
  CrossdatingWindow window{*store, xdplot};

  explicit ExampleComparison(bool with_window = true) {
    if (read_data_file(example(), "MR", *store).result != DataFileResult::read) return;
    store->fname = "pine.rwl";
    if (with_window) {
      cmpplt.set_companion(&window);
      menu.set_companion(&window);
    }
  }
  bool read() const { return store->nser == 6; }
  void detrend() {
    Spline spline;
    ASSERT_TRUE(detrend_store(session, *store, spline));
  }
  Comparison compare(const std::vector<int32_t>& picks, const std::vector<std::string>& answers) {
    PickPass pass;
    begin_pass(*tsi1, pass);
    for (int32_t s : picks) add_pick(*store, *tsi1, pass, s);
    close_pass(*store, *tsi1, pass);
    for (const auto& a : answers) con.add(a);
    return cmpplt(*tsi1, store->fname, "DATA FILE", "YEARS", "MILLIMETERS");
  }
};

// PIN04A (series 5 of the example) misses its ring of 1903.
const std::vector<std::string> insert_the_missing_ring = {"", "I", "1", "1904", "B", ""};

TEST(CrossdatingWindow, DrawnAfterEachComparisonDrawingWithTheNumbersOfTheCheck) {
  ExampleComparison with;
  if (!with.read()) GTEST_SKIP() << "the example file is missing";
  ExampleComparison without(false);
  // Detrended: the plot shows indices, the window still the check's measured values.
  with.detrend();
  without.detrend();
  const xdate::CheckResult check =
      xdate::run_check(xdate::series_of_store(*with.store), xdate::Settings{});
  ASSERT_EQ(with.compare({5, 1}, insert_the_missing_ring).outcome, CompareOutcome::edit_posted);
  ASSERT_EQ(without.compare({5, 1}, insert_the_missing_ring).outcome, CompareOutcome::edit_posted);

  // The comparison plot and the dialogue are as without the window.
  EXPECT_EQ(with.plot.calls, without.plot.calls);
  EXPECT_EQ(with.con.output, without.con.output);
  EXPECT_TRUE(without.xdplot.calls.empty());

  // One drawing of the window per drawing of the plot, then the window is closed.
  const auto xd = drawings(with.xdplot.calls);
  ASSERT_EQ(xd.size(), drawings(with.plot.calls).size());
  ASSERT_EQ(xd.size(), 2u);
  EXPECT_EQ(with.xdplot.calls.back(), "close");
  EXPECT_EQ(xd[0][0], "plsdev xwin");

  const xdate::SeriesResult& pin04 = check.series[4];
  const xdate::SeriesResult& pin01 = check.series[0];
  ASSERT_EQ(pin04.id, "PIN04A");
  ASSERT_EQ(check.suggestions.size(), 1u);
  EXPECT_TRUE(has_text(xd[0], "1 PIN04A    r " + fixed3(pin04.r.r)));
  EXPECT_TRUE(has_text(xd[0], "2 PIN01A    r " + fixed3(pin01.r.r)));
  EXPECT_TRUE(
      has_text(xd[0], "missing ring at 1903: in the comparison choose I, year 1904, side B"));
  // After the insert: the r the suggestion promised, and no suggestion.
  EXPECT_TRUE(has_text(xd[1], "1 PIN04A    r " + fixed3(check.suggestions[0].r_after)));
  EXPECT_GT(check.suggestions[0].r_after, pin04.r.r + 0.2);
  EXPECT_FALSE(has_text(xd[1], "missing ring"));
  EXPECT_TRUE(has_text(xd[1], "flagged 0"));
  // Nothing of the window on the console.
  EXPECT_EQ(with.con.output.find("XDATE"), std::string::npos);
}

TEST(CrossdatingWindow, SavedBesideThePlotAndDrawnIntoAFileWithoutAScreen) {
  ExampleComparison c;
  if (!c.read()) GTEST_SKIP() << "the example file is missing";
  c.xdplot.screen = false;
  c.compare({2, 3}, {"s", "", ""});
  std::vector<std::string> files;
  for (const auto& call : c.xdplot.calls) {
    if (call.rfind("plsfnam", 0) == 0) files.push_back(call);
  }
  EXPECT_EQ(files, (std::vector<std::string>{"plsfnam pine.rwl_XDATE_SCREEN.ps",
                                             "plsfnam pine.rwl_XDATE.PLTS"}));
  // The window's failures do not reach the dialogue: a failed drawing is a page saying so.
  ExampleComparison f;
  f.xdplot.failing = 1;
  f.compare({2, 3}, {"", ""});
  const auto xd = drawings(f.xdplot.calls);
  ASSERT_EQ(xd.size(), 2u);
  EXPECT_TRUE(has_text(xd[1], "The crossdating window could not be drawn"));
  EXPECT_EQ(f.con.output.find("crossdating"), std::string::npos);
}

TEST(CrossdatingWindow, EditsAreFollowedAndTheZoomSetsTheWindowYears) {
  ExampleComparison c;
  if (!c.read()) GTEST_SKIP() << "the example file is missing";
  // Shift PIN04A one year left (nearly the fix), zoom into 1850..1950, rescale, leave.
  c.compare({5, 1}, {"", "H", "1", "-1", "", "Z", "1850", "1950", "", "R", "1", "3", "", "X"});
  const auto xd = drawings(c.xdplot.calls);
  ASSERT_EQ(xd.size(), 4u);
  EXPECT_EQ(c.window.version(1).first, 1812);  // shifted; the rescale changes nothing
  EXPECT_EQ(c.window.mirrored(1).raw.front(),
            c.store->raw(static_cast<std::size_t>(1813 - c.store->iyrmin() + 1), 5));
  const auto windows = [&](const std::vector<std::string>& d) {
    std::vector<std::string> r;
    for (const auto& call : d) {
      if (call.rfind("plwind", 0) == 0) r.push_back(call);
    }
    return r;
  };
  EXPECT_EQ(windows(xd[2])[0].rfind("plwind 1850 1950 ", 0), 0u);
  // The rescale leaves the numbers as they were.
  EXPECT_EQ(texts_of(xd[3]), texts_of(xd[2]));
  EXPECT_NE(texts_of(xd[1]), texts_of(xd[0]));
}

TEST(CrossdatingWindow, TheNextComparisonSeesTheEditCarriedIntoTheStore) {
  ExampleComparison c;
  if (!c.read()) GTEST_SKIP() << "the example file is missing";
  const Comparison posted = c.compare({5, 1}, insert_the_missing_ring);
  ASSERT_EQ(posted.outcome, CompareOutcome::edit_posted);
  ASSERT_TRUE(posted.edit);
  ASSERT_EQ(apply_edit(*c.store, c.tsi1->nsel, *posted.edit), EditCarry::carried);
  const xdate::CheckResult check =
      xdate::run_check(xdate::series_of_store(*c.store), xdate::Settings{});
  c.xdplot.calls.clear();
  c.compare({1}, {"", ""});
  const auto xd = drawings(c.xdplot.calls);
  ASSERT_EQ(xd.size(), 1u);
  // PIN01A's master now holds the corrected PIN04A.
  EXPECT_TRUE(has_text(xd[0], "1 PIN01A    r " + fixed3(check.series[0].r.r)));
  EXPECT_TRUE(check.suggestions.empty());
}

TEST(CrossdatingWindow, AFileOfOneSeriesGetsANote) {
  auto store = std::make_unique<Store>();
  store->nser = 1;
  store->ids[0] = "ONLY01  ";
  store->iyr(1, 1) = 1900;
  store->iyr(1, 2) = 1959;
  store->iyr(2, 1) = 1900;
  store->iyr(2, 2) = 1959;
  for (int32_t r = 1; r <= 60; ++r)
    store->raw(r, 1) = store->wrk(r, 1) = 1.0f + 0.01f * static_cast<float>(r % 7);
  store->iseq(1) = 1;
  auto t = std::make_unique<Tsi1>();
  t->nsel = 1;
  t->sid[0] = "ONLY01  ";
  t->syr(1, 1) = 1900;
  t->syr(1, 2) = 1959;
  RecordingPlotter p;
  CrossdatingWindow w(*store, p);
  w.begin(*t);
  ComparedView view;
  view.tsi1 = t.get();
  view.nsel = 1;
  view.winfst = 1900;
  view.winlst = 1959;
  view.stem = "one";
  w.drawn(view);
  EXPECT_EQ(texts_of(p.calls).back(), "Crossdating needs at least two series: this file has one.");
  EXPECT_EQ(p.calls.back(), "plend");
}

// Edits of the loop on a series, and the same edits mirrored on its measured values.
class Mirror : public Companion {
 public:
  explicit Mirror(MirroredSeries s) : s_(std::move(s)) {}
  void begin(const Tsi1&) override {}
  void edited(const LoopEdit& e) override { mirror_edit(s_, e); }
  void drawn(const ComparedView&) override {}
  void saved(const ComparedView&) override {}
  void finish() override {}
  const MirroredSeries& series() const { return s_; }

 private:
  MirroredSeries s_;
};

TEST(MirrorEdit, MakesEachEditOfTheLoopAsTheLoopMakesIt) {
  const std::vector<std::vector<std::string>> scripts = {
      {"H", "1", "3", "I", "1", "1907", "B"},
      {"H", "1", "-2", "I", "1", "1905", "a"},
      {"I", "1", "1903", "", "A"},  // a side other than A or B is asked again
      {"I", "1", "1900", "B"},
      {"I", "1", "1911", "A"},
      {"D", "1", "1904", "B"},
      {"D", "1", "1904", "A"},
      {"D", "1", "1911", "", "B"},
      {"D", "1", "1902", "x", "A"},
      {"R", "1", "-2", "M", "1", "1901", "1900", "B"},
      {"M", "1", "1906", "1905", "A"},
      {"I", "1", "1930", "1904", "B"},  // a year outside is asked again
  };
  for (const auto& script : scripts) {
    SCOPED_TRACE(script[0] + " " + script[2] + " " + script[3]);
    ScriptConsole con;
    MemoryFileSystem fs;
    recio::Session s(con, fs);
    NullDrawer drawer;
    Cmpplt loop(s, drawer);
    auto t = std::make_unique<Tsi1>();
    t->nsel = 1;
    t->sid[0] = "AAA01   ";
    MirroredSeries m0{1900, {}, {}};
    for (int32_t k = 0; k < 12; ++k) {
      m0.raw.push_back(1.25f + static_cast<float>(k));
      m0.marks.push_back(1.0f);
      t->sel(static_cast<std::size_t>(k + 11), 1) = 1.25f + static_cast<float>(k);
    }
    t->syr(1, 1) = 1900;
    t->syr(1, 2) = 1911;
    t->syr(2, 1) = 1890;
    t->syr(2, 2) = 1911;
    Mirror m(m0);
    loop.set_companion(&m);
    for (const auto& a : script) con.add(a);
    con.add("");
    (void)loop(*t, "abc", "DATA FILE", "YEARS", "MILLIMETERS");
    const MirroredSeries& got = m.series();
    ASSERT_EQ(got.first, t->syr(1, 1));
    ASSERT_EQ(got.last(), t->syr(1, 2));
    // The rescale of the merge script: the loop's values are -2 times the mirrored ones.
    const float scale = std::find(script.begin(), script.end(), "R") != script.end() ? -2.0f : 1.0f;
    const xdate::Version v = got.version();
    for (int32_t y = got.first; y <= got.last(); ++y) {
      const auto k = static_cast<std::size_t>(y - got.first);
      const float want = t->sel(static_cast<std::size_t>(y - t->syr(2, 1) + 1), 1) / scale;
      EXPECT_EQ(got.raw[k], want) << y;
      EXPECT_DOUBLE_EQ(v.values[k], xdate::decimal_value(want)) << y;
      // A zero in the loop is an inserted ring here, and only then.
      EXPECT_EQ(v.inserted[k], want == 0.0f) << y;
    }
  }
}

}  // namespace
}  // namespace ringdate
