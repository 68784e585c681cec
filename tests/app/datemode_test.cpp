// The dating mode from the command line: its options, the files it reads and writes, its
// exit statuses.
#include "app/datemode.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "core/store.h"
#include "formats/datafile.h"
#include "formats/heidelberg.h"
#include "support/test_support.h"
#include "xdate/store_input.h"

namespace {

namespace fs = std::filesystem;
using namespace ringdate;
using app::Command;

app::Parsed parse(std::vector<std::string_view> args) { return app::parse_arguments(args); }

TEST(DateArguments, OptionsAndDefaults) {
  const app::Parsed p = parse({"--date", "s.rwl", "--ref", "r.crn"});
  ASSERT_EQ(p.command, Command::date) << p.error;
  EXPECT_EQ(p.date.samples, "s.rwl");
  EXPECT_EQ(p.date.reference, "r.crn");
  EXPECT_EQ(p.date.settings.overlap, 50);
  EXPECT_EQ(p.date.settings.top, 5);
  EXPECT_FALSE(p.date.csv_dir || p.date.write_file || p.date.plot_file);
  const app::Parsed all =
      parse({"--ref=r", "--date", "s", "--format", "cd", "--ref-format=ir", "--overlap", "40",
             "--top", "3", "--csv", "out", "--write", "dated.rwl", "--plot", "d.ps"});
  ASSERT_EQ(all.command, Command::date) << all.error;
  EXPECT_EQ(all.date.format, "CD");
  EXPECT_EQ(all.date.ref_format, "IR");
  EXPECT_EQ(all.date.settings.overlap, 40);
  EXPECT_EQ(all.date.settings.top, 3);
  EXPECT_EQ(all.date.csv_dir, "out");
  EXPECT_EQ(all.date.write_file, "dated.rwl");
  EXPECT_EQ(all.date.plot_file, "d.ps");
}

TEST(DateArguments, UsageErrors) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
      {{"--date", "s"}, "--date needs --ref REFERENCE"},
      {{"--ref", "r"}, "--ref needs --date SAMPLES --ref REFERENCE"},
      {{"--date", "s", "--ref", "r", "--check", "c"}, "--check and --date cannot be combined"},
      {{"--date", "s", "--ref", "r", "--segment", "40"},
       "--segment belongs to --check, not --date"},
      {{"--check", "c", "--top", "3"}, "--top belongs to --date, not --check"},
      {{"--date", "s", "--ref", "r", "--overlap", "5"},
       "--overlap must be a whole number of years from 10 to 2000"},
      {{"--date", "s", "--ref", "r", "--top", "0"}, "--top must be a whole number from 1 to 1000"},
      {{"--date", "s", "--ref", "r", "--ref-format", "XX"},
       "--ref-format must be MR, IR, CR, CD or FH"},
      {{"--date", "s", "--ref"}, "--ref needs a value"},
      {{"--date", "s", "--ref", "r", "--ref", "q"}, "--ref given twice"},
  };
  for (const auto& [args, message] : cases) {
    const app::Parsed p = parse(args);
    EXPECT_EQ(p.command, Command::usage_error) << message;
    EXPECT_EQ(p.error, message);
  }
  EXPECT_NE(app::help_text().find("--date SAMPLES --ref REFERENCE"), std::string::npos);
}

// Files made in a scratch folder from co021: the reference without its first series, and
// samples numbered from 1.
class DateMode : public ::testing::Test {
 protected:
  fs::path dir;
  std::vector<xdate::SeriesInput> series;

