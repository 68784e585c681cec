// The statistics of the crossdating window for 10 compared series of 2000 years in a file of
// 400 series that share a yearly signal, five of the compared series missing a ring (so
// that their errors are located at every full analysis):
//   BM_ComparisonStart   the first drawing of a comparison: /0 the same series in an
//                        unchanged store again (nothing new to compute); /1 other picks (the
//                        masters of the compared series and every statistic of all 10);
//                        /2 the store changed too, as after a carried edit (the file's data
//                        prepared afresh as well)
//   BM_RedrawAfterEdit   after a shift of one series: that series analysed again
//   BM_RedrawAfterZoom   after a zoom: the moving and lag correlations of all 10 again
// Nothing here asserts a time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "main/xdwindow.h"
#include "plot/plotter.h"
#include "support/recording_plotter.h"

namespace {

using namespace ringdate;

constexpr int32_t nseries = 400, nyears = 2000, ncompared = 10;

// The store of the file: widths in mm around a common signal, an age trend and noise;
// series 1, 3, 5, 7 and 9 miss a ring (everything before it dated one year late) and start
// ten years later, so that the ring can be inserted (2000 years fill the calendar axis).
std::unique_ptr<Store> big_store() {
  auto st = std::make_unique<Store>();
  uint32_t seed = 12345u;
  auto uniform = [&] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f;
  };
  std::vector<float> signal(nyears);
  for (float& s : signal) s = std::exp(0.8f * (uniform() - 0.5f));
  st->nser = nseries;
  for (int32_t i = 1; i <= nseries; ++i) {
    const std::string id = "BIG" + std::to_string(1000 + i);
    st->ids[static_cast<std::size_t>(i - 1)] = id.substr(0, 8);
    const bool missing = i <= ncompared && i % 2 == 1;
    const int32_t gap = 300 + 150 * i;  // row of the missing ring
    const int32_t first = missing ? 11 : 1;
    for (int32_t r = first; r <= nyears; ++r) {
      const int32_t from = missing && r <= gap ? r - 1 : r;  // one year late before the gap
      const float w = signal[static_cast<std::size_t>(from - 1)] * (0.7f + 0.6f * uniform()) *
                      (0.5f + 1.5f * std::exp(-0.002f * static_cast<float>(r - first)));
      st->raw(static_cast<std::size_t>(r), static_cast<std::size_t>(i)) =
          std::round(w * 1000.0f) / 1000.0f;
      st->wrk(static_cast<std::size_t>(r), static_cast<std::size_t>(i)) =
          st->raw(static_cast<std::size_t>(r), static_cast<std::size_t>(i));
    }
    st->iyr(i, 1) = first;
    st->iyr(i, 2) = nyears;
    st->iseq(static_cast<std::size_t>(i)) = i;
  }
  st->iyr(nseries + 1, 1) = 1;
  st->iyr(nseries + 1, 2) = nyears;
  return st;
}

std::unique_ptr<Tsi1> compared(const Store& st) {
  auto t = std::make_unique<Tsi1>();
  t->nsel = ncompared;
  for (int32_t k = 1; k <= ncompared; ++k) {
    t->sid[static_cast<std::size_t>(k - 1)] = st.ids[static_cast<std::size_t>(k - 1)];
    t->syr(k, 1) = st.iyr(k, 1);
    t->syr(k, 2) = st.iyr(k, 2);
  }
  t->syr(ncompared + 1, 1) = 1;
  t->syr(ncompared + 1, 2) = nyears;
  return t;
}

struct Fixture {
  std::unique_ptr<Store> store = big_store();
  std::unique_ptr<Tsi1> tsi1 = compared(*store);
  RecordingPlotter plotter;
  CrossdatingWindow window{*store, plotter};
  std::vector<LoopEdit> edits;  // the comparison loop's changes

  ComparedView view(int32_t from, int32_t to) const {
    ComparedView v;
    v.tsi1 = tsi1.get();
    v.nsel = tsi1->nsel;
    v.edits = &edits;
    v.winfst = from;
    v.winlst = to;
    v.xmin = static_cast<float>(from);
    v.xmax = static_cast<float>(to);
    v.stem = "big";
    return v;
  }
  // Compares the series in the other order: a new comparison of other picks.
  void repick() {
    for (int32_t k = 1; k <= ncompared / 2; ++k)
      std::swap(store->iseq(static_cast<std::size_t>(k)),
                store->iseq(static_cast<std::size_t>(ncompared + 1 - k)));
  }
};

int64_t suggested(const XdatePicture& pic) {
  int64_t n = 0;
  for (const XdateCurve& c : pic.series) n += c.text.size() > 1 ? 1 : 0;
  return n;
}

void BM_ComparisonStart(benchmark::State& state) {
  Fixture f;
  const ComparedView v = f.view(1, nyears);
  (void)f.window.picture(v);
  int64_t found = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (state.range(0) >= 1) f.repick();
    if (state.range(0) == 2) {
      // A carried edit changes the store: the file's data are prepared again.
      float& cell = f.store->raw(1, 400);
      cell = cell == 1.0f ? 1.001f : 1.0f;
      f.store->changed();
    }
    state.ResumeTiming();
    const XdatePicture pic = f.window.picture(v);
    benchmark::DoNotOptimize(pic.series.data());
    found += suggested(pic);
  }
  state.counters["suggested"] =
      benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ComparisonStart)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_RedrawAfterEdit(benchmark::State& state) {
  Fixture f;
  (void)f.window.picture(f.view(1, nyears));
  bool shifted = false;
  for (auto _ : state) {
    shifted = !shifted;
    f.edits.clear();
    if (shifted) f.edits.push_back(LoopEdit{LoopEdit::Kind::shift, 1, 1, {}});
    const XdatePicture pic = f.window.picture(f.view(1, nyears));
    benchmark::DoNotOptimize(pic.series.data());
  }
}
BENCHMARK(BM_RedrawAfterEdit)->Unit(benchmark::kMillisecond);

void BM_RedrawAfterZoom(benchmark::State& state) {
  Fixture f;
  (void)f.window.picture(f.view(1, nyears));
  bool zoomed = false;
  for (auto _ : state) {
    zoomed = !zoomed;
    const XdatePicture pic = f.window.picture(zoomed ? f.view(900, 1100) : f.view(1, nyears));
    benchmark::DoNotOptimize(pic.series.data());
  }
}
BENCHMARK(BM_RedrawAfterZoom)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
