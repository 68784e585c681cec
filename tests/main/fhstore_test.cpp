#include "formats/fhstore.h"

#include <gtest/gtest.h>

#include <memory>

namespace ringdate {
namespace {

fh::Series chronology() {
  fh::Series s;
  s.keycode = "CHR";
  s.kind = fh::DataKind::chronology;
  s.first = 1000;
  s.values = {1.0, 2.0, 3.0, 4.0, 5.0};
  s.counts = {1, 2, 3, 4, 5};
  s.ups = {0, 1, 1, 1, 1};
  s.downs = {1, 0, 0, 0, 0};
  s.headers = {"KeyCode=CHR", "Species=QUSP"};
  return s;
}

// The counts follow the values through an insert and a delete; a measurement keeps no
// counts; headers stay.
TEST(FhStore, CorrectedSeriesCarryTheirCounts) {
  const fh::Series s = chronology();
  const std::vector<float> inserted = {1.0f, 2.0f, 0.0f, 3.0f, 4.0f, 5.0f};  // a ring at 1001
  fh::Series c = corrected_series(s, 999, inserted);
  EXPECT_EQ(c.first, 999);
  EXPECT_EQ(c.values.size(), 6u);
  EXPECT_EQ(c.counts, (std::vector<int32_t>{1, 2, 2, 3, 4, 5}));
  EXPECT_EQ(c.ups, (std::vector<int32_t>{0, 1, 0, 1, 1, 1}));
  EXPECT_EQ(c.headers, s.headers);
  const std::vector<float> deleted = {1.0f, 3.0f, 4.0f, 5.0f};  // the ring of 1001 removed
  c = corrected_series(s, 1001, deleted);
  EXPECT_EQ(c.counts, (std::vector<int32_t>{1, 3, 4, 5}));
  EXPECT_EQ(c.downs, (std::vector<int32_t>{1, 0, 0, 0}));
  const std::vector<float> same = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  c = corrected_series(s, 1000, same);
  EXPECT_EQ(c.counts, s.counts);
  EXPECT_EQ(c.ups, s.ups);
  fh::Series m = s;
  m.kind = fh::DataKind::measurement;
  m.counts.clear();
  m.ups.clear();
  m.downs.clear();
  EXPECT_TRUE(corrected_series(m, 999, inserted).counts.empty());
}

TEST(FhStore, SeriesFiledOrRefusedByTheStoresLimits) {
  auto store = std::make_unique<Store>();
  std::vector<fh::Series> series(2, chronology());
  series[0].keycode = "Scheibe_fr1_1";
  series[1].keycode = "Scheibe_fr1_2";
  series[1].first = 990;
  ASSERT_FALSE(load_heidelberg(series, *store));
  EXPECT_EQ(store->nser, 2);
  EXPECT_EQ(store->mode, "FH");
  EXPECT_EQ(store->ids[0], "Scheibe_");
  EXPECT_EQ(store->ids[1], "Scheibe2");
  EXPECT_EQ(store->iyrmin(), 990);
  EXPECT_EQ(store->iyrmax(), 1004);
  EXPECT_FLOAT_EQ(store->raw(11, 1), 1.0f);  // row 11 is the year 1000
  EXPECT_FLOAT_EQ(store->raw(1, 2), 1.0f);
  EXPECT_FLOAT_EQ(store->raw(1, 1), rmiss);

  // A store shaped for what was read: 2401 years, 401 series.
  series[1].first = 1004 - 2400;
  ASSERT_FALSE(load_heidelberg(series, *store));
  EXPECT_EQ(store->wrk.rows(), 2401u + 2000u);
  EXPECT_FLOAT_EQ(store->raw(2401 - 4, 1), 1.0f);  // the year 1000
  series.assign(mxser + 1, chronology());
  ASSERT_FALSE(load_heidelberg(series, *store));
  EXPECT_EQ(store->nser, mxser + 1);
  EXPECT_EQ(store->wrk.cols(), static_cast<std::size_t>(mxser + 1));
  EXPECT_EQ(store->ids.size(), store->wrk.cols());
  EXPECT_EQ(store->iseq.size(), store->wrk.cols());

  series.assign(2, chronology());
  series[1].first = 1004 - max_span_years;
  auto r = load_heidelberg(series, *store);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, RefusalKind::span_too_wide);
  EXPECT_EQ(r->text(),
            "*** The series span 100000 years (-98995 to 1004); at most 99999 can be read");
  series.assign(1, chronology());
  series[0].values.assign(max_span_years + 1, 1.0);
  r = load_heidelberg(series, *store);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, RefusalKind::series_too_long);
  EXPECT_TRUE(load_heidelberg({}, *store));
}

}  // namespace
}  // namespace ringdate
