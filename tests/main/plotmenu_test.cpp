#include "main/plotmenu.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "support/recording_plotter.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::ScriptConsole;

std::string padded(const std::string& s, std::size_t w) {
  std::string r = s;
  r.resize(w, ' ');
  return r;
}

// A compared set of series k = 1..n, series k spanning years[k-1], values year/1000 + k,
// the records filled as the comparison loop fills them for the window winfst..winlst.
struct Fixture {
  std::unique_ptr<Tsi1> tsi1 = std::make_unique<Tsi1>();
  PlotRecords rec;

  Fixture(const std::vector<std::pair<int32_t, int32_t>>& years, int32_t winfst, int32_t winlst) {
    const int32_t n = static_cast<int32_t>(years.size());
    int32_t yr0 = 9999;
    for (auto [f, l] : years) yr0 = std::min(yr0, f);
    tsi1->nsel = n;
    float lo = 9999, hi = -9999;
    for (int32_t k = 1; k <= n; ++k) {
      auto [f, l] = years[k - 1];
      tsi1->syr(k, 1) = f;
      tsi1->syr(k, 2) = l;
      for (int32_t y = f; y <= l; ++y) tsi1->sel(y - yr0 + 1, k) = value(k, y);
      rec.thenames.cmpnam[k - 1] = padded("S" + std::to_string(k), 8);
      // The windows here are not reversed: every series is drawn over its years inside.
      const DrawnSeries d{k, std::max(f, winfst), std::min(l, winlst)};
      rec.theinput.drawn.push_back(d);
      for (int32_t y = d.first; y <= d.last; ++y) {
        lo = std::min(lo, value(k, y));
        hi = std::max(hi, value(k, y));
      }
    }
    rec.theinput.winfst = winfst;
    rec.theinput.winlst = winlst;
    rec.thedata.xfrom = static_cast<float>(winfst);
    rec.thedata.xto = static_cast<float>(winlst);
    rec.thedata.yfrom = lo > 0 ? lo : 0.0f;
    rec.thedata.yto = hi;
    rec.thedata.ndraw = n;
    rec.thedata.yr0 = yr0;
    rec.thenames.toplab = padded("         abc DATA FILE", 80);
    rec.thenames.stem = "abc";
    rec.thenames.xlab = padded("          YEARS", 60);
    rec.thenames.ylab = padded("MILLIMETERS", 60);
  }
  static float value(int32_t k, int32_t y) { return static_cast<float>(k) + (y % 10) * 0.1f; }
};

struct Drawn {
  std::vector<std::string> calls;
  std::string output;
};

Drawn run(Fixture& fx, std::vector<std::string> answers, bool screen = true) {
  ScriptConsole con(std::move(answers));
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  RecordingPlotter pl;
  pl.screen = screen;
  PlotMenu d(s, pl);
  d.cmpdrw(fx.rec, *fx.tsi1);
  return {pl.calls, con.output};
}

std::vector<std::string> starting_with(const std::vector<std::string>& calls,
                                       const std::string& prefix) {
  std::vector<std::string> r;
  for (const auto& c : calls) {
    if (c.rfind(prefix, 0) == 0) r.push_back(c);
  }
  return r;
}

