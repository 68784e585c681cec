// The corrected file and the other files of the store's series: each layout reads back as
// the series written, the title line names the file, moved series keep their values, and a
// Heidelberg file keeps its headers.
#include "formats/corrected.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>

#include "core/parallel.h"
#include "formats/datafile.h"
#include "formats/datw.h"
#include "formats/fhstore.h"
#include "formats/heidelberg_write.h"
#include "recio/console.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;

using Silent = recio::QuietConsole;

// One series of the store: identifier, years and measured values.
struct Series {
  std::string id;
  int32_t first, last;
  std::vector<float> values;
  bool operator==(const Series&) const = default;
};

void PrintTo(const Series& s, std::ostream* os) {
  *os << s.id << " " << s.first << ".." << s.last << ":";
  for (float v : s.values) *os << " " << v;
}

std::vector<Series> series_of(const Store& store) {
  std::vector<Series> out;
  for (int32_t i = 1; i <= store.nser; ++i) {
    Series s{store.ids[static_cast<std::size_t>(i - 1)], store.iyr(i, 1), store.iyr(i, 2), {}};
    for (int32_t y = s.first; y <= s.last; ++y)
      // To a ten-thousandth: the compact layout keeps its values as scaled integers.
      s.values.push_back(std::round(store.raw(y - store.iyrmin() + 1, i) * 1e4f) / 1e4f);
    out.push_back(s);
  }
  return out;
}

// Reads `name` from the files in `format` into a new store (the test fails when it cannot).
std::unique_ptr<Store> read(MemoryFileSystem& fs, const std::string& name,
                            const std::string& format) {
  auto store = std::make_unique<Store>();
  const DataFileReading r = read_data_file(name, format, *store, fs);
  EXPECT_EQ(r.result, DataFileResult::read) << name << " " << format;
  return store;
}

struct Case {
  std::string format;
  std::string text;
};

TEST(CorrectedFile, EveryLayoutReadsBackAsTheSeriesWrittenUnderItsTitleLine) {
  const std::vector<Case> cases = {
      {"MR", testing_support::tucson_series("AAA01", 1905, {120, 130, 140, 150, 160, 170}, -9999) +
                 testing_support::tucson_series("BBB02", 1898, {200, 210, 220}, -9999)},
      {"CR", testing_support::cru_series("CRU01", 1901, {100, 95, 110}, {1, 1, 1}) +
                 testing_support::cru_series("CRU02", 1899, {80, 90}, {1, 1})},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    fs.files["in.txt"] = c.text;
    const std::unique_ptr<Store> store = read(fs, "in.txt", c.format);
    Silent console;
    recio::Session session(console, fs);
    const std::string name = corrected_name("in.txt   ");
    ASSERT_EQ(name, "in.txt_COR");
    ASSERT_TRUE(write_corrected(session, *store, corrected_layout(c.format), name));
    const std::string& written = fs.files[name];
    EXPECT_EQ(written.substr(0, written.find('\n')),
              "CORRECTED RING-WIDTH DATA: in.txt_COR" + std::string(30, ' '))
        << c.format;
    const std::unique_ptr<Store> back = read(fs, name, c.format);
    EXPECT_EQ(series_of(*back), series_of(*store)) << c.format << "\n" << written;
  }
}

TEST(CorrectedFile, AFileOfMovedSeriesHasNoTitleAndKeepsTheValues) {
  MemoryFileSystem fs;
  fs.files["in.rwl"] = testing_support::tucson_series("AAA01", 1905, {120, 130, 140}, -9999) +
                       testing_support::tucson_series("BBB02", 1898, {200, 210, 220, 230}, -9999);
  const std::unique_ptr<Store> store = read(fs, "in.rwl", "MR");
  for (const CorrectedLayout layout :
       {CorrectedLayout::tucson_measurements, CorrectedLayout::compact}) {
    Silent console;
    recio::Session session(console, fs);
    const std::vector<int32_t> firsts = {1905, 1950};  // BBB02 moves to 1950
    SeriesFileOptions options;
    options.title_line = false;
    options.compact_code = kCompactCode;
    options.first_years = firsts;
    ASSERT_TRUE(write_series_file(session, *store, layout, "out", options));
    const std::string& written = fs.files["out"];
    EXPECT_EQ(written.find("CORRECTED"), std::string::npos);
    const bool compact = layout == CorrectedLayout::compact;
    if (compact) {
      EXPECT_NE(written.find(kCompactCode), std::string::npos) << written;
    }
    const std::unique_ptr<Store> back = read(fs, "out", compact ? "CD" : "MR");
    std::vector<Series> want = series_of(*store);
    want[1].first = 1950;
    want[1].last = 1953;
    EXPECT_EQ(series_of(*back), want) << written;
  }
}

