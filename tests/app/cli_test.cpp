#include "app/cli.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/datafile.h"
#include "main/cmpplt.h"
#include "main/edit.h"
#include "main/picking.h"
#include "support/test_support.h"
#include "xdate/check.h"
#include "xdate/location.h"
#include "xdate/store_input.h"

namespace {

namespace fs = std::filesystem;
using namespace ringdate;
using app::Command;

app::Parsed parse(std::vector<std::string_view> args) { return app::parse_arguments(args); }

TEST(Arguments, CommandsAndDefaults) {
  EXPECT_EQ(parse({}).command, Command::dialogue);
  EXPECT_EQ(parse({"--help"}).command, Command::help);
  EXPECT_EQ(parse({"--version"}).command, Command::version);
  const app::Parsed p = parse({"--check", "a.rwl"});
  ASSERT_EQ(p.command, Command::check);
  EXPECT_EQ(p.check.file, "a.rwl");
  EXPECT_EQ(p.check.format, "");
  EXPECT_EQ(p.check.settings.segment, 50);
  EXPECT_EQ(p.check.settings.lag, 10);
  EXPECT_EQ(p.check.settings.pcrit, 0.01);
  EXPECT_FALSE(p.check.csv_dir);
}

TEST(Arguments, EveryOptionWithItsValue) {
  const app::Parsed p = parse({"--format=cd", "--check", "a b.rwl", "--segment", "40", "--lag=5",
                               "--pcrit", "0.05", "--csv", "out"});
  ASSERT_EQ(p.command, Command::check) << p.error;
  EXPECT_EQ(p.check.file, "a b.rwl");
  EXPECT_EQ(p.check.format, "CD");
  EXPECT_EQ(p.check.settings.segment, 40);
  EXPECT_EQ(p.check.settings.lag, 5);
  EXPECT_EQ(p.check.settings.pcrit, 0.05);
  EXPECT_EQ(p.check.csv_dir.value_or(""), "out");
}

TEST(Arguments, UsageErrorsSayWhatIsWrongInOneLine) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
      {{"--frobnicate"}, "unknown option --frobnicate"},
      {{"--check"}, "--check needs a value"},
      {{"--check", "a", "--lag"}, "--lag needs a value"},
      {{"a.rwl"}, "unexpected argument a.rwl"},
      {{"--check", "a", "--format", "XX"}, "--format must be MR, IR, CR, CD or FH"},
      {{"--check", "a", "--segment", "49"},
       "--segment must be an even number of years from 10 to 500"},
      {{"--check", "a", "--segment", "8"},
       "--segment must be an even number of years from 10 to 500"},
      {{"--check", "a", "--segment", "5x"},
       "--segment must be an even number of years from 10 to 500"},
      {{"--check", "a", "--lag", "0"}, "--lag must be a whole number from 1 to 50"},
      {{"--check", "a", "--pcrit", "1"}, "--pcrit must be a number between 0 and 1"},
      {{"--check", "a", "--pcrit", "nan"}, "--pcrit must be a number between 0 and 1"},
      {{"--check", "a", "--check", "b"}, "--check given twice"},
      {{"--lag", "5"}, "the options need --check FILE"},
      {{"--help=yes"}, "--help takes no value"},
  };
  for (const auto& [args, message] : cases) {
    const app::Parsed p = parse(args);
    EXPECT_EQ(p.command, Command::usage_error) << message;
    EXPECT_EQ(p.error, message);
  }
  std::ostringstream out, err;
  EXPECT_EQ(app::run_command(parse({"--bad"}), out, err), app::exit_failure);
  EXPECT_EQ(err.str(), "ringdate: unknown option --bad (see ringdate --help)\n");
  EXPECT_EQ(out.str(), "");
}