std::size_t count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (auto p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// The picture the loop asked for: one page on the screen, the window's years across, the
// values inside it up the side, the labels of the records, each series over its years in the
// window, and the names.
TEST(PlotMenu, DrawsTheWindowOfTheRecordsOnOneScreenPage) {
  // Series 2 runs past the window; its drawn span is clipped to it.
  Fixture fx({{1900, 1903}, {1901, 1910}}, 1900, 1905);
  Drawn r = run(fx, {""});
  ASSERT_FALSE(r.calls.empty());
  EXPECT_EQ(r.calls.front(), "plsdev xwin");
  EXPECT_EQ(r.calls.back(), "plend");
  EXPECT_EQ(starting_with(r.calls, "plinit").size(), 1u);
  EXPECT_EQ(starting_with(r.calls, "plwind"), (std::vector<std::string>{"plwind 1900 1905 1 2.5"}));
  EXPECT_EQ(starting_with(r.calls, "pllab"),
            (std::vector<std::string>{"pllab [YEARS] [MILLIMETERS] [abc DATA FILE]"}));
  EXPECT_EQ(starting_with(r.calls, "plline"),
            (std::vector<std::string>{"plline 4 1900:1 1901:1.1 1902:1.2 1903:1.3",
                                      "plline 5 1901:2.1 1902:2.2 1903:2.3 1904:2.4 1905:2.5"}));
  EXPECT_EQ(starting_with(r.calls, "plmtex"),
            (std::vector<std::string>{"plmtex b 8 0 0 [S1]", "plmtex b 8 0.175 0 [S2]"}));
  // One drawing, one menu, then the empty answer continues.
  EXPECT_EQ(count(r.output, "enter option number > "), 1u);
  EXPECT_NE(r.output.find("\n\n" + std::string(15, ' ') +
                          "|************* plot options menu *************|\n"),
            std::string::npos);
  EXPECT_NE(
      r.output.find(std::string(15, ' ') + "|_____________________________________________|\n\n" +
                    std::string(15, ' ') + " enter option number > "),
      std::string::npos);
  EXPECT_NE(r.output.find(std::string(15, ' ') + "|" + std::string(45, ' ') + "|\n"),
            std::string::npos);
}

TEST(PlotMenu, TakenSeriesUseTheDrawnSpansInOrder) {
  // Series 2 lies wholly after the window: it is still taken (its last year is later than
  // the window's first), with an empty drawn span; series 3 then uses the third span.
  Fixture fx({{1900, 1902}, {1950, 1960}, {1899, 1901}}, 1900, 1902);
  Drawn r = run(fx, {""});
  const auto lines = starting_with(r.calls, "plline");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "plline 3 1900:1 1901:1.1 1902:1.2");
  EXPECT_EQ(lines[1], "plline 0");
  EXPECT_EQ(lines[2], "plline 2 1900:3 1901:3.1");
}

// A year without a ring width (rmiss, or a negative gap code) breaks the curve.
TEST(PlotMenu, YearsWithoutAWidthBreakTheCurve) {
  Fixture fx({{1900, 1904}}, 1900, 1904);
  fx.tsi1->sel(3, 1) = rmiss;
  fx.tsi1->sel(5, 1) = -8.888f;
  Drawn r = run(fx, {""});
  const std::vector<std::string> lines = starting_with(r.calls, "plline");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("plline 2 1900:1 1901:", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("plline 1 1903:", 0), 0u) << lines[1];
}

TEST(PlotMenu, NamesStandSixToARow) {
  std::vector<std::pair<int32_t, int32_t>> years(7, {1900, 1920});
  Fixture fx(years, 1900, 1920);
  Drawn r = run(fx, {""});
  const std::vector<std::string> want = {
      "plmtex b 8 0 0 [S1]",     "plmtex b 8 0.175 0 [S2]", "plmtex b 8 0.35 0 [S3]",
      "plmtex b 8 0.525 0 [S4]", "plmtex b 8 0.7 0 [S5]",   "plmtex b 8 0.875 0 [S6]",
      "plmtex b 9.5 0 0 [S7]",
  };
  EXPECT_EQ(starting_with(r.calls, "plmtex"), want);
  // The first name in the curve colour, the rest in the line colour.
  auto first = std::find(r.calls.begin(), r.calls.end(), "plmtex b 8 0 0 [S1]");
  EXPECT_EQ(*(first - 1), "plcol 1");
  EXPECT_EQ(*(first + 1), "plcol 15");
}

TEST(PlotMenu, StyleChangesWaitForTheRedrawAndResetRestoresThem) {
  Fixture fx({{1900, 1903}, {1901, 1905}}, 1900, 1905);
  // 5: curve colour 9; 4: line colour 3; 100 is read as 10: y ticks 0.25; 14: x max 1990;
  // then redraw, reset, leave.
  Drawn r = run(fx, {"5", "9", "4", "3", "100", "0.25", "14", "1990", "0", "99", "c"});
  EXPECT_EQ(count(r.output, "select new curve color: [0-15] : "), 1u);
  EXPECT_EQ(count(r.output, "change y axis major tics from:"), 1u);
  EXPECT_EQ(count(r.output, "enter option number > "), 7u);
  EXPECT_EQ(starting_with(r.calls, "plinit").size(), 3u);
  const auto axes = starting_with(r.calls, "plaxes");
  ASSERT_EQ(axes.size(), 3u);
  EXPECT_EQ(axes[0], "plaxes 1900 1 abinst 10 10 abinstv 0.5 4");
  // The x maximum changed but the ticks stay those of the last reset.
  EXPECT_EQ(axes[1], "plaxes 1900 1 abinst 10 10 abinstv 0.25 4");
  EXPECT_EQ(axes[2], axes[0]);
  const auto winds = starting_with(r.calls, "plwind");
  EXPECT_EQ(winds[1], "plwind 1900 1990 1 2.5");
  EXPECT_EQ(winds[2], winds[0]);
  const auto cols = starting_with(r.calls, "plcol");
  // Per drawing: frame, text, series 1, series 2, name 1, other names.
  ASSERT_EQ(cols.size(), 18u);
  EXPECT_EQ(cols[2], "plcol 1");
  EXPECT_EQ(cols[8], "plcol 9");
  EXPECT_EQ(cols[9], "plcol 3");
  EXPECT_EQ(cols[10], "plcol 9");
  EXPECT_EQ(cols[11], "plcol 3");
  EXPECT_EQ(cols[14], "plcol 1");
  EXPECT_EQ(cols[15], "plcol 15");
}

