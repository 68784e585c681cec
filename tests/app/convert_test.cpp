#include "app/convert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "app/cli.h"
#include "core/store.h"
#include "formats/datafile.h"
#include "formats/fhstore.h"
#include "formats/heidelberg_write.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace ringdate;
using app::Target;

std::string text_of(Target to, const std::vector<fh::Series>& series) {
  std::vector<std::string> renamed;
  return app::write_series(to, series, renamed);
}

// Every real file read today: converted to Heidelberg and that file to Tucson, the same
// Tucson text as the file converted to Tucson directly (the corrected file's series); and
// each format written, read and written again gives the same text.
TEST(Convert, RealFilesSurviveEveryConversion) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  int converted = 0;
  for (const auto& e : fs::directory_iterator(shared + "/data/real")) {
    if (!e.is_regular_file() || e.path().extension() == ".md" || e.path().extension() == ".csv")
      continue;
    SCOPED_TRACE(e.path().filename().string());
    const app::SeriesReading in = app::read_series(e.path().string(), "");
    if (!in.error.empty()) continue;  // refused today or format not settled: not converted
    ++converted;
    const std::string tucson = text_of(Target::tucson, in.series);
    const fh::Reading back = fh::read(text_of(Target::heidelberg, in.series));
    ASSERT_FALSE(back.refusal) << back.refusal->text();
    EXPECT_EQ(text_of(Target::tucson, back.series), tucson);

    testing_support::MemoryFileSystem files;
    for (const auto& [to, format] :
         {std::pair{Target::tucson, in.mode == "IR" ? "IR" : "MR"},
          std::pair{Target::compact, "CD"}, std::pair{Target::heidelberg, "FH"}}) {
      files.files["once"] = text_of(to, in.series);
      const app::SeriesReading again = app::read_series("once", format, files);
      ASSERT_TRUE(again.error.empty()) << format << ": " << again.error;
      ASSERT_EQ(again.series.size(), in.series.size()) << format;
      EXPECT_EQ(text_of(to, again.series), files.files["once"]) << format;
    }
  }
  EXPECT_GE(converted, 10);
}

// Heidelberg files to every format and back: the values of each series survive, the
// identifiers are cut and kept apart, and the renaming is said once per series.
TEST(Convert, HeidelbergToEveryFormat) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  const std::string dir = shared + "/data/peer/heidelberg/";
  const app::SeriesReading in = app::read_series(dir + "commented.fh", "");
  ASSERT_TRUE(in.error.empty()) << in.error;
  EXPECT_EQ(in.mode, "FH");
  std::vector<std::string> renamed;
  const std::string tucson = app::write_series(Target::tucson, in.series, renamed);
  ASSERT_EQ(renamed.size(), 7u);
  EXPECT_EQ(renamed[0], "renamed Scheibe_fr1_1 to Scheibe_");
  EXPECT_EQ(renamed[1], "renamed Scheibe_fr1_2 to Scheibe2");
  EXPECT_EQ(renamed[6], "renamed Scheibe_fr1_7 to Scheibe7");

  testing_support::MemoryFileSystem files;
  files.files["t.rwl"] = tucson;
  const app::SeriesReading t = app::read_series("t.rwl", "MR", files);
  ASSERT_TRUE(t.error.empty()) << t.error;
  ASSERT_EQ(t.series.size(), 7u);
  for (std::size_t k = 0; k < 7; ++k) {
    EXPECT_EQ(t.series[k].first, in.series[k].first);
    ASSERT_EQ(t.series[k].values.size(), in.series[k].values.size());
    for (std::size_t y = 0; y < t.series[k].values.size(); ++y)
      EXPECT_NEAR(t.series[k].values[y], in.series[k].values[y], 1e-6);
  }
  // A chronology goes to the index layouts with its counts.
  const app::SeriesReading chr = app::read_series(dir + "SET03CHR.FH", "FH");
  ASSERT_TRUE(chr.error.empty()) << chr.error;
  files.files["c.crn"] = text_of(Target::tucson, chr.series);
  const app::SeriesReading c = app::read_series("c.crn", "IR", files);
  ASSERT_TRUE(c.error.empty()) << c.error;
  ASSERT_EQ(c.series.size(), 1u);
  EXPECT_EQ(c.series[0].first, 20);
  EXPECT_EQ(c.series[0].last(), 485);
  EXPECT_NEAR(c.series[0].values[0], chr.series[0].values[0], 1e-6);
  files.files["c.cru"] = text_of(Target::cru, chr.series);
  const app::SeriesReading u = app::read_series("c.cru", "CR", files);
  ASSERT_TRUE(u.error.empty()) << u.error;
  EXPECT_EQ(u.series[0].values.size(), chr.series[0].values.size());
}