  void SetUp() override {
    const std::string shared = testing_support::shared_dir();
    if (shared.empty()) GTEST_SKIP() << "../shared is absent";
    auto store = std::make_unique<Store>();
    ASSERT_EQ(read_data_file(shared + "/data/real/co021.rwl", "", *store).result,
              DataFileResult::read);
    series = xdate::series_of_store(*store);
    dir = fs::temp_directory_path() /
          ("ringdate_date_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream ref(dir / "ref.rwl");
    for (std::size_t i = 1; i < series.size(); ++i) ref << tucson(series[i], series[i].first);
  }
  void TearDown() override {
    if (!dir.empty()) fs::remove_all(dir);
  }
  static std::string tucson(const xdate::SeriesInput& s, int first) {
    std::vector<int> v;
    for (double x : s.values) v.push_back(static_cast<int>(std::lround(x * 1000.0)));
    return testing_support::tucson_series(s.id, first, v, -9999);
  }
  xdate::SeriesInput shuffled(std::size_t i) const {
    xdate::SeriesInput s = series[i];
    s.id = "MIXED";
    std::mt19937 rng(3);
    std::shuffle(s.values.begin(), s.values.end(), rng);
    return s;
  }
  struct Result {
    int status;
    std::string out, err;
  };
  Result date(std::vector<std::string> args) const {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    const int status = app::run_command(app::parse_arguments(views), out, err);
    return {status, out.str(), err.str()};
  }
  std::string path(const char* name) const { return (dir / name).string(); }
};

TEST_F(DateMode, ATrueSampleIsDatedAndExitsZero) {
  std::ofstream(dir / "one.rwl") << tucson(series[0], 1);
  const Result r =
      date({"--date", path("one.rwl"), "--ref", path("ref.rwl"), "--csv", path("tables")});
  EXPECT_EQ(r.status, 0) << r.err << r.out;
  EXPECT_EQ(r.err, "");
  const std::string want = "  dated " + std::to_string(series[0].first) + "-" +
                           std::to_string(series[0].last()) + " (p ";
  EXPECT_NE(r.out.find(want), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Reference: format MR (Tucson measurements, guessed), 34 series, "
                       "1176-1963 (788 years)"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("1 of 1 sample series dated."), std::string::npos);
  const std::string csv = testing_support::slurp(path("tables") + "/datings.csv");
  EXPECT_TRUE(csv.starts_with("id,rank,first,last,overlap,r,t,tBP,tHo,glk,glk_p,p,dated\n" +
                              series[0].id + ",1," + std::to_string(series[0].first) + ","))
      << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6);  // header and the top 5
  EXPECT_EQ(csv.find(",TRUE\n"), csv.rfind(",TRUE\n"));    // once, on rank 1
  EXPECT_NE(csv.find(",TRUE\n"), std::string::npos);

  // A second run replaces the table; a link left where the table goes is replaced, not
  // followed, so the file it points to keeps its content.
  std::ofstream(dir / "kept.txt") << "mine\n";
  std::filesystem::remove(path("tables") + "/datings.csv");
  std::filesystem::create_symlink(dir / "kept.txt", path("tables") + "/datings.csv");
  EXPECT_EQ(
      date({"--date", path("one.rwl"), "--ref", path("ref.rwl"), "--csv", path("tables")}).status,
      0);
  EXPECT_EQ(testing_support::slurp(path("kept.txt")), "mine\n");
  EXPECT_EQ(testing_support::slurp(path("tables") + "/datings.csv"), csv);
}

