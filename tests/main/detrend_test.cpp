#include "main/detrend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/parallel.h"
#include "formats/trread.h"
#include "formats/trrw.h"
#include "support/test_support.h"

namespace {

using namespace ringdate;
using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

struct StoreRun {
  ScriptConsole console;
  MemoryFileSystem fs;
  recio::Session session{console, fs};
  std::unique_ptr<Store> store = std::make_unique<Store>();
  std::unique_ptr<Spline> spline = std::make_unique<Spline>();

  // Files one series on the common axis starting at `iyrmin`.
  void add(const std::string& id, int32_t first, const std::vector<float>& v, int32_t iyrmin) {
    Store& s = *store;
    const int32_t i = ++s.nser;
    s.ids[static_cast<std::size_t>(i - 1)] = (id + "        ").substr(0, 8);
    s.iyr(i, 1) = first;
    s.iyr(i, 2) = first + static_cast<int32_t>(v.size()) - 1;
    for (std::size_t k = 0; k < v.size(); ++k)
      s.wrk(static_cast<std::size_t>(first - iyrmin) + k + 1, i) = v[k];
    int32_t lo = iyrmin, hi = s.iyr(i, 2);
    for (int32_t j = 1; j < i; ++j) hi = std::max(hi, s.iyr(j, 2));
    s.iyr(i + 1, 1) = lo;
    s.iyr(i + 1, 2) = hi;
  }
  void snapshot() { store->raw = store->wrk; }
};

std::vector<float> widths(int n, uint32_t seed) {
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    seed = seed * 1664525u + 1013904223u;
    v[static_cast<std::size_t>(k)] = 2.0f * std::exp(-0.01f * static_cast<float>(k)) +
                                     0.5f * static_cast<float>(seed >> 8) / 16777216.0f;
  }
  return v;
}

TEST(DetrendStore, TurnsEverySeriesIntoIndicesAndKeepsMeasurements) {
  StoreRun r;
  const auto a = widths(60, 1), b = widths(30, 2);
  r.add("ABC01", 1001, a, 1001);
  r.add("ABC02", 1011, b, 1001);  // ten years after the axis start
  r.snapshot();
  const Matrix<float> raw_before = r.store->raw;

  detrend_store(r.session, *r.store, *r.spline);

  EXPECT_EQ(r.store->units, "INDICES             ");
  ASSERT_EQ(r.store->units.size(), 20u);
  EXPECT_EQ(r.console.output, "");
  for (std::size_t c = 1; c <= mxser; ++c)
    for (std::size_t row = 1; row <= mxyr; ++row)
      ASSERT_EQ(r.store->raw(row, c), raw_before(row, c));

  // Each series against its own curve, from its own first row.
  struct Col {
    std::size_t col, d;
    const std::vector<float>* v;
  };
  for (Col c : {Col{1, 0, &a}, Col{2, 10, &b}}) {
    const auto n = c.v->size();
    std::vector<float> g(n);
    float p = 0.0f;
    Spline fresh;
    fresh(static_cast<int32_t>(n), *c.v, g, p, 20);
    double mean = 0;
    for (std::size_t k = 0; k < n; ++k) {
      const float idx = r.store->wrk(c.d + k + 1, c.col);
      EXPECT_EQ(idx, (*c.v)[k] / g[k]) << c.col << " " << k;
      mean += idx / static_cast<double>(n);
    }
    EXPECT_NEAR(mean, 1.0, 0.05) << c.col;
    for (std::size_t row = 1; row <= c.d; ++row) EXPECT_EQ(r.store->wrk(row, c.col), rmiss);
    for (std::size_t row = c.d + n + 1; row <= mxyr; ++row)
      ASSERT_EQ(r.store->wrk(row, c.col), rmiss);
  }
  for (std::size_t row = 1; row <= mxyr; ++row) ASSERT_EQ(r.store->wrk(row, 3), rmiss);
}

TEST(DetrendStore, SeriesTheSplineCannotFitKeepsItsMeasurements) {
  StoreRun r;
  const auto a = widths(40, 3);
  const std::vector<float> s3{0.8f, 1.1f, 0.9f}, s1{1.5f};
  r.add("SHORT3", 1950, s3, 1950);
  r.add("GOOD", 1950, a, 1950);
  r.add("ONE", 1960, s1, 1950);
  r.snapshot();

  detrend_store(r.session, *r.store, *r.spline);

  EXPECT_EQ(r.console.output,
            " *** Series SHORT3   not detrended (too short for the spline)\n"
            " *** Series ONE      not detrended (too short for the spline)\n");
  for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(r.store->wrk(k + 1, 1), s3[k]);
  EXPECT_EQ(r.store->wrk(11, 3), 1.5f);
  // The series after a failed one is still detrended, with a curve of its own.
  double mean = 0;
  for (std::size_t k = 1; k <= 40; ++k) mean += r.store->wrk(k, 2) / 40.0;
  EXPECT_NEAR(mean, 1.0, 0.05);
  EXPECT_NE(r.store->wrk(1, 2), a[0]);
}