TEST(PlotMenu, BackgroundStyleAndWidthReachTheDrawing) {
  Fixture fx({{1900, 1903}}, 1900, 1903);
  Drawn r = run(fx, {"1", "2", "10", "20", "30", "6", "4", "7", "12", "2", "7", "3", "9", "0", ""});
  const auto bg = starting_with(r.calls, "plscolbg");
  ASSERT_EQ(bg.size(), 2u);
  EXPECT_EQ(bg[1], "plscolbg 10 20 30");
  EXPECT_EQ(starting_with(r.calls, "pllsty")[1], "pllsty 4");
  EXPECT_EQ(starting_with(r.calls, "plwid")[1], "plwid 12");
  // Per drawing of one series: frame, text, series, first name, other names.
  EXPECT_EQ(starting_with(r.calls, "plcol")[5], "plcol 7");  // frame
  EXPECT_EQ(starting_with(r.calls, "plcol")[6], "plcol 9");  // text
}

TEST(PlotMenu, SaveDrawsTheSamePictureIntoTheFile) {
  Fixture fx({{1900, 1903}, {1901, 1905}}, 1900, 1905);
  Drawn r = run(fx, {"s", "S", "0", "C"});
  // Screen, file, file again, screen.
  EXPECT_EQ(starting_with(r.calls, "plsdev"),
            (std::vector<std::string>{"plsdev xwin", "plsdev psc", "plsdev psc", "plsdev xwin"}));
  EXPECT_EQ(starting_with(r.calls, "plsfnam"),
            (std::vector<std::string>{"plsfnam abc_DATA.PLTS", "plsfnam abc_DATA.PLTS"}));
  // The file drawing is the screen drawing call for call.
  auto screen_begin = r.calls.begin();
  auto file_begin = std::find(r.calls.begin(), r.calls.end(), "plsdev psc");
  auto screen_end = std::find(screen_begin, r.calls.end(), "plend");
  ASSERT_EQ(*(file_begin - 1), "plsfnam abc_DATA.PLTS");
  EXPECT_TRUE(std::equal(screen_begin + 1, screen_end + 1, file_begin + 1));
  EXPECT_EQ(count(r.output, "enter option number > "), 4u);
}