TEST_F(DateMode, ASampleNotDatedExitsOne) {
  std::ofstream(dir / "two.rwl") << tucson(series[0], 1) << tucson(shuffled(0), 1);
  const Result r = date({"--date", path("two.rwl"), "--ref", path("ref.rwl"), "--top", "2"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.out.find("  not dated: best "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 of 2 sample series dated."), std::string::npos);
}

TEST_F(DateMode, ShortSampleAndEmptyReferenceAreLinesOfTheReport) {
  xdate::SeriesInput s = series[0];
  s.values.resize(30);
  std::ofstream(dir / "short.rwl") << tucson(s, 1);
  const Result r = date({"--date", path("short.rwl"), "--format", "MR", "--ref", path("ref.rwl")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("  not dated: too short for an overlap of 50 years"), std::string::npos)
      << r.out;
  // A reference whose only series is too short to filter.
  std::ofstream(dir / "tiny.rwl") << "TINY    1900   120   130   999\n";
  const Result t = date({"--date", path("short.rwl"), "--format", "MR", "--ref", path("tiny.rwl"),
                         "--ref-format", "MR"});
  EXPECT_EQ(t.status, 1) << t.err;
  EXPECT_NE(t.out.find("No series of the reference can be filtered."), std::string::npos) << t.out;
}

TEST_F(DateMode, FilesThatCannotBeReadOrWrittenExitTwo) {
  std::ofstream(dir / "one.rwl") << tucson(series[0], 1);
  const Result missing = date({"--date", path("none.rwl"), "--ref", path("ref.rwl")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "ringdate: cannot open " + path("none.rwl") + "\n");
  const Result no_ref = date({"--date", path("one.rwl"), "--ref", path("none.rwl")});
  EXPECT_EQ(no_ref.status, 2);
  EXPECT_EQ(no_ref.err, "ringdate: cannot open " + path("none.rwl") + "\n");
  std::ofstream(dir / "notes.txt") << "shopping list\neggs\nmilk\n";
  const Result unsure = date({"--date", path("one.rwl"), "--ref", path("notes.txt")});
  EXPECT_EQ(unsure.status, 2);
  EXPECT_NE(unsure.err.find("--ref-format"), std::string::npos) << unsure.err;
  std::ofstream(dir / "file") << "x";
  const Result csv =
      date({"--date", path("one.rwl"), "--ref", path("ref.rwl"), "--csv", path("file")});
  EXPECT_EQ(csv.status, 2);
  EXPECT_NE(csv.err.find("ringdate: cannot write "), std::string::npos) << csv.err;
  const Result usage = date({"--date", path("one.rwl")});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err, "ringdate: --date needs --ref REFERENCE (see ringdate --help)\n");
}

TEST_F(DateMode, WriteRenumbersTheDatedSeriesOnly) {
  std::ofstream(dir / "two.rwl") << tucson(series[0], 1) << tucson(shuffled(0), 1);
  const Result r =
      date({"--date", path("two.rwl"), "--ref", path("ref.rwl"), "--write", path("out.rwl")});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err, "");
  auto store = std::make_unique<Store>();
  ASSERT_EQ(read_data_file(path("out.rwl"), "MR", *store).result, DataFileResult::read);
  const std::vector<xdate::SeriesInput> back = xdate::series_of_store(*store);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].id, series[0].id);
  EXPECT_EQ(back[0].first, series[0].first);  // dated: its calendar years
  EXPECT_EQ(back[0].values, series[0].values);
  EXPECT_EQ(back[1].id, "MIXED");
  EXPECT_EQ(back[1].first, 1);  // not dated: as it was
  EXPECT_EQ(back[1].values, shuffled(0).values);
  // A file that cannot be written: the reason, exit 2, nothing left behind.
  const Result bad =
      date({"--date", path("two.rwl"), "--ref", path("ref.rwl"), "--write", path("no/out.rwl")});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("ringdate: cannot write " + path("no/out.rwl")), std::string::npos)
      << bad.err;
  EXPECT_FALSE(fs::exists(dir / "no"));
}

// A chronology of the reference's series (the mean of each year's widths over their series'
// means) with a gap of 60 years, written as an index file without lines for those years:
// the line after the gap starts with its first year's pair. A sample dates to its years,
// which overlap the gap (the gap's years have no value and shift nothing).
TEST_F(DateMode, AChronologyWithAGapIsAReference) {
  int first = series[1].first, last = series[1].last();
  for (std::size_t i = 2; i < series.size(); ++i) {
    first = std::min(first, series[i].first);
    last = std::max(last, series[i].last());
  }
  std::vector<double> sum(static_cast<std::size_t>(last - first + 1)), n(sum.size());
  for (std::size_t i = 1; i < series.size(); ++i) {
    double mean = 0.0;
    for (double x : series[i].values) mean += x;
    mean /= static_cast<double>(series[i].values.size());
    for (std::size_t k = 0; k < series[i].values.size(); ++k) {
      const auto at = static_cast<std::size_t>(series[i].first - first) + k;
      sum[at] += series[i].values[k] / mean;
      n[at] += 1.0;
    }
  }
  const int gap_from = series[0].first + 40, gap_to = gap_from + 59;
  std::string text, line;
  int decade = -1;
  for (int y = first; y <= last; ++y) {
    const auto at = static_cast<std::size_t>(y - first);
    if ((y >= gap_from && y <= gap_to) || n[at] == 0.0) continue;
    char buf[32];
    if (y / 10 != decade) {
      if (!line.empty()) text += line + "\n";
      std::snprintf(buf, sizeof buf, "%6s%4d", "co021c", y);
      line = buf;
      if (decade < 0)
        for (int k = 0; k < y % 10; ++k) line += "9990  0";
      decade = y / 10;
    }
    std::snprintf(buf, sizeof buf, "%4d%3d", static_cast<int>(std::lround(sum[at] / n[at] * 1000)),
                  static_cast<int>(n[at]));
    line += buf;
  }
  while (line.size() < 80) line += "9990  0";
  text += line + "\n";
  std::ofstream(dir / "gap.crn") << text;
  std::ofstream(dir / "one.rwl") << tucson(series[0], 1);
  const Result r =
      date({"--date", path("one.rwl"), "--ref", path("gap.crn"), "--ref-format", "IR"});
  EXPECT_EQ(r.status, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("Reference: format IR (Tucson indices), 1 series, " + std::to_string(first) +
                       "-" + std::to_string(last)),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  dated " + std::to_string(series[0].first) + "-" +
                       std::to_string(series[0].last()) + " (p "),
            std::string::npos)
      << r.out;
}