// The spline takes the series a few at a time; every series still gets bit for bit the
// indices of a fit of its own, and the messages come in the order of the series, whatever
// place a series that cannot be fitted (too short, or with negative values left out) has
// in a batch.
// The batches are spread over the machine's threads: with any number of threads the same
// indices and the same messages.
TEST(DetrendStore, EverySeriesOfABatchGetsTheIndicesOfItsOwnFit) {
  for (int threads : {1, 2, 3}) {
    set_worker_threads(threads);
    StoreRun r;
    std::vector<std::vector<float>> series;
    const int lengths[] = {80, 3, 120, 200, 2, 90, 150, 60, 1, 110, 70};
    for (std::size_t k = 0; k < std::size(lengths); ++k) {
      std::vector<float> v = widths(lengths[k], static_cast<uint32_t>(k + 11));
      if (k == 6) v[40] = -1.0f;  // a year without a ring width
      series.push_back(v);
      r.add("S" + std::to_string(k), 1800, v, 1800);
    }
    r.snapshot();
    detrend_store(r.session, *r.store, *r.spline);
    set_worker_threads(0);
    EXPECT_EQ(r.console.output,
              " *** Series S1       not detrended (too short for the spline)\n"
              " *** Series S4       not detrended (too short for the spline)\n"
              " *** Series S8       not detrended (too short for the spline)\n")
        << threads << " threads";
    for (std::size_t c = 0; c < series.size(); ++c) {
      const std::vector<float>& v = series[c];
      std::vector<float> kept;
      for (float x : v)
        if (!(x < 0.0f)) kept.push_back(x);
      std::vector<float> g(kept.size() + 1);
      float p = 0.0f;
      Spline fresh;
      const bool fits =
          fresh(static_cast<int32_t>(kept.size()), kept, g, p, 20) == SplineStatus::ok;
      for (std::size_t k = 0, j = 0; k < v.size(); ++k) {
        float want = v[k];
        if (fits) want = v[k] < 0.0f ? rmiss : kept[j] / g[j];
        if (fits && !(v[k] < 0.0f)) ++j;
        ASSERT_EQ(r.store->wrk(k + 1, c + 1), want)
            << threads << " threads, series " << c << " year " << k;
      }
    }
  }
}

// A series longer than the spline holds stops the detrending: the series before it (spread
// over the threads) become indices and are told about in order, then the message, and the
// series after it keep their measurements.
TEST(DetrendStore, ASeriesTooLongForTheSplineStopsEverythingAfterIt) {
  set_worker_threads(2);
  StoreRun r;
  const int32_t too_long = Spline::MXY + 1;
  r.store->wrk.resize(static_cast<std::size_t>(too_long), r.store->wrk.cols());
  std::vector<std::vector<float>> series;
  const int lengths[] = {50, 2, 60, 70, 80, 90, too_long, 300, 45};
  for (std::size_t k = 0; k < std::size(lengths); ++k) {
    series.push_back(widths(lengths[k], static_cast<uint32_t>(k + 3)));
    r.add("L" + std::to_string(k), 1, series.back(), 1);
  }
  r.snapshot();
  EXPECT_FALSE(detrend_store(r.session, *r.store, *r.spline));
  set_worker_threads(0);
  EXPECT_EQ(r.console.output,
            " *** Series L1       not detrended (too short for the spline)\n"
            "\n *** SERIES TOO LONG FOR SPLINE SUBROUTINE ***\n"
            "  *** ENLARGE MXY PARAMETER IN SUBROUTINE ***\n\n");
  for (std::size_t c = 0; c < series.size(); ++c) {
    const bool detrended = c != 1 && c < 6;
    // An index is near 1; a measurement of widths() is near 2.
    EXPECT_EQ(std::abs(r.store->wrk(10, c + 1) - 1.0f) < 0.5f, detrended) << c;
    if (!detrended) {
      for (std::size_t k = 0; k < std::min<std::size_t>(series[c].size(), 500); ++k)
        ASSERT_EQ(r.store->wrk(k + 1, c + 1), series[c][k]) << c << " " << k;
    }
  }
}

