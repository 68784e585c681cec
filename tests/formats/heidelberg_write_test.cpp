#include "formats/heidelberg_write.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "support/test_support.h"

namespace ringdate {
namespace {

namespace fs = std::filesystem;

void expect_same_series(const fh::Series& a, const fh::Series& b) {
  EXPECT_EQ(a.keycode, b.keycode);
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_EQ(a.first, b.first);
  ASSERT_EQ(a.values.size(), b.values.size());
  for (std::size_t k = 0; k < a.values.size(); ++k) EXPECT_NEAR(a.values[k], b.values[k], 1e-9);
  EXPECT_EQ(a.counts, b.counts);
  EXPECT_EQ(a.ups, b.ups);
  EXPECT_EQ(a.downs, b.downs);
  EXPECT_EQ(a.unit, b.unit);
}

// Every peer file written and read again gives its series; written a second time, the
// same bytes.
TEST(HeidelbergWrite, PeerFilesSurviveAndSettle) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty() || !fs::is_directory(dir + "/data/peer/heidelberg")) GTEST_SKIP();
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir + "/data/peer/heidelberg")) {
    const std::string name = e.path().filename().string();
    if (name.ends_with(".csv") || name.ends_with(".md")) continue;
    SCOPED_TRACE(name);
    const fh::Reading r = fh::read(testing_support::slurp(e.path().string()));
    ASSERT_FALSE(r.refusal) << r.refusal->text();
    const std::string once = fh::write(r.series);
    const fh::Reading again = fh::read(once);
    ASSERT_FALSE(again.refusal) << again.refusal->text();
    ASSERT_EQ(again.series.size(), r.series.size());
    for (std::size_t k = 0; k < r.series.size(); ++k) {
      if (r.series[k].header("DataType") == std::optional<std::string>("EarlyLateWood")) {
        EXPECT_EQ(again.series[k].header("DataType"), "Ringwidth");
      }
      expect_same_series(again.series[k], r.series[k]);
      // Every header line of the file is there, those of the years with their values.
      for (const std::string& h : r.series[k].headers) {
        const std::string key = h.substr(0, h.find('='));
        EXPECT_TRUE(again.series[k].header(key)) << key;
      }
    }
    EXPECT_EQ(fh::write(again.series), once);
    ++files;
  }
  EXPECT_EQ(files, 30);
}

fh::Series series(int first, std::vector<double> values) {
  fh::Series s;
  s.keycode = "ABC";
  s.keycode_given = true;
  s.first = first;
  s.values = std::move(values);
  return s;
}

TEST(HeidelbergWrite, HeadersKeptAndYearsUpdated) {
  fh::Series s = series(-2, {1.0, 1.5, 0.0, 2.25});  // 3 BC to AD 1
  s.headers = {"KeyCode=ABC", "Species=QUSP", "dateend=7", "Length=1", "Comment=a=b", "odd line"};
  const std::string text = fh::write(std::span(&s, 1));
  EXPECT_EQ(text,
            "HEADER:\r\nKeyCode=ABC\r\nSpecies=QUSP\r\ndateend=1\r\nLength=4\r\nComment=a=b\r\n"
            "odd line\r\nDataFormat=Tree\r\nUnit=1/100 mm\r\nDateBegin=-3\r\nDATA:Tree\r\n"
            "   100   150     0   225     0     0     0     0     0     0\r\n");
  const fh::Reading r = fh::read(text);
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  expect_same_series(r.series[0], s);

  // Undated series keep their numbers as years.
  s.headers = {"Dated=RelDated"};
  s.first = -1;
  const fh::Reading u = fh::read(fh::write(std::span(&s, 1)));
  ASSERT_FALSE(u.refusal);
  EXPECT_EQ(u.series[0].first, -1);
  EXPECT_EQ(u.series[0].header("DateBegin"), "-1");
}

TEST(HeidelbergWrite, WideNumbersOnePerLine) {
  fh::Series m = series(1990, {1234.56, 0.5, 7.0});  // 123456 hundredths: wider than a field
  fh::Series c = series(10, {1.0, 123.45, 0.02});
  c.kind = fh::DataKind::chronology;
  c.counts = {1, 2, 3};
  c.ups = {0, 1, 2};
  c.downs = {1, 1, 0};
  fh::Series d = series(10, {1.0, 2.0});
  d.kind = fh::DataKind::mean_curve;
  d.unit = 0.001;
  d.counts = {5, 6};
  const std::vector<fh::Series> all = {m, c, d};
  const std::string text = fh::write(all);
  EXPECT_NE(text.find("DATA:Tree\r\n123456\r\n50\r\n700\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("DATA:Chrono\r\n100\r\n1\r\n0\r\n1\r\n12345\r\n"), std::string::npos);
  EXPECT_NE(text.find("DATA:Double\r\n  1000     5  2000     6     0     0"), std::string::npos);
  const fh::Reading r = fh::read(text);
  ASSERT_FALSE(r.refusal) << r.refusal->text();
  ASSERT_EQ(r.series.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) expect_same_series(r.series[k], all[k]);
  // A mean curve without counts is written with counts of 1.
  d.counts.clear();
  const fh::Reading no_counts = fh::read(fh::write(std::span(&d, 1)));
  ASSERT_FALSE(no_counts.refusal);
  EXPECT_EQ(no_counts.series[0].counts, (std::vector<int32_t>{1, 1}));
}

}  // namespace
}  // namespace ringdate
