#include "main/picking.h"

#include <gtest/gtest.h>

#include <memory>

#include "formats/datafile.h"

namespace {

using namespace ringdate;

// A store as the reader leaves it: series i from row 1, values 100*i + k.
std::unique_ptr<Store> read_store(const std::vector<std::pair<int32_t, int32_t>>& spans) {
  auto st = std::make_unique<Store>();
  int32_t lo = 9999, hi = -9999;
  for (std::size_t i = 1; i <= spans.size(); ++i) {
    const auto [f, l] = spans[i - 1];
    st->iyr(i, 1) = f;
    st->iyr(i, 2) = l;
    st->ids[i - 1] = "S" + std::to_string(i) + std::string(6, ' ');
    for (int32_t k = 1; k <= l - f + 1; ++k) st->wrk(k, i) = static_cast<float>(100 * i + k);
    lo = std::min(lo, f);
    hi = std::max(hi, l);
  }
  st->nser = static_cast<int32_t>(spans.size());
  st->iyr(spans.size() + 1, 1) = lo;
  st->iyr(spans.size() + 1, 2) = hi;
  return st;
}

TEST(Store, StartupFillMarksEverything) {
  auto st = std::make_unique<Store>();
  auto t = std::make_unique<Tsi1>();
  st->wrk(5, 7) = 1.0f;
  t->sel(mxyr, mxser) = 2.0f;
  startup_fill(*st, *t);
  EXPECT_EQ(st->wrk(5, 7), rmiss);
  EXPECT_EQ(t->sel(mxyr, mxser), rmiss);
}

TEST(Store, AlignPlacesEverySeriesOnTheCommonAxis) {
  auto st = read_store({{1650, 1659}, {1660, 1664}, {1650, 1652}});
  ASSERT_TRUE(align(*st));
  // Series 1 and 3 start at iyrmin: unchanged.
  EXPECT_EQ(st->wrk(1, 1), 101.0f);
  EXPECT_EQ(st->wrk(10, 1), 110.0f);
  EXPECT_EQ(st->wrk(3, 3), 303.0f);
  EXPECT_EQ(st->wrk(4, 3), rmiss);
  // Series 2 starts 10 years later: rows 1 to 10 are missing, its values from row 11.
  for (int r = 1; r <= 10; ++r) EXPECT_EQ(st->wrk(r, 2), rmiss) << r;
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(st->wrk(10 + k, 2), static_cast<float>(200 + k)) << k;
  EXPECT_EQ(st->wrk(16, 2), rmiss);
  snapshot(*st);
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 20; ++r) EXPECT_EQ(st->raw(r, c), st->wrk(r, c));
}

TEST(Store, AlignUsesTheWholeAxis) {
  // Two series at the two ends of a 2000-year axis.
  auto st = read_store({{1, 10}, {1991, 2000}});
  ASSERT_TRUE(align(*st));
  EXPECT_EQ(st->wrk(1991, 2), 201.0f);
  EXPECT_EQ(st->wrk(2000, 2), 210.0f);
  EXPECT_EQ(st->wrk(10, 2), rmiss);
  // One year more than the store holds: refused, nothing moved.
  auto wide = read_store({{1, 10}, {1992, 2001}});
  EXPECT_FALSE(align(*wide));
  EXPECT_EQ(wide->wrk(1, 2), 201.0f);
}

TEST(Store, PickingTheSameSeriesTwiceGivesTwoColumns) {
  auto st = read_store({{1650, 1700}, {1660, 1680}, {1655, 1690}});
  ASSERT_TRUE(align(*st));
  auto t = std::make_unique<Tsi1>();
  PickPass pass;
  begin_pass(*t, pass);
  ASSERT_TRUE(add_pick(*st, *t, pass, 3));
  ASSERT_TRUE(add_pick(*st, *t, pass, 3));
  close_pass(*st, *t, pass);
  EXPECT_EQ(t->nsel, 2);
  EXPECT_EQ(st->iseq(1), 3);
  EXPECT_EQ(st->iseq(2), 3);
  EXPECT_EQ(t->sid[0], "S3      ");
  EXPECT_EQ(t->syr(3, 1), 1655);
  EXPECT_EQ(t->syr(3, 2), 1690);
  // sel is aligned on the earliest pick, not on iyrmin: the first value is in row 1.
  for (int r = 1; r <= 36; ++r) {
    EXPECT_EQ(t->sel(r, 1), static_cast<float>(300 + r));
    EXPECT_EQ(t->sel(r, 2), t->sel(r, 1));
  }
  EXPECT_EQ(t->sel(37, 1), rmiss);
}

TEST(Store, PicksAreAlignedOnTheEarliestPickAndPassesStartAfresh) {
  auto st = read_store({{1650, 1700}, {1660, 1680}, {1655, 1690}});
  ASSERT_TRUE(align(*st));
  auto t = std::make_unique<Tsi1>();
  PickPass pass;
  begin_pass(*t, pass);
  add_pick(*st, *t, pass, 2);
  add_pick(*st, *t, pass, 3);
  close_pass(*st, *t, pass);
  EXPECT_EQ(t->syr(3, 1), 1655);
  EXPECT_EQ(t->syr(3, 2), 1690);
  EXPECT_EQ(t->sel(1, 2), 301.0f);  // series 3 starts the selection axis
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(t->sel(r, 1), rmiss);
  EXPECT_EQ(t->sel(6, 1), 201.0f);  // 1660 is row 6
  EXPECT_EQ(t->sel(26, 1), 221.0f);
  EXPECT_EQ(t->sel(27, 1), rmiss);

  // A second pass with one pick: its column 1 holds only the new series.
  begin_pass(*t, pass);
  add_pick(*st, *t, pass, 1);
  close_pass(*st, *t, pass);
  EXPECT_EQ(t->nsel, 1);
  EXPECT_EQ(t->syr(2, 1), 1650);
  EXPECT_EQ(t->syr(2, 2), 1700);
  EXPECT_EQ(t->sel(1, 1), 101.0f);
  EXPECT_EQ(t->sel(51, 1), 151.0f);
}

TEST(Store, APassHoldsAtMostMxserPicks) {
  auto st = read_store({{1900, 1910}});
  ASSERT_TRUE(align(*st));
  auto t = std::make_unique<Tsi1>();
  PickPass pass;
  begin_pass(*t, pass);
  for (int k = 1; k <= mxser; ++k) ASSERT_TRUE(add_pick(*st, *t, pass, 1));
  EXPECT_FALSE(add_pick(*st, *t, pass, 1));
  EXPECT_FALSE(add_pick(*st, *t, pass, 0));
  close_pass(*st, *t, pass);
  EXPECT_EQ(t->nsel, mxser);
  EXPECT_EQ(t->syr(mxser + 1, 1), 1900);
  EXPECT_EQ(t->sel(11, mxser), 111.0f);
}

}  // namespace
