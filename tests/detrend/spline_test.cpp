#include "detrend/spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {

using ringdate::Spline;
using ringdate::SplineStatus;

constexpr float sentinel = 12345.0f;

struct Fixture {
  std::unique_ptr<Spline> spline = std::make_unique<Spline>();  // large work area

  std::vector<float> fit(const std::vector<float>& y, float& p, int32_t iper = 20) {
    std::vector<float> g(y.size() + 1, sentinel);  // one slot past n shows overruns
    (*spline)(static_cast<int32_t>(y.size()), y, g, p, iper);
    return g;
  }
};

std::vector<float> wave(int n, double period, double amp, double level) {
  std::vector<float> y(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    y[static_cast<std::size_t>(i)] =
        static_cast<float>(level + amp * std::sin(2.0 * std::numbers::pi * i / period));
  return y;
}

TEST(Spline, SmoothingParameterForPeriod20) {
  Fixture f;
  float p1 = 0.0f, p2 = 0.0f;
  f.fit({1, 3, 2, 5, 4}, p1);
  f.fit(wave(500, 7, 1, 3), p2);
  EXPECT_EQ(p1, static_cast<float>(0.004870387098192029));
  EXPECT_NEAR(p1, 0.004870387f, 1e-9f);
  EXPECT_EQ(p1, p2);  // the series does not enter P
}

TEST(Spline, FiveValuesLieCloseToTheirLine) {
  Fixture f;
  float p = 0.0f;
  auto g = f.fit({1, 3, 2, 5, 4}, p);
  const float want[] = {1.39756f, 2.20119f, 3.00224f, 3.80171f, 4.59730f};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(g[static_cast<std::size_t>(i)], want[i], 6e-6f) << i;
  EXPECT_EQ(g[5], sentinel);
}

// Q'G = Q'Y - Q'Q x is not zero, but 1'Q = 0 and t'Q = 0: the curve keeps the sum and the
// first moment of the series. An indexing slip anywhere in the solve breaks this.
TEST(Spline, CurveKeepsSumAndTrendOfAnySeries) {
  Fixture f;
  for (int n : {4, 5, 6, 37, 2000}) {
    std::vector<float> y(static_cast<std::size_t>(n));
    uint32_t s = 12345u + static_cast<uint32_t>(n);
    for (auto& v : y) {
      s = s * 1664525u + 1013904223u;
      v = 0.2f + static_cast<float>(s >> 8) / 16777216.0f * 2.0f;
    }
    float p = 0.0f;
    auto g = f.fit(y, p);
    double sy = 0, sg = 0, ty = 0, tg = 0, dev = 0;
    for (int i = 0; i < n; ++i) {
      const auto k = static_cast<std::size_t>(i);
      ASSERT_NE(g[k], sentinel) << "n=" << n << " i=" << i;
      sy += y[k];
      sg += g[k];
      ty += (i + 1) * static_cast<double>(y[k]);
      tg += (i + 1) * static_cast<double>(g[k]);
      dev += std::fabs(g[k] - y[k]);
    }
    EXPECT_NEAR(sg, sy, 1e-5 * n) << n;
    EXPECT_NEAR(tg, ty, 1e-5 * n * n) << n;
    EXPECT_GT(dev, 0.0) << n;  // noise is smoothed, not passed through
    EXPECT_EQ(g[static_cast<std::size_t>(n)], sentinel) << n;
  }
}

TEST(Spline, StraightLinesComeBackUnchanged) {
  Fixture f;
  struct Case {
    int n;
    float a, b;
  };
  for (Case c :
       {Case{4, 5, 0}, Case{4, 1, 2}, Case{50, -3, 1}, Case{2000, 2, 0}, Case{2000, 100, -1}}) {
    std::vector<float> y(static_cast<std::size_t>(c.n));
    for (int i = 0; i < c.n; ++i)
      y[static_cast<std::size_t>(i)] = c.a + c.b * static_cast<float>(i);
    float p = 0.0f;
    auto g = f.fit(y, p);
    for (int i = 0; i < c.n; ++i)
      ASSERT_EQ(g[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)]) << c.n << " " << i;
  }
}

TEST(Spline, FrequencyResponseAroundThePeriod) {
  Fixture f;
  struct Case {
    double period, lo, hi;
  };
  for (Case c : {Case{20, 0.45, 0.55}, Case{200, 0.97, 1.01}, Case{4, 0.0, 0.02}}) {
    auto y = wave(1000, c.period, 1.0, 0.0);
    float p = 0.0f;
    auto g = f.fit(y, p);
    double amp = 0;
    for (int i = 400; i < 600; ++i)
      amp = std::max(amp, std::fabs(static_cast<double>(g[static_cast<std::size_t>(i)])));
    EXPECT_GE(amp, c.lo) << c.period;
    EXPECT_LE(amp, c.hi) << c.period;
  }
}

