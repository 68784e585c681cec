// Speed and memory of the crossdating check on the largest file the store holds (400 series
// of 2000 years, LF line ends, bench/bigfile.h), and of the statistics a crossdating window would
// redraw.
//   xdate_check_bench            all measurements
//   xdate_check_bench check      `ringdate --check` on the big file: wall and processor time
//                                and peak memory, each run in a fresh process
//   xdate_check_bench redraw     10 compared series of 2000 years edited and analysed again
//                                against masters built once (reading and masters not timed)
// Numbers go to standard output; nothing here asserts a time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "app/cli.h"
#include "bench/bigfile.h"
#include "core/store.h"
#include "formats/datafile.h"
#include "xdate/dataset.h"
#include "xdate/location.h"
#include "xdate/store_input.h"

namespace {

using namespace ringdate;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct NullBuffer : std::streambuf {
  int overflow(int c) override { return c; }
};

std::string big_path() {
  const std::string p =
      (std::filesystem::temp_directory_path() / "xdate_check_bench_big_lf.rwl").string();
  if (!std::filesystem::exists(p))
    std::ofstream(p, std::ios::binary)
        << bench::big_tucson_file(400, 2000, 1, bench::Precision::hundredths, bench::LineEnd::lf);
  return p;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

void load_line() {
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) > 0)
    std::printf("machine load (1 min): %.2f on %ld processors\n", load[0],
                sysconf(_SC_NPROCESSORS_ONLN));
}

// One check of the big file in a child process: wall ms, processor ms, peak kB, exit status.
struct Run {
  double wall = 0, cpu = 0;
  long peak_kb = 0;
  int status = -1;
};

Run check_once(const std::string& path) {
  const auto t = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    NullBuffer null;
    std::ostream out(&null);
    app::CheckOptions o;
    o.file = path;
    _exit(app::run_check(o, out, out));
  }
  int status = 0;
  rusage use{};
  wait4(pid, &status, 0, &use);
  Run r;
  r.wall = ms_since(t);
  r.cpu = (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
          (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
  r.peak_kb = use.ru_maxrss;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

void bench_check() {
  const std::string path = big_path();
  std::vector<double> wall, cpu;
  long peak = 0;
  int status = -1;
  for (int k = 0; k < 7; ++k) {
    const Run r = check_once(path);
    wall.push_back(r.wall);
    cpu.push_back(r.cpu);
    peak = std::max(peak, r.peak_kb);
    status = r.status;
  }
  std::printf("check of the 400 x 2000 file (7 runs, fresh process each, reading included):\n");
  std::printf("  wall ms: min %.1f  median %.1f\n", *std::min_element(wall.begin(), wall.end()),
              median(wall));
  std::printf("  processor ms (user + system): min %.1f  median %.1f\n",
              *std::min_element(cpu.begin(), cpu.end()), median(cpu));
  std::printf("  peak resident memory: %.1f MB; exit status %d\n",
              static_cast<double>(peak) / 1024.0, status);
}

void bench_redraw() {
  auto store = std::make_unique<ringdate::Store>();
  if (ringdate::read_data_file(big_path(), "", *store).result != ringdate::DataFileResult::read) {
    std::printf("the big file was not read\n");
    return;
  }
  xdate::Dataset data(xdate::series_of_store(*store), xdate::Settings{});
  store.reset();
  const std::vector<int32_t> compared = {0, 40, 80, 120, 160, 200, 240, 280, 320, 360};
  auto t = Clock::now();
  const std::vector<xdate::Master> masters = data.masters(compared);
  const double build = ms_since(t);
  // Each redraw: every compared series with a ring deleted somewhere (as after an edit in
  // the comparison), filtered and analysed against its master, its edit located.
  xdate::Locator locate;
  std::vector<double> times;
  for (int round = 0; round < 20; ++round) {
    t = Clock::now();
    int flagged = 0;
    for (std::size_t k = 0; k < compared.size(); ++k) {
      const xdate::SeriesInput& s = data.input(static_cast<std::size_t>(compared[k]));
      xdate::SeriesInput edited;
      xdate::apply_edit(s, xdate::Edit{xdate::EditKind::remove, s.first + 500 + 50 * round},
                        edited);
      const xdate::Filtered f = data.filter()(edited.first, edited.values);
      const xdate::SeriesResult r = xdate::analyse(edited.id, edited.first, edited.values, f,
                                                   masters[k], data.grid(), data.settings());
      flagged += r.flagged;
      locate(data.filter(), edited, f, masters[k], r, data.grid(), data.settings());
    }
    times.push_back(ms_since(t));
    if (flagged < 0) std::printf("?");
  }
  std::printf("crossdating window of 10 compared series of 2000 years in the 400-series file:\n");
  std::printf("  masters built once: %.1f ms\n", build);
  std::printf("  one redraw, all 10 series (20 rounds): min %.2f ms  median %.2f ms\n",
              *std::min_element(times.begin(), times.end()), median(times));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "all";
  load_line();
  if (what == "all" || what == "check") bench_check();
  if (what == "all" || what == "redraw") bench_redraw();
  return 0;
}