TEST(PlotMenu, UnknownOptionsAndLettersAskAgain) {
  Fixture fx({{1900, 1903}}, 1900, 1903);
  Drawn r = run(fx, {"x", "42", "-1", "18", "sx", "12", "3", "13", "2", ""});
  const std::string pre = "\n" + std::string(13, ' ') + "Unknown option ";
  EXPECT_NE(r.output.find(pre + "x  re-enter a valid request\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(pre + "42 re-enter a valid request\n"), std::string::npos);
  EXPECT_NE(r.output.find(pre + "-1 re-enter a valid request\n"), std::string::npos);
  EXPECT_NE(r.output.find(pre + "18 re-enter a valid request\n"), std::string::npos);
  EXPECT_NE(r.output.find(pre + "sx re-enter a valid request\n"), std::string::npos);
  EXPECT_EQ(count(r.output, "Unknown option "), 5u);
  // The z axis questions change no drawing.
  EXPECT_EQ(starting_with(r.calls, "plinit").size(), 1u);
  EXPECT_EQ(count(r.output, "enter option number > "), 8u);
}

TEST(PlotMenu, ContinueAnswers) {
  Fixture fx({{1900, 1903}}, 1900, 1903);
  for (const char* a : {"", "c", "C", "y", "Y", "  ", "c  trailing ignored"}) {
    Drawn r = run(fx, {a});
    EXPECT_EQ(count(r.output, "enter option number > "), 1u) << a;
  }
}

TEST(PlotMenu, EveryCallStartsFromTheDefaults) {
  Fixture fx({{1900, 1903}}, 1900, 1903);
  ScriptConsole con({"5", "9", "0", "", ""});
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  RecordingPlotter pl;
  PlotMenu d(s, pl);
  d.cmpdrw(fx.rec, *fx.tsi1);
  EXPECT_EQ(d.pltset().colr(2), 9);
  d.cmpdrw(fx.rec, *fx.tsi1);
  EXPECT_EQ(d.pltset().colr(2), 1);
  const auto cols = starting_with(pl.calls, "plcol");
  EXPECT_EQ(cols[2], "plcol 1");
  EXPECT_EQ(cols[7], "plcol 9");
  EXPECT_EQ(cols[12], "plcol 1");
  d.finish();
  EXPECT_EQ(pl.calls.back(), "close");
}

TEST(PlotMenu, WithoutAScreenEachDrawingGoesToAPictureFile) {
  Fixture fx({{1900, 1903}}, 1900, 1903);
  Drawn r = run(fx, {"0", "s", ""}, false);
  EXPECT_EQ(starting_with(r.calls, "plsfnam"),
            (std::vector<std::string>{"plsfnam abc_DATA_SCREEN.ps", "plsfnam abc_DATA_SCREEN.ps",
                                      "plsfnam abc_DATA.PLTS"}));
  EXPECT_EQ(starting_with(r.calls, "plsdev"), (std::vector<std::string>(3, "plsdev psc")));
  // Said once.
  EXPECT_EQ(count(r.output, "abc_DATA_SCREEN.ps"), 1u);
  EXPECT_EQ(PlotMenu::screen_file(fx.rec.thenames), "abc_DATA_SCREEN.ps");
}

}  // namespace
}  // namespace ringdate

// ---- the library behind the seam ----