// The work area is reused: a short series after a long one gives what a fresh object gives.
TEST(Spline, NothingCarriesOverBetweenCalls) {
  Fixture a, b;
  float p = 0.0f;
  a.fit(wave(1500, 11, 3, 9), p);
  std::vector<float> y{0.5f, 0.9f, 0.4f, 1.3f, 1.1f, 0.7f, 0.8f};
  EXPECT_EQ(a.fit(y, p), b.fit(y, p));
}

// The band factor is kept between calls and extended on need: whatever came before, in any
// order of lengths and periods (one of which fails), every fit is bit for bit the fit of a
// fresh object.
TEST(Spline, AKeptFactorGivesExactlyTheFitOfAFreshObject) {
  Fixture kept;
  const struct {
    int n, iper;
  } runs[] = {{40, 32},  {2000, 32}, {100, 32}, {1500, 32}, {7, 20},    {2000, 20}, {30, 0},
              {300, 32}, {4, 32},    {5, 32},   {1999, 32}, {2000, 32}, {60, 20},   {61, 20}};
  for (const auto& r : runs) {
    const std::vector<float> y = wave(r.n, 7.3 + r.n % 11, 2, 6);
    float p1 = 0.0f, p2 = 0.0f;
    Fixture fresh;
    const std::vector<float> a = kept.fit(y, p1, r.iper), b = fresh.fit(y, p2, r.iper);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
      // Bits, not values: a NaN or a differently rounded curve must not pass.
      ASSERT_EQ(std::memcmp(&a[k], &b[k], sizeof(float)), 0) << r.n << " " << r.iper << " " << k;
    }
    EXPECT_EQ(std::memcmp(&p1, &p2, sizeof p1), 0);
  }
}

// A batch fits each series exactly as a call of its own: any number of series, of mixed
// lengths, some too short, some whose right-hand side starts with zeros (a straight
// start) or is all zeros (a straight line), in batches of one to nine.
TEST(Spline, ABatchFitsEverySeriesBitForBitAsAloneWouldAndInItsStatus) {
  Fixture batch, alone;
  std::vector<std::vector<float>> ys;
  const int lengths[] = {2000, 1999, 40, 3, 2000, 4, 5, 700, 1500, 0, 2000, 12, 2001, 950};
  for (std::size_t k = 0; k < std::size(lengths); ++k) {
    std::vector<float> y = wave(lengths[k], 6.1 + static_cast<double>(k), 2, 6);
    if (k % 3 == 1)  // a straight start of 30 years
      for (std::size_t i = 0; i < y.size() && i < 30; ++i)
        y[i] = 1.0f + 0.25f * static_cast<float>(i);
    if (k == 8)  // a straight line
      for (std::size_t i = 0; i < y.size(); ++i) y[i] = 2.0f + 0.5f * static_cast<float>(i);
    ys.push_back(y);
  }
  std::size_t done = 0;
  for (std::size_t size = 1; done < 40; size = size % 9 + 1) {
    std::vector<ringdate::Spline::Fit> fits;
    std::vector<std::vector<float>> gs;
    for (std::size_t j = 0; j < size; ++j)
      gs.emplace_back(ys[(done + j) % ys.size()].size() + 1, sentinel);
    for (std::size_t j = 0; j < size; ++j) {
      const std::vector<float>& y = ys[(done + j) % ys.size()];
      fits.push_back({static_cast<int32_t>(y.size()), y, gs[j]});
    }
    batch.spline->fit(fits, 20);
    for (std::size_t j = 0; j < size; ++j) {
      const std::vector<float>& y = ys[(done + j) % ys.size()];
      std::vector<float> g(y.size() + 1, sentinel);
      float p = 0.0f;
      const SplineStatus want = (*alone.spline)(static_cast<int32_t>(y.size()), y, g, p, 20);
      ASSERT_EQ(fits[j].status, want) << size << " " << j;
      if (want != SplineStatus::too_short) {
        EXPECT_EQ(std::memcmp(&fits[j].p, &p, sizeof p), 0);
      }
      ASSERT_EQ(std::memcmp(gs[j].data(), g.data(), g.size() * sizeof(float)), 0)
          << "batch of " << size << ", fit " << j << " of " << y.size() << " values";
    }
    done += size;
  }
}

// Work, counted: with one period, each row of the factor is computed once however many
// series are fitted; a new period starts again once.
TEST(Spline, EachRowOfTheFactorIsComputedOncePerPeriod) {
  Fixture f;
  float p = 0.0f;
  for (int s = 0; s < 400; ++s) f.fit(wave(s % 2 ? 2000 : 50 + s, 9, 1, 3), p, 32);
  EXPECT_EQ(f.spline->rows_factored(), 1998);
  for (int s = 0; s < 10; ++s) f.fit(wave(1000, 9, 1, 3), p, 20);
  EXPECT_EQ(f.spline->rows_factored(), 1998 + 998);
}

TEST(Spline, TooShortMarksOnlyTheFirstValue) {
  Fixture f;
  for (int n : {3, 2, 1, 0, -5}) {
    std::vector<float> y{1, 2, 3}, g{sentinel, sentinel, sentinel};
    float p = 7.0f;
    EXPECT_EQ((*f.spline)(n, y, g, p, 20), SplineStatus::too_short) << n;
    EXPECT_EQ(g[0], -9998.0f) << n;
    EXPECT_EQ(g[1], sentinel) << n;
    EXPECT_EQ(g[2], sentinel) << n;
    EXPECT_EQ(p, 7.0f) << n;
  }
}