TEST(Convert, IdentifiersKeptApart) {
  const std::vector<std::string> ids = {"ABCDEFGHIJ", "ABCDEFGHXX", "ABCDEFG2", "SHORT",
                                        "ABCDEFGHZZ"};
  const std::vector<std::size_t> w(ids.size(), 8);
  EXPECT_EQ(distinct_identifiers(ids, w),
            (std::vector<std::string>{"ABCDEFGH", "ABCDEFG2", "ABCDEFG3", "SHORT", "ABCDEFG4"}));
  const std::vector<std::size_t> one(3, 1);
  EXPECT_EQ(distinct_identifiers(std::vector<std::string>{"AA", "AB", "AC"}, one),
            (std::vector<std::string>{"A", "2", "3"}));
}

class ConvertRun : public ::testing::Test {
 protected:
  testing_support::MemoryFileSystem files;
  std::ostringstream out, err;
  int run(std::vector<std::string_view> args) {
    const app::Parsed p = app::parse_arguments(args);
    if (p.command != app::Command::convert) {
      err << p.error;
      return -1;
    }
    return app::run_convert(p.convert, out, err, files);
  }
};

TEST_F(ConvertRun, WritesOutOnlyWhenComplete) {
  files.files["in.fh"] =
      "HEADER:\nKeyCode=A1\nDateEnd=1909\nDATA:Tree\n"
      "   100   200     0   400   500   600   700   800   900  1000\n";
  files.files["out.rwl"] = "old";
  ASSERT_EQ(run({"--convert", "in.fh", "out.rwl", "--to", "tucson"}), 0) << err.str();
  EXPECT_EQ(files.files["out.rwl"],
            "A1      1900  1000  2000     0  4000  5000  6000  7000  8000  9000 10000  \n"
            "A1      1910 -9999\n");
  EXPECT_EQ(out.str(), "");
  // A disk that fails leaves the old file and says so.
  files.files["out.rwl"] = "old";
  files.fail_writes = true;
  EXPECT_EQ(run({"--convert", "in.fh", "out.rwl", "--to", "compact"}), 2);
  EXPECT_EQ(files.files["out.rwl"], "old");
  EXPECT_EQ(err.str(), "ringdate: cannot write out.rwl\n");
}

TEST_F(ConvertRun, ReadersMessagesAndMisfits) {
  files.files["bad.fh"] = "HEADER:\nKeyCode=Q\nDATA:Quadro\n  100    2    1\n";
  EXPECT_EQ(run({"--convert", "bad.fh", "x", "--to", "heidelberg"}), 2);
  EXPECT_EQ(err.str(),
            "ringdate: *** Heidelberg series Q: 3 numbers do not make whole years of 4 numbers\n");
  EXPECT_FALSE(files.files.count("x"));
  err.str("");
  EXPECT_EQ(run({"--convert", "none", "x", "--to", "cru"}), 2);
  EXPECT_EQ(err.str(), "ringdate: cannot open none\n");
  err.str("");
  files.files["far.fh"] = "HEADER:\nKeyCode=F\nDateBegin=12000\nDATA:Tree\n1\n2\n";
  EXPECT_EQ(run({"--convert", "far.fh", "x", "--to", "tucson"}), 2);
  EXPECT_EQ(
      err.str(),
      "ringdate: series F runs from 12000 to 12001, past the years the Tucson layout holds\n");
  EXPECT_EQ(run({"--convert", "far.fh", "x", "--to", "heidelberg"}), 0);
  EXPECT_NE(files.files["x"].find("DateEnd=12001\r\n"), std::string::npos);
}