// A Tucson file in thousandths of `count` series: series s is named id(s), starts in
// first(s) and has length(s) values, value(s, k) for its k-th.
template <class Id, class First, class Length, class Value>
std::string tucson_file(int count, Id id, First first, Length length, Value value) {
  std::string text;
  for (int s = 0; s < count; ++s) {
    std::vector<int> v;
    for (int k = 0; k < length(s); ++k) v.push_back(value(s, k));
    text += testing_support::tucson_series(id(s), first(s), v, -9999);
  }
  return text;
}

// The series are written in pieces on the machine's threads: with any number of threads
// (more than the series, too) the same file, byte for byte, in every decade-line layout.
TEST(CorrectedFile, TheFileIsTheSameWhateverTheNumberOfThreads) {
  MemoryFileSystem fs;
  fs.files["in.rwl"] = tucson_file(
      7, [](int s) { return "SER0" + std::to_string(s); }, [](int s) { return 1890 + 7 * s; },
      [](int s) { return 15 + 11 * s; },
      [](int s, int k) { return 100 + (k * 37 + s * 11) % 250; });
  const std::unique_ptr<Store> store = read(fs, "in.rwl", "MR");
  ASSERT_EQ(store->nser, 7);
  const std::vector<int32_t> firsts = {1890, 1897, 1960, 1911, 1918, 1925, 1932};
  for (const CorrectedLayout layout : {CorrectedLayout::tucson_measurements,
                                       CorrectedLayout::tucson_indices, CorrectedLayout::cru}) {
    for (const bool moved : {false, true}) {
      std::string one;
      for (int threads : {1, 2, 3, 8}) {
        set_worker_threads(threads);
        Silent console;
        recio::Session session(console, fs);
        SeriesFileOptions options;
        if (moved) options.first_years = firsts;
        const bool ok = write_series_file(session, *store, layout, "out", options);
        set_worker_threads(0);
        ASSERT_TRUE(ok);
        if (threads == 1) {
          one = fs.files["out"];
          EXPECT_GT(one.size(), 2000u);
        } else {
          ASSERT_EQ(fs.files["out"], one) << static_cast<int>(layout) << " " << threads;
        }
      }
    }
  }
}

// Files in memory that keep the size of every piece a replacement is given.
struct PieceCountingFiles : MemoryFileSystem {
  std::vector<std::size_t> pieces;
  std::unique_ptr<Replacement> begin_replacement(const std::string& name) override {
    struct Counted final : Replacement {
      std::unique_ptr<Replacement> whole;
      std::vector<std::size_t>* pieces;
      void append(std::string_view data) override {
        pieces->push_back(data.size());
        whole->append(data);
      }
      bool commit() override { return whole->commit(); }
    };
    auto r = std::make_unique<Counted>();
    r->whole = MemoryFileSystem::begin_replacement(name);
    r->pieces = &pieces;
    return r;
  }
};