// The built program run with arguments in a scratch folder.
class Program : public ::testing::Test {
 protected:
  struct Run {
    int status = -1;
    std::string out, err;
  };
  fs::path dir;

  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("ringdate_cli_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::string quoted(const std::string& s) { return "'" + s + "'"; }
  Run run(const std::vector<std::string>& args) const {
    std::string cmd =
        "cd " + quoted(dir.string()) + " && " + quoted(testing_support::program_path());
    for (const std::string& a : args) cmd += " " + quoted(a);
    cmd += " < /dev/null > .out 2> .err";
    const int rc = std::system(cmd.c_str());
    Run r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = testing_support::slurp((dir / ".out").string());
    r.err = testing_support::slurp((dir / ".err").string());
    fs::remove(dir / ".out");
    fs::remove(dir / ".err");
    return r;
  }
  static std::string pine() { return testing_support::source_dir() + "/examples/pine.rwl"; }
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Program, AFlaggedFileReportsTheEditAndExitsOne) {
  fs::copy_file(pine(), dir / "pine.rwl");
  const Run r = run({"--check", "pine.rwl"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Crossdating check of pine.rwl\n"), std::string::npos);
  EXPECT_NE(
      r.out.find("\nPIN04A  missing ring at 1903: in the comparison choose I, year 1904, side B\n"),
      std::string::npos)
      << r.out;
  // Nothing is written beside the data file.
  EXPECT_EQ(listing(), (std::vector<std::string>{"pine.rwl"}));
}

TEST_F(Program, PlotWritesTheSegmentChartAndNothingIsDrawnWithoutIt) {
  fs::copy_file(pine(), dir / "pine.rwl");
  const Run plain = run({"--check", "pine.rwl"});
  EXPECT_EQ(listing(), (std::vector<std::string>{"pine.rwl"}));
  const Run drawn = run({"--check", "pine.rwl", "--plot", "chart.ps"});
  EXPECT_EQ(drawn.status, 1);
  EXPECT_EQ(drawn.err, "");
  EXPECT_EQ(drawn.out, plain.out);  // the report is the same
  const std::string ps = testing_support::slurp((dir / "chart.ps").string());
  EXPECT_EQ(ps.substr(0, 4), "%!PS");
  EXPECT_NE(ps.find("PIN04A"), std::string::npos);
  EXPECT_NE(ps.find("I 1904 B"), std::string::npos);
  EXPECT_EQ(listing(), (std::vector<std::string>{"chart.ps", "pine.rwl"}));
  // A chart that cannot be written: the reason, exit 2.
  const Run bad = run({"--check", "pine.rwl", "--plot", "no/such/folder/chart.ps"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err,
            "ringdate: cannot write the file no/such/folder/chart.ps: No such file or directory\n");
  EXPECT_EQ(parse({"--check", "f", "--plot"}).command, Command::usage_error);
  EXPECT_EQ(parse({"--check", "f", "--plot", "a.ps"}).check.plot_file, "a.ps");
  EXPECT_NE(app::help_text().find("--plot OUT.ps"), std::string::npos);
}

TEST_F(Program, HelpVersionAndUsageErrors) {
  const Run help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, app::help_text());
  const Run version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, app::version_text());
  const Run bad = run({"--check", "x.rwl", "--segment"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "ringdate: --segment needs a value (see ringdate --help)\n");
}

TEST_F(Program, FilesThatCannotBeReadExitTwoWithTheReasonOnTheErrorStream) {
  const Run missing = run({"--check", "nothere.rwl"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "ringdate: cannot open nothere.rwl\n");

  std::ofstream(dir / "notes.txt") << "shopping list\neggs\nmilk\n";
  const Run unsure = run({"--check", "notes.txt"});
  EXPECT_EQ(unsure.status, 2);
  EXPECT_NE(unsure.err.find("--format"), std::string::npos);
  EXPECT_EQ(std::count(unsure.err.begin(), unsure.err.end(), '\n'), 1);

  // A series that goes back to a decade it has: the reader's refusal is the message.
  std::ofstream(dir / "repeated.rwl")
      << "AAA     1000   120   130   140   150   160   170   180   190   200   210\n"
         "AAA     1000   220   999\n";
  const Run refused = run({"--check", "repeated.rwl", "--format", "MR"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_FALSE(refused.err.empty());
  EXPECT_NE(refused.err.find("goes back to the year 1000"), std::string::npos) << refused.err;

  // Two series 2100 years apart are read; they never overlap, so nothing is tested.
  std::ofstream(dir / "wide.rwl")
      << "AAA     1000   120   130   140   150   160   170   180   190   200   210\n"
         "AAA     1010   220   999\n"
         "BBB     3100   120   130   999\n";
  const Run wide = run({"--check", "wide.rwl", "--format", "MR"});
  EXPECT_EQ(wide.status, 3) << wide.err;
  EXPECT_NE(wide.out.find("1000-3101 (2102 years)"), std::string::npos) << wide.out;
}

TEST_F(Program, AReportThatTestedNothingSaysWhyAndExitsThree) {
  // One series.
  std::ofstream(dir / "one.rwl")
      << "ONE     1900   120   130   140   150   160   170   180   190   200   210\n"
         "ONE     1910   220   999\n";
  const Run one = run({"--check", "one.rwl", "--format", "mr"});
  EXPECT_EQ(one.status, 3) << one.err;
  EXPECT_NE(one.out.find("Crossdating needs at least two series; this file has one.\n"
                         "Nothing could be tested.\n"),
            std::string::npos)
      << one.out;
  // Segments longer than the file.
  fs::copy_file(pine(), dir / "pine.rwl");
  const Run long_segments = run({"--check", "pine.rwl", "--segment", "500"});
  EXPECT_EQ(long_segments.status, 3);
  EXPECT_NE(long_segments.out.find("\nNothing could be tested: no 500-year segment overlaps its "
                                   "master.\n"),
            std::string::npos)
      << long_segments.out;
  EXPECT_EQ(long_segments.out.find("No segment is flagged"), std::string::npos);
  // Series that never overlap.
  std::string apart;
  std::vector<int> a, b;
  for (int k = 0; k < 120; ++k) a.push_back(100 + (k * 37) % 91);
  for (int k = 0; k < 120; ++k) b.push_back(100 + (k * 53) % 89);
  apart += testing_support::tucson_series("EARLY", 1600, a, 999);
  apart += testing_support::tucson_series("LATE", 1800, b, 999);
  std::ofstream(dir / "apart.rwl") << apart;
  const Run never = run({"--check", "apart.rwl", "--format", "MR"});
  EXPECT_EQ(never.status, 3) << never.out;
  EXPECT_NE(never.out.find("Nothing could be tested"), std::string::npos) << never.out;
  // The status is documented.
  EXPECT_NE(app::help_text().find("3 nothing could be tested"), std::string::npos);
}

// A line of the report that starts with `id`, or "".
std::string report_line(const std::string& out, const std::string& id) {
  const std::size_t at = out.find("\n" + id + " ");
  return at == std::string::npos ? std::string()
                                 : out.substr(at + 1, out.find('\n', at + 1) - at - 1);
}

TEST_F(Program, UndefinedStatisticsAreDashesAndNa) {
  std::vector<int> alternating, constant;
  for (int k = 0; k < 100; ++k) alternating.push_back(k % 2 == 0 ? 1000 : 2000);
  for (int k = 0; k < 100; ++k) constant.push_back(1500);
  // The transforms of ALT3 are those of its master turned over: r = -1, no finite t.
  std::ofstream(dir / "alt.rwl")
      << testing_support::tucson_series("ALT1", 1900, alternating, -9999) +
             testing_support::tucson_series("ALT2", 1900, alternating, -9999) +
             testing_support::tucson_series("ALT3", 1901, alternating, -9999);
  const Run alt = run({"--check", "alt.rwl", "--format", "MR", "--csv", "a"});
  EXPECT_EQ(alt.err, "");
  EXPECT_EQ(alt.out.find("9999.9"), std::string::npos) << alt.out;
  const std::string alt3 = report_line(alt.out, "ALT3");
  ASSERT_FALSE(alt3.empty()) << alt.out;
  EXPECT_EQ(alt3.substr(38, 16), "       -       -") << alt3;
  const std::string series = testing_support::slurp((dir / "a" / "series.csv").string());
  EXPECT_NE(series.find("\nALT3,1901,2000,100,0.93"), std::string::npos) << series;
  EXPECT_NE(series.find(",98,NA,95,NA,98,"), std::string::npos) << series;
  // Constant series: no correlation, no direction to agree on, no best lag.
  std::ofstream(dir / "flat.rwl") << testing_support::tucson_series("C1", 1900, constant, -9999) +
                                         testing_support::tucson_series("C2", 1900, constant,
                                                                        -9999) +
                                         testing_support::tucson_series("ALT", 1900, alternating,
                                                                        -9999);
  const Run flat = run({"--check", "flat.rwl", "--format", "MR", "--csv", "f"});
  EXPECT_EQ(flat.status, 3);  // nothing could be correlated
  const std::string c1 = report_line(flat.out, "C1");
  EXPECT_EQ(c1.substr(c1.size() - 16), "      -        3") << c1;  // GLK, flagged
  EXPECT_NE(flat.out.find("Nothing could be tested: no 50-year segment and its master both vary."),
            std::string::npos)
      << flat.out;
  const std::string fseries = testing_support::slurp((dir / "f" / "series.csv").string());
  EXPECT_NE(fseries.find("\nC1,1900,1999,100,NA,NA,100,NA,96,NA,99,NA,99,"), std::string::npos)
      << fseries;
  const std::string segments = testing_support::slurp((dir / "f" / "segments.csv").string());
  EXPECT_NE(segments.find("\nC1,1900,1949,NA,NA,TRUE,NA,NA,FALSE,1\n"), std::string::npos)
      << segments;
  for (const std::string& t : {series, fseries, segments}) {
    EXPECT_EQ(t.find("e+"), std::string::npos) << t;
    EXPECT_EQ(t.find("inf"), std::string::npos) << t;
    EXPECT_EQ(t.find("nan"), std::string::npos) << t;
  }
}

TEST_F(Program, SeriesOfTheSameNameAreToldApartByTheirPlace) {
  // PIN01A renamed PIN04A: two series of that name, the second one misses a ring.
  std::string text = testing_support::slurp(pine());
  for (std::size_t at = text.find("PIN01A"); at != std::string::npos; at = text.find("PIN01A"))
    text.replace(at, 6, "PIN04A");
  std::ofstream(dir / "dup.rwl") << text;
  const Run r = run({"--check", "dup.rwl", "--csv", "t"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.out.find("\nPIN04A (2nd)  missing ring at 1903: in the comparison choose I, year "
                       "1904, side B"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("PIN04A (1st)  missing"), std::string::npos) << r.out;
  const std::string suggestions = testing_support::slurp((dir / "t" / "suggestions.csv").string());
  EXPECT_EQ(suggestions.substr(0, suggestions.find('\n')),
            "id,kind,year,type_year,side,r_before,r_after,flagged_before,flagged_after,edit,edits,"
            "seq");
  EXPECT_EQ(suggestions.substr(suggestions.rfind(',') + 1), "5\n");  // the fifth series
  const std::string series = testing_support::slurp((dir / "t" / "series.csv").string());
  EXPECT_NE(series.find(",ok,1\n"), std::string::npos);
  EXPECT_NE(series.find(",ok,6\n"), std::string::npos);
}

TEST_F(Program, OutputsThatAreInputsAndInputsThatNeverEndAreRefused) {
  fs::copy_file(pine(), dir / "pine.rwl");
  const std::string before = testing_support::slurp((dir / "pine.rwl").string());
  const Run plot = run({"--check", "pine.rwl", "--plot", "./pine.rwl"});
  EXPECT_EQ(plot.status, 2);
  EXPECT_EQ(plot.out, "");
  EXPECT_EQ(plot.err, "ringdate: --plot ./pine.rwl is the data file; name another file\n");
  EXPECT_EQ(testing_support::slurp((dir / "pine.rwl").string()), before);
  fs::create_directory(dir / "t");
  fs::copy_file(pine(), dir / "t" / "series.csv");
  const Run csv = run({"--check", "t/series.csv", "--format", "MR", "--csv", "t"});
  EXPECT_EQ(csv.status, 2);
  EXPECT_EQ(csv.err, "ringdate: --csv t would replace the data file t/series.csv\n");
  EXPECT_EQ(testing_support::slurp((dir / "t" / "series.csv").string()), before);

  const Run zero = run({"--check", "/dev/zero"});
  EXPECT_EQ(zero.status, 2);
  EXPECT_EQ(zero.err, "ringdate: /dev/zero is not a regular file\n");
}

TEST_F(Program, WritesThatFailAreSaidAndLeaveNothingHalfWritten) {
  fs::copy_file(pine(), dir / "pine.rwl");
  // The report onto a full device.
  const int rc = std::system(("cd '" + dir.string() + "' && '" + testing_support::program_path() +
                              "' --check pine.rwl > /dev/full 2> .err")
                                 .c_str());
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 2);
  EXPECT_EQ(testing_support::slurp((dir / ".err").string()),
            "ringdate: cannot write the report to the standard output\n");
  fs::remove(dir / ".err");
  // Tables and chart cut short by the file-size limit (as by a full disk): no file is left
  // half-written, an earlier one stays whole, and the line names the file.
  std::ofstream(dir / "chart.ps") << "earlier chart\n";
  const int cut = std::system(("cd '" + dir.string() + "' && ulimit -f 4 && '" +
                               testing_support::program_path() +
                               "' --check pine.rwl --plot chart.ps > /dev/null 2> .err")
                                  .c_str());
  EXPECT_EQ(WIFEXITED(cut) ? WEXITSTATUS(cut) : -1, 2);
  EXPECT_EQ(testing_support::slurp((dir / ".err").string()),
            "ringdate: cannot write the file chart.ps: File too large\n");
  EXPECT_EQ(testing_support::slurp((dir / "chart.ps").string()), "earlier chart\n");
  fs::remove(dir / ".err");
  EXPECT_EQ(listing(), (std::vector<std::string>{"chart.ps", "pine.rwl"}));
}

TEST_F(Program, TheListOfSeriesWithoutAnEditIsSpaced) {
  // PIN04A with its flagged segment and a second, unrelated flaw nothing mends in one edit.
  std::string text = testing_support::slurp(pine());
  std::vector<int> noise;
  for (int k = 0; k < 150; ++k) noise.push_back(500 + (k * 7919) % 1000);
  text += testing_support::tucson_series("NOISE", 1840, noise, -9999);
  std::ofstream(dir / "noise.rwl") << text;
  const Run r = run({"--check", "noise.rwl", "--format", "MR"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("restores the dating of: NOISE"), std::string::npos) << r.out;
}

TEST_F(Program, TablesMatchTheReferenceThroughTheReader) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  const Run clean = run({"--check", shared + "/data/real/co021.rwl"});
  EXPECT_EQ(clean.status, 0);
  const Run r = run({"--check", shared + "/data/real/ca533.rwl", "--csv", "tables"});
  EXPECT_EQ(r.status, 1) << r.err;
  for (const char* name : {"series.csv", "segments.csv", "suggestions.csv"}) {
    EXPECT_TRUE(fs::exists(dir / "tables" / name)) << name;
  }
  // series.csv: every number of the reference, within its tolerance.
  std::ifstream got(dir / "tables" / "series.csv"),
      want(shared + "/reference/xdate/ca533/series.csv");
  std::string g, w;
  std::getline(got, g);
  std::getline(want, w);
  EXPECT_EQ(g.substr(0, w.size()), w);
  int rows = 0;
  while (std::getline(want, w)) {
    ASSERT_TRUE(std::getline(got, g));
    std::stringstream gs(g), ws(w);
    std::string gc, wc;
    for (int col = 0; std::getline(ws, wc, ','); ++col) {
      ASSERT_TRUE(std::getline(gs, gc, ','));
      if (col == 0) {
        EXPECT_EQ(gc, wc);
      } else if (col == 5) {  // p
        EXPECT_NEAR(std::stod(gc), std::stod(wc), std::max(1e-12, 1e-4 * std::stod(wc))) << w;
      } else {
        EXPECT_NEAR(std::stod(gc), std::stod(wc), 1e-4) << w << " column " << col;
      }
    }
    ++rows;
  }
  EXPECT_EQ(rows, 34);
  // segments.csv: the same flags and best lags row for row.
  std::ifstream gseg(dir / "tables" / "segments.csv"),
      wseg(shared + "/reference/xdate/ca533/segments.csv");
  int segs = 0, flagged = 0;
  std::getline(gseg, g);
  std::getline(wseg, w);
  while (std::getline(wseg, w)) {
    ASSERT_TRUE(std::getline(gseg, g));
    auto fields = [](const std::string& line) {
      std::vector<std::string> f;
      std::stringstream ss(line);
      std::string c;
      while (std::getline(ss, c, ',')) f.push_back(c);
      return f;
    };
    const auto gf = fields(g), wf = fields(w);
    ASSERT_GE(gf.size(), 9u);
    EXPECT_EQ(gf[0], wf[0]);
    EXPECT_EQ(gf[1], wf[1]);
    EXPECT_EQ(gf[5], wf[5]) << w;
    EXPECT_EQ(gf[6], wf[6]) << w;
    EXPECT_EQ(gf[8], wf[8]) << w;
    flagged += (wf[5] == "TRUE") + (wf[8] == "TRUE");
    ++segs;
  }
  EXPECT_FALSE(std::getline(gseg, g));
  EXPECT_EQ(flagged, 24);  // 16 A and 8 B
}

// Typing the suggestion in the comparison loop makes exactly the edit the check scored.
class TypedEdit : public ::testing::Test {
 protected:
  struct NoDrawing : Drawer {
    void cmpdrw(const PlotRecords&, const Tsi1&) override {}
    void finish() override {}
  };

  // PIN04A of the example file after typing `answers` in a comparison of it alone.
  xdate::SeriesInput typed(const std::vector<std::string>& answers) {
    auto store = std::make_unique<Store>();
    EXPECT_EQ(
        read_data_file(testing_support::source_dir() + "/examples/pine.rwl", "", *store).result,
        DataFileResult::read);
    const int32_t pin04a = 5;
    auto tsi1 = std::make_unique<Tsi1>();
    PickPass pass;
    begin_pass(*tsi1, pass);
    EXPECT_TRUE(add_pick(*store, *tsi1, pass, pin04a));
    close_pass(*store, *tsi1, pass);
    testing_support::ScriptConsole console(answers);
    testing_support::MemoryFileSystem files;
    recio::Session session(console, files);
    NoDrawing drawer;
    Cmpplt cmpplt(session, drawer);
    const Comparison end = cmpplt(*tsi1, "pine.rwl", "DATA FILE", "YEARS", "MILLIMETERS");
    EXPECT_EQ(end.outcome, CompareOutcome::edit_posted);
    if (end.edit) {
      EXPECT_EQ(apply_edit(*store, tsi1->nsel, *end.edit), EditCarry::carried);
    }
    return xdate::series_of_store(*store)[pin04a - 1];
  }
  static xdate::SeriesInput as_read() {
    auto store = std::make_unique<Store>();
    read_data_file(testing_support::source_dir() + "/examples/pine.rwl", "", *store);
    return xdate::series_of_store(*store)[4];
  }
};

TEST_F(TypedEdit, TheSuggestedInsertIsWhatTheLoopDoes) {
  const xdate::SeriesInput s = as_read();
  ASSERT_EQ(s.id, "PIN04A");
  std::vector<xdate::SeriesInput> all;
  {
    auto store = std::make_unique<Store>();
    read_data_file(testing_support::source_dir() + "/examples/pine.rwl", "", *store);
    all = xdate::series_of_store(*store);
  }
  const xdate::CheckResult r = xdate::run_check(all, xdate::Settings{});
  ASSERT_EQ(r.suggestions.size(), 1u);
  const xdate::Suggestion& g = r.suggestions[0];
  const xdate::SeriesInput after =
      typed({"I", "1", std::to_string(g.first().type_year()), std::string(1, g.side), ""});
  xdate::SeriesInput want;
  ASSERT_TRUE(xdate::apply_edit(s, g.first(), want));
  EXPECT_EQ(after.first, want.first);
  EXPECT_EQ(after.values, want.values);
}

TEST_F(TypedEdit, ADeleteOfTheTypedYearIsWhatTheLoopDoes) {
  const xdate::SeriesInput s = as_read();
  const xdate::Edit e{xdate::EditKind::remove, 1900};
  const xdate::SeriesInput after = typed({"D", "1", std::to_string(e.type_year()), "B", ""});
  xdate::SeriesInput want;
  ASSERT_TRUE(xdate::apply_edit(s, e, want));
  EXPECT_EQ(after.first, want.first);
  EXPECT_EQ(after.values, want.values);
}

}  // namespace