namespace ringdate {
namespace {

// A scratch folder removed at the end of the test.
struct TempDir {
  std::string path;
  TempDir() {
    char t[] = "/tmp/ringdate-plot-XXXXXX";
    path = ::mkdtemp(t) ? t : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

// Unsets DISPLAY for the scope of the object, or sets it to `value`.
struct DisplayAs {
  std::optional<std::string> old;
  explicit DisplayAs(const char* value) {
    if (const char* d = std::getenv("DISPLAY")) old = d;
    if (value) {
      ::setenv("DISPLAY", value, 1);
    } else {
      ::unsetenv("DISPLAY");
    }
  }
  ~DisplayAs() {
    if (old) {
      ::setenv("DISPLAY", old->c_str(), 1);
    } else {
      ::unsetenv("DISPLAY");
    }
  }
};

void name_files(Fixture& fx, const std::string& base) { fx.rec.thenames.stem = base; }

// Keeps what the renderer tells its companion.
class ViewRecorder : public Companion {
 public:
  void drawn(const ComparedView& v) override { views.push_back("drawn " + describe(v)); }
  void saved(const ComparedView& v) override { views.push_back("saved " + describe(v)); }
  std::string save_error() const override { return failing_save; }
  void finish() override { views.push_back("finish"); }
  std::string failing_save;
  static std::string describe(const ComparedView& v) {
    return v.stem + " " + std::to_string(v.nsel) + " " + std::to_string(v.winfst) + ".." +
           std::to_string(v.winlst) + " x " + std::to_string(static_cast<int>(v.xmin)) + ".." +
           std::to_string(static_cast<int>(v.xmax)) + " colours " + std::to_string(v.curve_colour) +
           "/" + std::to_string(v.line_colour);
  }
  std::vector<std::string> views;
};

TEST(PlotMenu, ACompanionIsToldOfEveryDrawingAndSaveWhileThePlotCallsStayTheSame) {
  const std::vector<std::string> answers = {"5", "9", "0", "14", "1990", "0", "s", "99", ""};
  Fixture fx({{1900, 1903}, {1901, 1905}}, 1900, 1905);
  const Drawn plain = run(fx, answers);

  ScriptConsole con(answers);
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  RecordingPlotter pl;
  PlotMenu d(s, pl);
  ViewRecorder views;
  d.set_companion(&views);
  d.cmpdrw(fx.rec, *fx.tsi1);
  d.finish();
  EXPECT_EQ(con.output, plain.output);
  std::vector<std::string> calls = pl.calls;
  ASSERT_EQ(calls.back(), "close");
  calls.pop_back();
  EXPECT_EQ(calls, plain.calls);
  // First drawing, redraw with curve colour 9, redraw with x max 1990, the save (same
  // settings), the reset; then the end.
  const std::vector<std::string> want = {"drawn abc 2 1900..1905 x 1900..1905 colours 1/15",
                                         "drawn abc 2 1900..1905 x 1900..1905 colours 9/15",
                                         "drawn abc 2 1900..1905 x 1900..1990 colours 9/15",
                                         "saved abc 2 1900..1905 x 1900..1990 colours 9/15",
                                         "drawn abc 2 1900..1905 x 1900..1905 colours 1/15",
                                         "finish"};
  EXPECT_EQ(views.views, want);
}

TEST(PlotMenu, ACompanionSaveThatFailedIsToldAndTheMenuGoesOn) {
  Fixture fx({{1900, 1903}}, 1900, 1903);
  ScriptConsole con({"s", ""});
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  RecordingPlotter pl;
  PlotMenu d(s, pl);
  ViewRecorder views;
  views.failing_save = "cannot write the file abc_XDATE.PLTS: No space left on device";
  d.set_companion(&views);
  d.cmpdrw(fx.rec, *fx.tsi1);
  EXPECT_EQ(count(con.output,
                  " The crossdating window could not be saved: cannot write the file "
                  "abc_XDATE.PLTS: No space left on device\n"),
            1u)
      << con.output;
  EXPECT_EQ(count(con.output, "enter option number > "), 2u);
}

// A file drawing cut short (the file-size limit stands in for a full disk) is not left
// half-written: an earlier file stays whole and the failure is told.
TEST(PlplotPlotter, AFileDrawingThatCannotBeWrittenWholeLeavesTheOldFile) {
  TempDir dir;
  ASSERT_NE(dir.path, "");
  DisplayAs none(nullptr);
  Fixture fx({{1900, 1950}}, 1900, 1950);
  name_files(fx, dir.path + "/abc");
  { std::ofstream(dir.path + "/abc_DATA.PLTS") << "earlier plot\n"; }
  ScriptConsole con({"s", "c"});
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  PlplotPlotter pl;
  PlotMenu d(s, pl);
  struct rlimit old_limit {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 2000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  d.cmpdrw(fx.rec, *fx.tsi1);
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  d.finish();
  EXPECT_EQ(testing_support::slurp(dir.path + "/abc_DATA.PLTS"), "earlier plot\n");
  EXPECT_NE(con.output.find(" The plot could not be saved: cannot write the file " + dir.path +
                            "/abc_DATA.PLTS: File too large"),
            std::string::npos)
      << con.output;
  EXPECT_NE(con.output.find(" The plot could not be drawn: cannot write the file " + dir.path +
                            "/abc_DATA_SCREEN.ps: File too large"),
            std::string::npos)
      << con.output;
}

TEST(PlplotPlotter, TicksThatWouldFloodTheAxisAreLeftToTheLibrary) {
  struct Row {
    double range, tick;
    int32_t nsub;
    double safe;
    int32_t safe_nsub;
  };
  const Row rows[] = {
      {100, 20, 5, 20, 5},       {100, 0, 5, 0, 5},       {100, -5, 5, 0, 5},
      {100, 1e-6, 5, 0, 5},      {100, 0.1, 10, 0.1, 10}, {100, 20, -3, 20, 0},
      {100, 20, 1000000, 20, 0}, {-100, 20, 5, 20, 5},    {100, 1.0 / 0.0, 5, 0, 5},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PlplotPlotter::safe_tick(r.range, r.tick), r.safe) << r.tick;
    EXPECT_EQ(PlplotPlotter::safe_sub(r.range, r.tick, r.nsub), r.safe_nsub) << r.nsub;
  }
}

TEST(PlplotPlotter, WithoutADisplayDrawingsAndSavesGoToPostScriptFiles) {
  TempDir dir;
  ASSERT_NE(dir.path, "");
  DisplayAs none(nullptr);
  Fixture fx({{1900, 1950}, {1910, 1960}}, 1900, 1960);
  name_files(fx, dir.path + "/abc");
  // Tiny ticks, a huge minor count and a zero width must neither hang nor end the run.
  ScriptConsole con({"8", "0.00001", "9", "2000000000", "7", "0", "0", "s", ""});
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  PlplotPlotter pl;
  EXPECT_FALSE(pl.has_screen());
  PlotMenu d(s, pl);
  d.cmpdrw(fx.rec, *fx.tsi1);
  d.finish();
  EXPECT_EQ(testing_support::slurp(dir.path + "/abc_DATA_SCREEN.ps").substr(0, 4), "%!PS");
  EXPECT_EQ(testing_support::slurp(dir.path + "/abc_DATA.PLTS").substr(0, 4), "%!PS");
  EXPECT_EQ(count(con.output, "abc_DATA_SCREEN.ps"), 1u);
}

TEST(PlplotPlotter, ASaveThatCannotBeWrittenIsToldAndTheMenuGoesOn) {
  DisplayAs none(nullptr);
  Fixture fx({{1900, 1950}}, 1900, 1950);
  name_files(fx, "/nonexistent-folder-for-ringdate/abc");
  ScriptConsole con({"s", "c"});
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  PlplotPlotter pl;
  PlotMenu d(s, pl);
  d.cmpdrw(fx.rec, *fx.tsi1);
  EXPECT_NE(con.output.find(" The plot could not be saved: cannot write the file "
                            "/nonexistent-folder-for-ringdate/abc_DATA.PLTS: No such file or "
                            "directory"),
            std::string::npos)
      << con.output;
  EXPECT_EQ(count(con.output, "enter option number > "), 2u);
}

// Number of distinct colours on the screen of `display` (0 when it cannot be captured).
int screen_colours(const std::string& display) {
  const std::string cmd = "xwd -root -silent -display " + display +
                          " 2>/dev/null | convert xwd:- -format '%k' info: 2>/dev/null";
  std::FILE* f = ::popen(cmd.c_str(), "r");
  if (!f) return 0;
  int n = 0;
  if (std::fscanf(f, "%d", &n) != 1) n = 0;
  ::pclose(f);
  return n;
}

// Captures the screen each time an answer is read, while the dialogue waits.
class CapturingConsole : public ScriptConsole {
 public:
  CapturingConsole(std::vector<std::string> answers, std::string display)
      : ScriptConsole(std::move(answers)), display_(std::move(display)) {}
  recio::Outcome in(std::string& line) override {
    // The window server draws on its own time: give it up to ten seconds.
    int c = screen_colours(display_);
    for (int i = 0; i < 100 && c < 3; ++i) {
      ::usleep(100000);
      c = screen_colours(display_);
    }
    colours.push_back(c);
    return ScriptConsole::in(line);
  }
  std::vector<int> colours;

 private:
  std::string display_;
};

TEST(PlplotPlotter, TheWindowStaysOpenWhileTheMenuWaits) {
  testing_support::VirtualDisplay x;
  if (!x.up) GTEST_SKIP() << "no virtual X server (Xvfb) could start";
  if (::system("command -v xwd >/dev/null && command -v convert >/dev/null") != 0) {
    GTEST_SKIP() << "no screen capture tools";
  }
  DisplayAs shown(x.name.c_str());
  TempDir dir;
  Fixture fx({{1900, 1950}, {1910, 1960}}, 1900, 1960);
  name_files(fx, dir.path + "/abc");
  CapturingConsole con({"1", "0", "0", "s", ""}, x.name);
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  PlplotPlotter pl;
  ASSERT_TRUE(pl.has_screen());
  PlotMenu d(s, pl);
  d.cmpdrw(fx.rec, *fx.tsi1);
  // Answers: menu, background question, menu after it, menu after the redraw, after save.
  ASSERT_EQ(con.colours.size(), 5u);
  for (int c : con.colours) EXPECT_GE(c, 3);  // background, frame and curve at least
  EXPECT_EQ(testing_support::slurp(dir.path + "/abc_DATA.PLTS").substr(0, 4), "%!PS");
  EXPECT_EQ(con.output.find("SCREEN"), std::string::npos);
  d.finish();
  int left = screen_colours(x.name);
  for (int i = 0; i < 20 && left > 1; ++i) {
    ::usleep(100000);
    left = screen_colours(x.name);
  }
  EXPECT_LE(left, 1);  // the window is gone: the bare root
}

}  // namespace
}  // namespace ringdate
