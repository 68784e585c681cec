// The crossdating window of a comparison, through the recording plotter seam: the loop and
// the plot options menu as the driver wires them (the window told by the menu), each window
// on a plotter of its own.
#include "main/xdwindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
#include "xdate/report.h"
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

// The labels put on the plot (the marks of the edits still to make).
std::vector<std::string> labels(const std::vector<std::string>& drawing) {
  std::vector<std::string> r;
  for (const auto& c : drawing) {
    const auto open = c.find('[');
    if (c.rfind("plptex", 0) == 0 && open != std::string::npos)
      r.push_back(c.substr(open + 1, c.size() - open - 2));
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

  // The example file, or the Tucson file `text` when one is given.
  explicit ExampleComparison(bool with_window = true, const std::string& text = "") {
    if (!text.empty()) fs.files["given.rwl"] = text;
    const DataFileResult got = text.empty() ? read_data_file(example(), "MR", *store).result
                                            : read_data_file("given.rwl", "MR", *store, fs).result;
    if (got != DataFileResult::read) return;
    store->fname = "pine.rwl";
    if (with_window) menu.set_companion(&window);
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
  EXPECT_EQ(labels(xd[0]), std::vector<std::string>{"I 1904 B"});
  // After the insert: the r the suggestion promised, and no suggestion.
  EXPECT_TRUE(has_text(xd[1], "1 PIN04A    r " + fixed3(check.suggestions[0].r_after)));
  EXPECT_GT(check.suggestions[0].r_after, pin04.r.r + 0.2);
  EXPECT_FALSE(has_text(xd[1], "missing ring"));
  EXPECT_TRUE(labels(xd[1]).empty());
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
  // Shifted; the rescale changes nothing.
  const xdate::Version v = edited_version(*c.store, 5, c.cmpplt.records().edits, 1);
  EXPECT_EQ(v.first, 1812);
  EXPECT_EQ(v.values.front(), xdate::decimal_value(c.store->raw(
                                  static_cast<std::size_t>(1813 - c.store->iyrmin() + 1), 5)));
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

// The example file with PIN02A (third) given two dating errors: its ring of 1863 lost and its
// ring of 1920 split in two, so that the check names an insert and then a delete.
std::string two_errors() {
  std::unique_ptr<Store> clean = std::make_unique<Store>();
  if (read_data_file(example(), "MR", *clean).result != DataFileResult::read) return "";
  const std::vector<xdate::SeriesInput> all = xdate::series_of_store(*clean);
  const auto thousandths = [](const std::vector<double>& mm) {
    std::vector<int> out;
    for (double v : mm) out.push_back(static_cast<int>(std::lround(v * 1000.0)));
    return out;
  };
  std::vector<int> bad = thousandths(all[2].values);
  const auto at = [&](int32_t year) { return static_cast<std::ptrdiff_t>(year - all[2].first); };
  const int whole = bad[static_cast<std::size_t>(at(1920))];
  bad[static_cast<std::size_t>(at(1920))] = whole - whole / 2;
  bad.insert(bad.begin() + at(1920), whole / 2);
  bad.erase(bad.begin() + at(1863));
  const std::string text = testing_support::slurp(example());
  std::string file = text.substr(0, text.find('\n') + 1);
  for (std::size_t i = 0; i < all.size(); ++i) {
    file += testing_support::tucson_series(all[i].id, all[i].first,
                                           i == 2 ? bad : thousandths(all[i].values), -9999);
  }
  return file;
}

// The answers that make `e` in a comparison of one series, and continue at the plot menu.
std::vector<std::string> making(const xdate::Edit& e) {
  return {"",  e.kind == xdate::EditKind::insert ? "I" : "D",
          "1", std::to_string(e.type_year()),
          "B", ""};
}

TEST(CrossdatingWindow, ASequenceOfEditsStaysInViewUntilItsLastEditIsMade) {
  ExampleComparison c(true, two_errors());
  if (!c.read()) GTEST_SKIP() << "the example file is missing";
  const xdate::CheckResult check =
      xdate::run_check(xdate::series_of_store(*c.store), xdate::Settings{});
  // (PIN04A, fifth, misses a ring of its own.)
  const auto named = std::find_if(check.suggestions.begin(), check.suggestions.end(),
                                  [](const xdate::Suggestion& x) { return x.id == "PIN02A"; });
  ASSERT_NE(named, check.suggestions.end());
  const xdate::Suggestion& g = *named;
  ASSERT_EQ(g.edits.size(), 2u);
  const std::string first = xdate::edit_text(g.edits[0], 'B', true);
  const std::string second = xdate::edit_text(g.edits[1], 'B', false);
  const std::string rest = xdate::edit_text(g.edits[1], 'B', true);

  // The whole sequence, then after its first edit the rest.
  Comparison got = c.compare({3}, making(g.edits[0]));
  ASSERT_EQ(got.outcome, CompareOutcome::edit_posted);
  auto xd = drawings(c.xdplot.calls);
  ASSERT_EQ(xd.size(), 2u);
  EXPECT_TRUE(has_text(xd[0], first));
  EXPECT_TRUE(has_text(xd[0], second));
  EXPECT_FALSE(has_text(xd[0], "edits made"));
  const auto typed = [&](std::size_t k) {
    const xdate::Edit& e = g.edits[k];
    return std::to_string(k + 1) + ": " + (e.kind == xdate::EditKind::insert ? "I " : "D ") +
           std::to_string(e.type_year()) + " B";
  };
  EXPECT_EQ(labels(xd[0]), (std::vector<std::string>{typed(0), typed(1)}));
  EXPECT_TRUE(has_text(xd[1], "1 of the 2 edits made; the rest:"));
  EXPECT_EQ(labels(xd[1]), std::vector<std::string>{typed(1)});
  EXPECT_TRUE(has_text(xd[1], rest));
  EXPECT_FALSE(has_text(xd[1], first));

  // Carried into the store, the first edit still leaves the rest in view.
  ASSERT_EQ(apply_edit(*c.store, c.tsi1->nsel, *got.edit), EditCarry::carried);
  c.xdplot.calls.clear();
  got = c.compare({3}, making(g.edits[1]));
  ASSERT_EQ(got.outcome, CompareOutcome::edit_posted);
  xd = drawings(c.xdplot.calls);
  ASSERT_EQ(xd.size(), 2u);
  EXPECT_TRUE(has_text(xd[0], "1 of the 2 edits made; the rest:"));
  EXPECT_TRUE(has_text(xd[0], rest));
  // Both made: nothing more to do.
  EXPECT_FALSE(has_text(xd[1], "edits made"));
  EXPECT_FALSE(has_text(xd[1], "ring at"));
  EXPECT_TRUE(labels(xd[1]).empty());

  // A first edit other than the one named drops the sequence: the window names what the
  // location finds for the series as it then stands.
  ExampleComparison d(true, two_errors());
  xdate::Edit other = g.edits[0];
  other.year += 30;
  ASSERT_EQ(d.compare({3}, making(other)).outcome, CompareOutcome::edit_posted);
  xd = drawings(d.xdplot.calls);
  ASSERT_EQ(xd.size(), 2u);
  EXPECT_FALSE(has_text(xd[1], "edits made"));
}

// The loop's edits made on the store's measured values give the series the loop shows.
TEST(EditedVersion, MakesEachEditOfTheLoopAsTheLoopMakesIt) {
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
    // The store holds the series at 1900-1911 in its rows 11-22 (row 1 = 1890).
    auto store = std::make_unique<Store>();
    store->nser = 2;
    store->iyr(1, 1) = 1900, store->iyr(1, 2) = 1911;
    store->iyr(2, 1) = 1890, store->iyr(2, 2) = 1911;
    store->iyr(3, 1) = 1890, store->iyr(3, 2) = 1911;
    for (int32_t k = 0; k < 12; ++k) {
      store->raw(static_cast<std::size_t>(k + 11), 1) = 1.25f + static_cast<float>(k);
      t->sel(static_cast<std::size_t>(k + 11), 1) = 1.25f + static_cast<float>(k);
    }
    t->syr(1, 1) = 1900;
    t->syr(1, 2) = 1911;
    t->syr(2, 1) = 1890;
    t->syr(2, 2) = 1911;
    for (const auto& a : script) con.add(a);
    con.add("");
    (void)loop(*t, "abc", "DATA FILE", "YEARS", "MILLIMETERS");
    const xdate::Version v = edited_version(*store, 1, loop.records().edits, 1);
    ASSERT_EQ(v.first, t->syr(1, 1));
    ASSERT_EQ(v.last(), t->syr(1, 2));
    // The rescale of the merge script: the loop's values are -2 times the measured ones.
    const float scale = std::find(script.begin(), script.end(), "R") != script.end() ? -2.0f : 1.0f;
    for (int32_t y = v.first; y <= v.last(); ++y) {
      const auto k = static_cast<std::size_t>(y - v.first);
      const float want = t->sel(static_cast<std::size_t>(y - t->syr(2, 1) + 1), 1) / scale;
      EXPECT_DOUBLE_EQ(v.values[k], xdate::decimal_value(want)) << y;
      // A zero in the loop is an inserted ring here, and only then.
      EXPECT_EQ(v.inserted[k], want == 0.0f) << y;
    }
    // The edits of another pick, and a series the store does not hold, change nothing.
    EXPECT_EQ(edited_version(*store, 1, loop.records().edits, 2).first, 1900);
    EXPECT_TRUE(edited_version(*store, 3, loop.records().edits, 1).values.empty());
  }
}

}  // namespace
}  // namespace ringdate