// An index chronology with a gap: the years without a value are written as 9990 with a
// count of 0 and read back to the same years.
TEST_F(ConvertRun, AChronologyWithAGapKeepsItsYears) {
  files.files["gap.crn"] =
      "   std 8139990  09990  09990  01000  21010  21020  21030  21040  21050  21060  2\n"
      "   std1735 900  3 910  3 920  3 930  3 940  3\n"
      "   std1740 950  39990  09990  09990  09990  09990  09990  09990  09990  09990  0\n";
  ASSERT_EQ(run({"--convert", "gap.crn", "out.crn", "--to", "tucson", "--format", "IR"}), 0)
      << err.str();
  std::string fill;
  for (int k = 0; k < 5; ++k) fill += "9990  0";
  const std::string& w = files.files["out.crn"];
  EXPECT_NE(w.find("std    8139990  09990  09990  01000  11010  1"), std::string::npos) << w;
  EXPECT_NE(w.find("std    820" + fill + fill), std::string::npos) << w;
  EXPECT_NE(w.find("std   1730" + fill + " 900  1 910  1"), std::string::npos) << w;
  // Read again, it is written the same.
  ASSERT_EQ(run({"--convert", "out.crn", "back.crn", "--to", "tucson", "--format", "IR"}), 0)
      << err.str();
  EXPECT_EQ(files.files["back.crn"], w);
}

// The check reads Heidelberg files, guessed or named.
TEST(HeidelbergCheck, GuessedAndNamed) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "../shared is absent";
  const std::string file = shared + "/data/peer/heidelberg/SET01.FH";
  for (const char* format : {"", "FH"}) {
    app::CheckOptions o;
    o.file = file;
    o.format = format;
    std::ostringstream out, err;
    const int status = app::run_check(o, out, err);
    EXPECT_TRUE(status == app::exit_clean || status == app::exit_flagged) << err.str();
    EXPECT_NE(out.str().find(std::string("Format FH (Heidelberg") + (*format ? ")" : ", guessed)") +
                             ", 16 series, -176--19 (158 years)"),
              std::string::npos)
        << out.str();
  }
  // A Heidelberg file the reader refuses: exit 2 with its message.
  testing_support::MemoryFileSystem files;
  files.files["x.fh"] = "HEADER:\nKeyCode=A\n";
  auto store = std::make_unique<Store>();
  const DataFileReading r = read_data_file("x.fh", "", *store, files);
  EXPECT_EQ(r.result, DataFileResult::refused);
  EXPECT_EQ(r.mode, "FH");
  EXPECT_TRUE(r.guessed);
  ASSERT_TRUE(r.refusal);
  EXPECT_EQ(r.refusal->text(), "*** Heidelberg series A: HEADER block without DATA");
}

TEST(ConvertArguments, ParsedAndRefused) {
  const std::vector<std::string_view> ok = {"--convert", "a.fh",     "b.rwl", "--to",
                                            "Tucson",    "--format", "fh"};
  const app::Parsed p = app::parse_arguments(ok);
  ASSERT_EQ(p.command, app::Command::convert) << p.error;
  EXPECT_EQ(p.convert.in, "a.fh");
  EXPECT_EQ(p.convert.out, "b.rwl");
  EXPECT_EQ(p.convert.to, Target::tucson);
  EXPECT_EQ(p.convert.format, "FH");
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> bad = {
      {{"--convert", "a"}, "--convert needs an input and an output file"},
      {{"--convert", "a", "--to", "cru"}, "--convert needs an input and an output file"},
      {{"--convert", "a", "b"}, "--convert needs --to tucson|compact|cru|heidelberg"},
      {{"--convert", "a", "b", "--to", "excel"}, "--to must be tucson, compact, cru or heidelberg"},
      {{"--to", "cru"}, "--to belongs to --convert IN OUT"},
      {{"--convert", "a", "b", "--to", "cru", "--check", "c"},
       "--check and --convert cannot be combined"},
      {{"--convert", "a", "b", "--to", "cru", "--lag", "3"}, "--lag does not belong to --convert"},
      {{"--convert", "a", "b", "--to", "cru", "--date", "s", "--ref", "r"},
       "--date and --convert cannot be combined"},
  };
  for (const auto& [args, message] : bad) {
    const app::Parsed q = app::parse_arguments(args);
    EXPECT_EQ(q.command, app::Command::usage_error) << message;
    EXPECT_EQ(q.error, message);
  }
}

}  // namespace