// A corrected file of many megabytes is sent to its file in pieces of at most about a
// megabyte, made on the threads and sent in order: the file is the same whatever the
// number of threads, and it reads back as the series.
TEST(CorrectedFile, ALargeFileIsSentInOrderedPiecesWhateverTheNumberOfThreads) {
  PieceCountingFiles fs;
  // Values below 999, which the writer raises to 1000 (it would read as an end marker).
  fs.files["in.rwl"] = tucson_file(
      240, [](int s) { return "S" + std::to_string(1000 + s); }, [](int s) { return 100 + s; },
      [](int s) { return 900 + 7 * s; }, [](int s, int k) { return 1 + (k * 37 + s * 101) % 998; });
  const std::unique_ptr<Store> store = read(fs, "in.rwl", "MR");
  ASSERT_EQ(store->nser, 240);
  std::string one;
  for (int threads : {1, 2, 3}) {
    set_worker_threads(threads);
    fs.pieces.clear();
    Silent console;
    recio::Session session(console, fs);
    const bool ok = write_corrected(session, *store, CorrectedLayout::tucson_measurements, "out");
    set_worker_threads(0);
    ASSERT_TRUE(ok);
    const std::string& out = fs.files["out"];
    EXPECT_GT(out.size(), 3000000u);
    EXPECT_GE(fs.pieces.size(), 4u);
    for (std::size_t piece : fs.pieces) EXPECT_LE(piece, std::size_t(1) << 20);
    if (threads == 1) {
      one = out;
      EXPECT_TRUE(series_of(*read(fs, "out", "MR")) == series_of(*store));
    } else {
      EXPECT_TRUE(out == one) << threads << " threads";
    }
  }
}

void expect_near(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], want[k], 1e-6) << k;
}

TEST(CorrectedFile, AHeidelbergFileKeepsItsHeadersAndTakesTheNewYears) {
  std::vector<fh::Series> as_read(2);
  as_read[0].keycode = "ONE";
  as_read[0].first = 1900;
  as_read[0].values = {1.5, 1.25, 1.0};
  as_read[0].headers = {"KeyCode=ONE", "Location=Pine Ridge"};
  as_read[1].keycode = "TWO";
  as_read[1].first = 1910;
  as_read[1].values = {0.5, 0.75};
  as_read[1].headers = {"KeyCode=TWO", "Species=PISY"};
  auto store = std::make_unique<Store>();
  ASSERT_FALSE(load_heidelberg(as_read, *store));
  // The edits of a session moved the second series two years later.
  std::vector<float> two(store->raw.column(2).begin(), store->raw.column(2).end());
  std::fill(store->raw.column(2).begin(), store->raw.column(2).end(), 0.0f);
  for (std::size_t k = 0; k + 2 < two.size(); ++k) store->raw.column(2)[k + 2] = two[k];
  store->iyr(2, 1) += 2;
  store->iyr(2, 2) += 2;

  MemoryFileSystem fs;
  Silent console;
  recio::Session session(console, fs);
  ASSERT_TRUE(write_corrected(session, *store, corrected_layout("FH"), "h_COR", as_read));
  const std::string& written = fs.files["h_COR"];
  EXPECT_EQ(written.find("CORRECTED"), std::string::npos);
  const fh::Reading back = fh::read(written);
  ASSERT_FALSE(back.refusal) << written;
  ASSERT_EQ(back.series.size(), 2u);
  EXPECT_EQ(back.series[0].header("Location"), "Pine Ridge");
  EXPECT_EQ(back.series[0].first, 1900);
  expect_near(back.series[0].values, as_read[0].values);
  EXPECT_EQ(back.series[1].header("Species"), "PISY");
  EXPECT_EQ(back.series[1].first, 1912);
  expect_near(back.series[1].values, as_read[1].values);
}

TEST(CorrectedFile, AFailedWriteIsSaidAndLeavesNoFile) {
  MemoryFileSystem fs;
  fs.files["in.rwl"] = testing_support::tucson_series("AAA01", 1905, {120, 130}, -9999);
  const std::unique_ptr<Store> store = read(fs, "in.rwl", "MR");
  fs.fail_writes = true;
  Silent console;
  recio::Session session(console, fs);
  EXPECT_FALSE(
      write_corrected(session, *store, CorrectedLayout::tucson_measurements, "in.rwl_COR"));
  EXPECT_EQ(fs.files.count("in.rwl_COR"), 0u);
}

}  // namespace
}  // namespace ringdate
