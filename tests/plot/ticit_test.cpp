#include "plot/ticit.h"

#include <gtest/gtest.h>

#include "plot/lalign.h"

namespace ringdate {
namespace {

struct Ticks {
  float ymax, zmax;
  int32_t nxsub, nysub, nzsub;
  float xtick, ytick, ztick;
};

Ticks run(float xmin, float xmax, float ymin, float ymax, float zmin = 0, float zmax = 0) {
  Ticks t{ymax, zmax, -1, -1, -1, -1, -1, -1};
  const float x0 = xmin, x1 = xmax, y0 = ymin, z0 = zmin;
  ticit(xmin, xmax, ymin, t.ymax, zmin, t.zmax, t.nxsub, t.nysub, t.nzsub, t.xtick, t.ytick,
        t.ztick);
  EXPECT_EQ(xmin, x0);
  EXPECT_EQ(xmax, x1);
  EXPECT_EQ(ymin, y0);
  EXPECT_EQ(zmin, z0);
  return t;
}

TEST(Ticit, XTableByTruncatedSpan) {
  struct Row {
    float from, to, xtick;
    int32_t nxsub;
  };
  const Row rows[] = {
      {1900, 1900, 10, 10}, {1900, 1950, 10, 10}, {1900, 1950.9f, 10, 10}, {1900, 1951, 20, 5},
      {1900, 2000, 20, 5},  {1900, 2001, 20, 10}, {1850, 1990, 20, 10},    {1800, 2000, 20, 10},
      {1500, 1701, 50, 5},  {1500, 2000, 50, 5},  {1000, 1501, 100, 10},   {900, 1900, 100, 10},
      {900, 1901, 250, 5},  {-500, 1990, 250, 5}, {1990, 1900, 10, 10},
  };
  for (const Row& r : rows) {
    const Ticks t = run(r.from, r.to, 0, 1);
    EXPECT_EQ(t.xtick, r.xtick) << r.from << ".." << r.to;
    EXPECT_EQ(t.nxsub, r.nxsub) << r.from << ".." << r.to;
  }
}

TEST(Ticit, RaisingTheMaximum) {
  struct Row {
    float v, raised;
  };
  const Row rows[] = {
      {2.0f, 2.5f},       {2.5f, 2.5f},    {3.27f, 3.5f},    {3.7f, 4.0f},
      {9.9f, 10.0f},      {0.0f, 0.5f},    {10.0f, 15.0f},   {30.0f, 35.0f},
      {47.0f, 50.0f},     {99.9f, 100.0f}, {100.0f, 150.0f}, {400.0f, 450.0f},
      {1234.0f, 1250.0f}, {1.2f, 1.5f},    {-1.2f, -0.5f},   {-0.7f, 0.5f},
  };
  for (const Row& r : rows) EXPECT_FLOAT_EQ(ticit_raise(r.v), r.raised) << r.v;
}

TEST(Ticit, YAndZTablesUseTheRaisedMaximum) {
  struct Row {
    float ymin, ymax, raised, ytick;
    int32_t nysub;
  };
  const Row rows[] = {
      {0, 3.27f, 3.5f, 1, 4},        {0, 2.0f, 2.5f, 0.5f, 4},      {0, 9.9f, 10.0f, 2, 4},
      {-1.2f, 1.2f, 1.5f, 0.5f, 4},  {0, 4.2f, 4.5f, 1, 4},         {0, 4.6f, 5.0f, 2, 4},
      {0, 10.0f, 15.0f, 5, 5},       {0, 47.0f, 50.0f, 5, 5},       {0, 55.0f, 55.0f, 10, 2},
      {0, 99.9f, 100.0f, 10, 2},     {0, 100.0f, 150.0f, 100, 5},   {0, 480.0f, 500.0f, 100, 5},
      {0, 1234.0f, 1250.0f, 500, 2}, {0, 1990.0f, 2000.0f, 500, 2}, {0, 2010.0f, 2050.0f, 1000, 4},
      {5, 5.0f, 5.5f, 0.5f, 4},      {10, 3.0f, 3.5f, 0.5f, 4},
  };
  for (const Row& r : rows) {
    Ticks t = run(1900, 1950, r.ymin, r.ymax, r.ymin, r.ymax);
    EXPECT_FLOAT_EQ(t.ymax, r.raised) << r.ymax;
    EXPECT_EQ(t.ytick, r.ytick) << r.ymax;
    EXPECT_EQ(t.nysub, r.nysub) << r.ymax;
    // The z axis follows the same rules.
    EXPECT_FLOAT_EQ(t.zmax, r.raised) << r.ymax;
    EXPECT_EQ(t.ztick, r.ytick) << r.ymax;
    EXPECT_EQ(t.nzsub, r.nysub) << r.ymax;
  }
}

TEST(Ticit, WildRangesStillSetEveryOutput) {
  Ticks t = run(-3e38f, 3e38f, -3e38f, 3e38f, 0, 1e30f);
  EXPECT_EQ(t.xtick, 250);
  EXPECT_EQ(t.nxsub, 5);
  EXPECT_EQ(t.ytick, 1000);
  EXPECT_EQ(t.ztick, 1000);
  t = run(1900, 1950, 0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(t.ytick, 0.5f);
  EXPECT_EQ(t.nysub, 4);
}

TEST(Lalign, LeftJustifiesInPlaceKeepingTheWidth) {
  struct Row {
    const char* in;
    const char* out;
  };
  const Row rows[] = {
      {"          YEARS   ", "YEARS             "},
      {"YEARS  ", "YEARS  "},
      {"      ", "      "},
      {"", ""},
      {" a b ", "a b  "},
      {"  x", "x  "},
  };
  for (const Row& r : rows) {
    std::string s = r.in;
    lalign(s);
    EXPECT_EQ(s, r.out) << '"' << r.in << '"';
  }
}

}  // namespace
}  // namespace ringdate
