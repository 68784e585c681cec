#include "xdate/store_input.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace ringdate;

TEST(StoreInput, SingleValuesReadBackAsTheDecimalsOfTheFile) {
  EXPECT_EQ(xdate::decimal_value(0.35f), 0.35);
  EXPECT_EQ(xdate::decimal_value(1.234f), 1.234);
  EXPECT_EQ(xdate::decimal_value(0.0f), 0.0);
  EXPECT_EQ(xdate::decimal_value(3107.0f), 3107.0);
  EXPECT_EQ(xdate::decimal_value(0.48999998f), 0.49);  // 49 hundredths scaled in single precision
  EXPECT_EQ(xdate::decimal_value(49 * 0.01f), 0.49);
  EXPECT_EQ(xdate::decimal_value(-9.99f), -9.99);
}

TEST(StoreInput, EverySeriesWithItsYearsAndMeasuredValues) {
  auto store = std::make_unique<Store>();
  store->nser = 2;
  store->ids[0] = "AB1     ";
  store->ids[1] = "LONGID12";
  store->iyr(1, 1) = 1901;
  store->iyr(1, 2) = 1903;
  store->iyr(2, 1) = 1900;
  store->iyr(2, 2) = 1901;
  store->iyr(3, 1) = 1900;
  store->iyr(3, 2) = 1903;
  store->raw(2, 1) = 0.25f;
  store->raw(3, 1) = 0.5f;
  store->raw(4, 1) = 0.0f;
  store->raw(1, 2) = 1.5f;
  store->raw(2, 2) = 2.5f;
  store->wrk(2, 1) = 99.0f;  // the working values are not used
  const auto s = xdate::series_of_store(*store);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].id, "AB1");
  EXPECT_EQ(s[0].first, 1901);
  EXPECT_EQ(s[0].values, (std::vector<double>{0.25, 0.5, 0.0}));
  EXPECT_EQ(s[1].id, "LONGID12");
  EXPECT_EQ(s[1].values, (std::vector<double>{1.5, 2.5}));
}

}  // namespace