// Heidelberg files: a chronology as the reference, measurements as samples written back
// with their headers, dated ones renumbered.
TEST(DateHeidelberg, ChronologyReferenceAndSamplesWrittenBack) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  const std::string h = shared + "/data/peer/heidelberg/";
  const fs::path out =
      fs::temp_directory_path() / ("ringdate_date_fh_" + std::to_string(::getpid()));
  std::vector<std::string> args = {"--date",  h + "SET01.FH", "--ref", h + "SET01CHR.FH",
                                   "--write", out.string(),   "--top", "1"};
  std::vector<std::string_view> views(args.begin(), args.end());
  std::ostringstream report, err;
  const int status = app::run_command(app::parse_arguments(views), report, err);
  EXPECT_LE(status, 1) << err.str();
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(report.str().find("Reference: format FH (Heidelberg, guessed), 1 series, "),
            std::string::npos)
      << report.str();
  const fh::Reading in = fh::read(testing_support::slurp(h + "SET01.FH"));
  const fh::Reading back = fh::read(testing_support::slurp(out.string()));
  fs::remove(out);
  ASSERT_FALSE(back.refusal);
  ASSERT_EQ(back.series.size(), in.series.size());
  int dated = 0;
  for (std::size_t k = 0; k < in.series.size(); ++k) {
    EXPECT_EQ(back.series[k].keycode, in.series[k].keycode);
    EXPECT_EQ(back.series[k].values, in.series[k].values);
    // A dated series starts where its report line says.
    const std::string line = "\n  dated " + std::to_string(back.series[k].first);
    const std::size_t at = report.str().find("\n" + in.series[k].keycode + " ");
    ASSERT_NE(at, std::string::npos) << in.series[k].keycode;
    const std::size_t next = report.str().find("\n\n", at + 1);
    const std::string block = report.str().substr(at, next - at);
    if (block.find("  dated ") != std::string::npos) {
      ++dated;
      EXPECT_NE(block.find(line), std::string::npos) << block;
    } else {
      EXPECT_EQ(back.series[k].first, in.series[k].first);
    }
  }
  EXPECT_GT(dated, 0);
}

// The chart, through the built program (the plotting library is set up once per process).
TEST_F(DateMode, PlotOfEverySample) {
  std::ofstream(dir / "two.rwl") << tucson(series[0], 1) << tucson(shuffled(0), 1);
  const std::string cmd = "cd '" + dir.string() + "' && '" + testing_support::program_path() +
                          "' --date two.rwl --ref ref.rwl --plot d.ps > out.txt 2> err.txt";
  const int rc = std::system(cmd.c_str());
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 1) << testing_support::slurp(path("err.txt"));
  const std::string ps = testing_support::slurp(path("d.ps"));
  EXPECT_EQ(ps.substr(0, 4), "%!PS");
  EXPECT_NE(ps.find(series[0].id), std::string::npos);
  EXPECT_NE(ps.find("MIXED"), std::string::npos);
  EXPECT_NE(ps.find("best, not dated"), std::string::npos);
  const std::string bad_cmd =
      "cd '" + dir.string() + "' && '" + testing_support::program_path() +
      "' --date two.rwl --ref ref.rwl --plot no/such/d.ps > out.txt 2> err.txt";
  const int bad = std::system(bad_cmd.c_str());
  EXPECT_EQ(WIFEXITED(bad) ? WEXITSTATUS(bad) : -1, 2);
  EXPECT_NE(testing_support::slurp(path("err.txt")).find("cannot write no/such/d.ps"),
            std::string::npos);
}

}  // namespace
