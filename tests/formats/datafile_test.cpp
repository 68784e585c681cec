#include "formats/datafile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "support/test_support.h"

namespace ringdate {
namespace {

struct Reading {
  std::unique_ptr<Store> store = std::make_unique<Store>();
  DataFileReading read(const std::string& path, std::string_view format = "") {
    return read_data_file(path, format, *store);
  }
};

std::string real(const std::string& name) {
  const std::string dir = testing_support::shared_dir();
  return dir.empty() ? std::string() : dir + "/data/real/" + name;
}

std::string peer(const std::string& name) {
  const std::string dir = testing_support::shared_dir();
  return dir.empty() ? std::string() : dir + "/data/peer/" + name;
}

// The header of a comma-separated table: "Year" and one name per series.
std::size_t table_columns(const std::string& path) {
  std::ifstream in(path);
  std::string header;
  std::getline(in, header);
  return static_cast<std::size_t>(std::count(header.begin(), header.end(), ','));
}

TEST(ReadDataFile, GuessedTucsonFileFillsTheStoreAsTheDialogueDoes) {
  const std::string path = real("ca533.rwl");
  if (path.empty()) GTEST_SKIP() << "no shared data";
  Reading r;
  const DataFileReading got = r.read(path);
  ASSERT_EQ(got.result, DataFileResult::read) << (got.refusal ? got.refusal->text() : "");
  EXPECT_EQ(got.mode, "MR");
  EXPECT_TRUE(got.guessed);
  EXPECT_FALSE(got.refusal);
  const Store& s = *r.store;
  EXPECT_EQ(s.mode, "MR");
  EXPECT_EQ(s.fname.substr(0, path.size()), path);
  EXPECT_EQ(static_cast<std::size_t>(s.nser), table_columns(real("csv/ca533.csv")));
  // Aligned on one axis, measured values kept.
  for (int32_t i = 1; i <= s.nser; ++i) {
    EXPECT_GE(s.iyr(i, 1), s.iyrmin());
    EXPECT_LE(s.iyr(i, 2), s.iyrmax());
    const int32_t row = s.iyr(i, 1) - s.iyrmin() + 1;
    if (row > 1) {
      EXPECT_EQ(s.wrk(row - 1, i), rmiss) << i;
    }
    EXPECT_GT(s.wrk(row, i), 0.0f) << i;
  }
  for (std::size_t c = 1; c <= 3; ++c)
    for (std::size_t k = 1; k <= mxyr; ++k) ASSERT_EQ(s.wrk(k, c), s.raw(k, c));
  // What the dialogue would have shown: the summary line.
  EXPECT_NE(got.console.find(" series from    626 to   1983"), std::string::npos) << got.console;
}

TEST(ReadDataFile, FormatGivenOrGuessed) {
  const std::string crn = peer("ca533-spline32.crn");
  if (crn.empty()) GTEST_SKIP() << "no shared data";
  Reading r;
  // An index chronology whose first lines do not settle the guess: the dialogue would ask.
  EXPECT_EQ(r.read(crn).result, DataFileResult::cannot_settle);
  DataFileReading got = r.read(crn, "ir");
  ASSERT_EQ(got.result, DataFileResult::read);
  EXPECT_EQ(got.mode, "IR");
  EXPECT_FALSE(got.guessed);
  EXPECT_EQ(r.store->nser, 1);
  EXPECT_EQ(r.store->iyr(1, 1), 626);

  got = r.read(peer("ca533-compact-p001.txt"));
  ASSERT_EQ(got.result, DataFileResult::read);
  EXPECT_EQ(got.mode, "CD");
  EXPECT_TRUE(got.guessed);
  EXPECT_EQ(static_cast<std::size_t>(r.store->nser),
            table_columns(peer("ca533-compact-p001.txt.csv")));

  EXPECT_EQ(r.read(crn, "XY").result, DataFileResult::unknown_format);
  EXPECT_EQ(r.read(crn, "MRX").result, DataFileResult::unknown_format);
  EXPECT_EQ(r.read(real("no such file.rwl")).result, DataFileResult::not_found);
}

TEST(ReadDataFile, RefusedFilesReportTheMessageAndPrintNothing) {
  const std::string repeated = real("cana326_error.rwl");
  if (repeated.empty()) GTEST_SKIP() << "no shared data";
  Reading r;
  DataFileReading got = r.read(repeated);
  ASSERT_EQ(got.result, DataFileResult::refused);
  ASSERT_TRUE(got.refusal);
  EXPECT_EQ(got.refusal->kind, RefusalKind::tucson_decade_repeated);
  EXPECT_NE(got.refusal->text().find("FAD23B"), std::string::npos) << got.refusal->text();
  EXPECT_EQ(got.console.find("***"), std::string::npos);  // the message is the refusal's, not shown

  // Chronologies of more than 2000 years are read whole (nm580: 2111 years).
  got = r.read(real("nm580.rwl"));
  ASSERT_EQ(got.result, DataFileResult::read) << (got.refusal ? got.refusal->text() : "");
  EXPECT_EQ(r.store->iyrmin(), -136);
  EXPECT_EQ(r.store->iyrmax(), 2004);
  EXPECT_EQ(r.store->wrk.rows(), 2141u + 2000u);
  EXPECT_EQ(r.store->raw.rows(), r.store->wrk.rows());
  EXPECT_GE(r.store->iseq.size(), r.store->wrk.cols());

  // Decade lines whose fields are separated by tabs, below three header lines: guessed as
  // Tucson measurements and read by their fields.
  got = r.read(real("test1.txt"));
  ASSERT_EQ(got.result, DataFileResult::read) << (got.refusal ? got.refusal->text() : "");
  EXPECT_EQ(got.mode, "MR");
  EXPECT_TRUE(got.guessed);
  EXPECT_EQ(r.store->nser, 2);
}

TEST(ReadDataFile, ReadsThroughTheFileSystemGiven) {
  testing_support::MemoryFileSystem fs;
  fs.files["r.txt"] =
      "CRU title\n"
      "CRU00116551664\n"
      "CRU0011650  98  3 101  3  99  3 100  3 102  3 101  3 103  3 104  3 105  3 106  3\n"
      "CRU0011660  97  3 103  3 105  3 104  3 103  3\n";
  auto store = std::make_unique<Store>();
  // A UEA CRU file is never guessed; named, it is read.
  EXPECT_EQ(read_data_file("r.txt", "", *store, fs).result, DataFileResult::cannot_settle);
  const DataFileReading got = read_data_file("r.txt", "CR", *store, fs);
  ASSERT_EQ(got.result, DataFileResult::read);
  EXPECT_EQ(store->nser, 1);
  EXPECT_EQ(store->iyr(1, 1), 1655);
  EXPECT_EQ(store->iyr(1, 2), 1664);
  EXPECT_FLOAT_EQ(store->raw(1, 1), 1.01f);
  EXPECT_EQ(fs.files.size(), 1u);  // nothing written

  // A compact series longer than a reading may hold: the reader's own refusal.
  fs.files["c.txt"] = "  100000=N    1900=I LONG" + std::string(43, ' ') + "  0(80F1.0)~\n";
  const DataFileReading refused = read_data_file("c.txt", "CD", *store, fs);
  ASSERT_EQ(refused.result, DataFileResult::refused);
  EXPECT_EQ(refused.refusal->kind, RefusalKind::compact_too_long);
  EXPECT_EQ(refused.refusal->records.size(), 2u);
  EXPECT_EQ(refused.refusal->pause, " ");
  EXPECT_EQ(refused.refusal->text(),
            "*** Series length exceeds maximum allowable length: LONG      100000 > 99999");
}

}  // namespace
}  // namespace ringdate