// A straight line down to zero is its own curve: 0 / 0 at that year, 1 elsewhere; the
// negative values after it are no ring widths: the fit leaves them out, and they get no
// index.
TEST(DetrendStore, ZeroCurveGivesMissingNotNaN) {
  StoreRun r;
  const std::vector<float> line{3, 2, 1, 0, -1, -2};
  r.add("LINE", 1, line, 1);
  r.snapshot();
  detrend_store(r.session, *r.store, *r.spline);
  const float want[] = {1, 1, 1, rmiss, rmiss, rmiss};
  for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(r.store->wrk(k + 1, 1), want[k]) << k;
}

// The same where every year has a ring width (the indices are made four at a time): the
// zero curve and a ratio beyond the reals give rmiss, NaN included, in every position of
// a group of four and after the last group.
TEST(DetrendStore, ZeroCurveGivesMissingWhereEveryYearHasAWidth) {
  for (std::size_t len : {std::size_t{4}, std::size_t{7}, std::size_t{9}}) {
    StoreRun r;
    std::vector<float> line(len);
    for (std::size_t k = 0; k < len; ++k) line[k] = static_cast<float>(len - 1 - k);
    r.add("LINE", 1, line, 1);
    r.snapshot();
    detrend_store(r.session, *r.store, *r.spline);
    for (std::size_t k = 0; k < len; ++k)
      EXPECT_EQ(r.store->wrk(k + 1, 1), k + 1 == len ? rmiss : 1.0f) << len << " " << k;
  }
}

// A real measurement file read, aligned and snapshotted as the driver does: detrending
// changes the working values only; the corrected file written from raw is the same.
TEST(DetrendStore, RealFileCorrectedOutputUnchanged) {
  const std::string dir = testing_support::shared_dir();
  if (dir.empty()) GTEST_SKIP() << "no shared data";
  const std::string content = testing_support::slurp(dir + "/data/real/ca533.rwl");
  if (content.empty()) GTEST_SKIP() << "ca533.rwl missing";
  StoreRun r;
  r.fs.files["ca533.rwl"] = content;
  Store& s = *r.store;
  ASSERT_TRUE(r.session.units().open(10, "ca533.rwl", recio::Status::old));
  Trread trread(r.session);
  Vec<float> series{mxyr};
  ASSERT_FALSE(trread(s.wrk, series, "MR", s.nser, s.iyr, s.ids, mxyr, mxser));
  ASSERT_GT(s.nser, 1);
  for (int32_t i = 1; i <= s.nser; ++i) {
    const int32_t n = s.iyr(i, 2) - s.iyr(i, 1) + 1, d = s.iyr(i, 1) - s.iyrmin();
    for (int32_t k = n; k >= 1; --k) s.wrk(k + d, i) = s.wrk(k, i);
    for (int32_t k = 1; k <= d; ++k) s.wrk(k, i) = rmiss;
  }
  r.snapshot();

  auto write_corrected = [&](const std::string& name) {
    std::string mode = "MW", title = (name + std::string(80, ' ')).substr(0, 80);
    std::array<std::string, 3> hdr{std::string(85, ' '), std::string(85, ' '),
                                   std::string(85, ' ')};
    std::vector<int32_t> icnt(mxyr, 0);
    int32_t nread = 0;
    Trrw trrw(r.session);
    r.session.units().open(12, name, recio::Status::unknown);
    for (int32_t i = 1; i <= s.nser; ++i) {
      std::string id = s.ids[static_cast<std::size_t>(i - 1)];
      int32_t ifyr = s.iyr(i, 1), n = s.iyr(i, 2) - s.iyr(i, 1) + 1;
      auto col = s.raw.column(static_cast<std::size_t>(i))
                     .subspan(static_cast<std::size_t>(ifyr - s.iyrmin()));
      trrw(id, ifyr, n, col, icnt, nread, 12, 0, mode, title, "   ", mxyr, hdr);
    }
    EXPECT_TRUE(r.session.units().close(12));
    return r.fs.files[name];
  };
  const std::string before = write_corrected("out_COR");
  const auto console_before = r.console.output.size();

  detrend_store(r.session, s, *r.spline);

  EXPECT_EQ(s.units, "INDICES             ");
  EXPECT_EQ(r.console.output.size(), console_before);  // every series long enough
  for (int32_t i = 1; i <= s.nser; ++i) {
    const int32_t n = s.iyr(i, 2) - s.iyr(i, 1) + 1, d = s.iyr(i, 1) - s.iyrmin();
    double mean = 0;
    for (int32_t k = 1; k <= n; ++k) {
      const float v = s.wrk(d + k, i);
      ASSERT_TRUE(std::isfinite(v)) << i << " " << k;
      if (v != rmiss) mean += v / n;
    }
    EXPECT_NEAR(mean, 1.0, 0.1) << s.ids[static_cast<std::size_t>(i - 1)];
  }
  EXPECT_FALSE(before.empty());
  EXPECT_EQ(write_corrected("out_COR"), before);
}

}  // namespace