TEST(Spline, NotPositiveDefiniteMarksFirstValueAndSaysSoInItsStatus) {
  Fixture f;
  // A period of 0 gives no real smoothing parameter: the pivot test must reject it.
  std::vector<float> y = wave(30, 9, 1, 2), g(30, sentinel);
  float p = 7.0f;
  EXPECT_EQ((*f.spline)(30, y, g, p, 0), SplineStatus::not_positive_definite);
  EXPECT_EQ(g[0], -9999.0f);
  for (std::size_t k = 1; k < g.size(); ++k) EXPECT_EQ(g[k], sentinel) << k;
  EXPECT_NE(p, 7.0f);  // P is set before the factorisation
}

// Prepared once, the factor is only read: fits from several threads at once, each in a work
// of its own, give bit for bit the fits of a spline of their own; a fit the factor does not
// cover (longer, or another period) is refused, not computed from rows that do not exist.
TEST(Spline, PreparedFitsFromSeveralThreadsAreEachTheFitOfAFreshSpline) {
  Fixture shared;
  shared.spline->prepare(1500, 20);
  const int64_t rows = shared.spline->rows_factored();
  EXPECT_EQ(rows, 1498);
  constexpr int threads = 4, per_thread = 30;
  std::vector<std::vector<float>> ys, gs;
  for (int k = 0; k < threads * per_thread; ++k) {
    ys.push_back(wave(k % 7 == 3 ? 2 : 20 + (37 * k) % 1480, 5.0 + k % 13, 1 + k % 3, 4));
    gs.emplace_back(ys.back().size() + 1, sentinel);
  }
  std::vector<SplineStatus> status(ys.size());
  {
    std::vector<std::jthread> pool;
    for (int t = 0; t < threads; ++t) {
      pool.emplace_back([&, t] {
        Spline::Work work;
        for (int k = t * per_thread; k < (t + 1) * per_thread; k += 3) {
          std::vector<Spline::Fit> fits;
          for (int j = k; j < k + 3; ++j) {
            const auto u = static_cast<std::size_t>(j);
            fits.push_back(Spline::Fit{static_cast<int32_t>(ys[u].size()), ys[u], gs[u]});
          }
          shared.spline->fit(fits, 20, work);
          for (int j = k; j < k + 3; ++j)
            status[static_cast<std::size_t>(j)] = fits[static_cast<std::size_t>(j - k)].status;
        }
      });
    }
  }
  EXPECT_EQ(shared.spline->rows_factored(), rows);  // nothing factored again
  for (std::size_t k = 0; k < ys.size(); ++k) {
    Fixture fresh;
    float p = 0.0f;
    const std::vector<float> want = fresh.fit(ys[k], p, 20);
    ASSERT_EQ(status[k], ys[k].size() < 4 ? SplineStatus::too_short : SplineStatus::ok) << k;
    ASSERT_EQ(std::memcmp(want.data(), gs[k].data(), want.size() * sizeof(float)), 0) << k;
  }
  Spline::Work work;
  std::vector<float> y = wave(1501, 9, 1, 3), g(1501);
  Spline::Fit longer{1501, y, g};
  EXPECT_THROW(shared.spline->fit(std::span<Spline::Fit>(&longer, 1), 20, work), std::logic_error);
  Spline::Fit other_period{100, y, g};
  EXPECT_THROW(shared.spline->fit(std::span<Spline::Fit>(&other_period, 1), 32, work),
               std::logic_error);
}

TEST(Spline, LongSeriesFitAndOneBeyondTheLimitIsRefusedUntouched) {
  Fixture f;
  // 10 000 values, then a short series with the grown work area: the same curve as a
  // spline that never fitted a longer one.
  std::vector<float> y = wave(10000, 30, 1, 5), g(10000, sentinel);
  float p = 0.0f;
  EXPECT_EQ((*f.spline)(10000, y, g, p, 20), SplineStatus::ok);
  for (float v : g) ASSERT_TRUE(std::isfinite(v));
  std::vector<float> short_y = wave(50, 9, 1, 2), after(50), fresh(50);
  EXPECT_EQ((*f.spline)(50, short_y, after, p, 20), SplineStatus::ok);
  Fixture other;
  EXPECT_EQ((*other.spline)(50, short_y, fresh, p, 20), SplineStatus::ok);
  EXPECT_EQ(after, fresh);

  const auto n = static_cast<std::size_t>(Spline::MXY) + 1;
  y = wave(static_cast<int>(n), 30, 1, 5);
  g.assign(n, sentinel);
  EXPECT_EQ((*f.spline)(static_cast<int32_t>(n), y, g, p, 20), SplineStatus::too_long);
  for (float v : g) ASSERT_EQ(v, sentinel);
}

}  // namespace
