// Throughput of the Tucson reading of a whole file on the largest file the store holds:
// 400 series of 2000 years in thousandths of a millimetre (-9999 end markers), written to a
// temporary file first. Reported as bytes per second of the file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bigfile.h"
#include "core/store.h"
#include "formats/trread.h"
#include "recio/session.h"

namespace {

const std::string& big_path() {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() / "trread_bench_big.rwl").string();
    std::ofstream(p, std::ios::binary) << bench::big_tucson_file(ringdate::mxser, ringdate::mxyr, 1,
                                                                 bench::Precision::thousandths);
    return p;
  }();
  return path;
}

// Writes nothing anywhere: the summary line is all trread says on a good file.
class QuietConsole final : public recio::Console {
 public:
  void out(std::string_view t) override {
    if (getenv("TRREAD_BENCH_ECHO")) std::fwrite(t.data(), 1, t.size(), stderr);
  }
  void flush() override {}
  recio::Outcome in(std::string&) override { return recio::Outcome::eof; }
  void err(std::string_view line) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  }
  [[noreturn]] void exit(int status) override {
    std::fprintf(stderr, "the reading ended the program (status %d)\n", status);
    std::exit(status == 0 ? 1 : status);
  }
};

// trread alone: the file is opened once and rewound before every pass.
void BM_Trread(benchmark::State& state) {
  const std::string& path = big_path();
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  QuietConsole con;
  recio::Session session(con);
  if (!session.units().open(10, path, recio::Status::old)) {
    state.SkipWithError("cannot open the generated file");
    return;
  }
  ringdate::Store st;
  ringdate::Vec<float> series{ringdate::mxyr};
  ringdate::Trread trread(session);
  for (auto _ : state) {
    session.units().rewind(10);
    if (trread(st.wrk, series, "MR", st.nser, st.iyr, st.ids, ringdate::mxyr, ringdate::mxser)) {
      state.SkipWithError("the file was refused");
      return;
    }
    benchmark::DoNotOptimize(st.wrk(1, 1));
  }
  if (st.nser != ringdate::mxser) state.SkipWithError("not every series was read");
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_Trread)->Unit(benchmark::kMillisecond);

// Opening the file (reading and splitting it into records) and trread together.
void BM_OpenAndTrread(benchmark::State& state) {
  const std::string& path = big_path();
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  QuietConsole con;
  recio::Session session(con);
  ringdate::Store st;
  ringdate::Vec<float> series{ringdate::mxyr};
  ringdate::Trread trread(session);
  for (auto _ : state) {
    if (!session.units().open(10, path, recio::Status::old)) {
      state.SkipWithError("cannot open the generated file");
      return;
    }
    if (trread(st.wrk, series, "MR", st.nser, st.iyr, st.ids, ringdate::mxyr, ringdate::mxser)) {
      state.SkipWithError("the file was refused");
      return;
    }
    session.units().close(10);
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_OpenAndTrread)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
