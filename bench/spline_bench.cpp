// Detrending speed: one spline fit by length, and every series of a full store.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "detrend/spline.h"
#include "main/detrend.h"

namespace {

class QuietConsole : public recio::Console {
 public:
  void out(std::string_view) override {}
  void flush() override {}
  recio::Outcome in(std::string&) override { return recio::Outcome::eof; }
  void err(std::string_view) override {}
  [[noreturn]] void exit(int status) override { std::exit(status); }
};

// Ring widths in mm: a decaying age trend, a slow wave and noise.
float width(uint32_t& seed, int32_t year, int32_t series) {
  seed = seed * 1664525u + 1013904223u;
  const float noise = static_cast<float>(seed >> 8) / 16777216.0f;
  return 0.3f + 2.0f * std::exp(-0.004f * static_cast<float>(year)) +
         0.2f * std::sin(0.05f * static_cast<float>(year + 7 * series)) + 0.4f * noise;
}

void BM_SplineFit(benchmark::State& state) {
  QuietConsole console;
  recio::Session session(console);
  auto spline = std::make_unique<ringdate::Spline>();
  const auto n = static_cast<int32_t>(state.range(0));
  std::vector<float> y(static_cast<std::size_t>(n)), g(y.size());
  uint32_t seed = 1;
  for (int32_t k = 0; k < n; ++k) y[static_cast<std::size_t>(k)] = width(seed, k, 0);
  float p = 0.0f;
  for (auto _ : state) {
    (*spline)(n, y, g, p, 20);
    benchmark::DoNotOptimize(g.data());
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_SplineFit)->RangeMultiplier(2)->Range(250, 2000)->Complexity(benchmark::oN);

// The largest store: 400 series of 2000 years each.
void BM_DetrendFullStore(benchmark::State& state) {
  using namespace ringdate;
  QuietConsole console;
  recio::Session session(console);
  auto store = std::make_unique<Store>();
  auto spline = std::make_unique<Spline>();
  uint32_t seed = 7;
  store->nser = mxser;
  for (int32_t i = 1; i <= mxser; ++i) {
    store->iyr(i, 1) = 1;
    store->iyr(i, 2) = mxyr;
    for (int32_t k = 1; k <= mxyr; ++k) store->wrk(k, i) = width(seed, k, i);
  }
  store->iyr(mxser + 1, 1) = 1;
  store->iyr(mxser + 1, 2) = mxyr;
  store->raw = store->wrk;
  for (auto _ : state) {
    state.PauseTiming();
    store->wrk = store->raw;
    state.ResumeTiming();
    detrend_store(session, *store, *spline);
    benchmark::DoNotOptimize(store->wrk(1, 1));
  }
  state.SetItemsProcessed(state.iterations() * mxser);
}
BENCHMARK(BM_DetrendFullStore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
