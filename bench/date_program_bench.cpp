// The dating mode as a user runs it: 24 samples of 60 rings to whole series (co021's series,
// renumbered from 1) against a reference of 34 of co021's series (788 years), in one call of
// the built program, the process included.
//   date_program_bench [--runs N] [--binary PATH]
// Writes both files as Tucson measurements into a temporary folder, runs
// `ringdate --date samples.rwl --ref reference.rwl` N times (21 by default) and prints the
// median, lowest and highest wall time of the process and its processor time (on a busy
// machine the wall time includes waiting for a core). Nothing here asserts a time.
#include <fcntl.h>
#include <spawn.h>
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
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/datafile.h"
#include "xdate/store_input.h"

extern char** environ;

namespace {

using ringdate::xdate::SeriesInput;

// A series as Tucson decade lines in thousandths, ended by -9999.
void write_tucson(std::ofstream& out, const SeriesInput& s) {
  std::vector<long> v;
  for (double x : s.values) v.push_back(std::lround(x * 1000.0));
  v.push_back(-9999);
  int32_t year = s.first;
  std::size_t k = 0;
  char buf[16];
  while (k < v.size()) {
    std::snprintf(buf, sizeof buf, "%-8.8s%4d", s.id.c_str(), year);
    out << buf;
    do {
      std::snprintf(buf, sizeof buf, "%6ld", v[k]);
      out << buf;
      ++k;
      ++year;
    } while (k < v.size() && year % 10 != 0);
    out << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 21;
  std::string binary = RINGDATE_BINARY;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--runs" && a + 1 < argc)
      runs = std::max(1, std::atoi(argv[++a]));
    else if (arg == "--binary" && a + 1 < argc)
      binary = argv[++a];
  }
  const std::string source = std::string(RINGDATE_SHARED_DIR) + "/data/real/co021.rwl";
  auto store = std::make_unique<ringdate::Store>();
  if (ringdate::read_data_file(source, "", *store).result != ringdate::DataFileResult::read) {
    std::fprintf(stderr, "cannot read %s\n", source.c_str());
    return 2;
  }
  const std::vector<SeriesInput> all = ringdate::xdate::series_of_store(*store);
  if (all.size() < 35) return 2;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("ringdate_date_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  {
    // The reference: every series but the longest one's neighbour (34 of 35, span unchanged).
    std::ofstream ref(dir / "reference.rwl");
    for (std::size_t i = 1; i < all.size(); ++i) write_tucson(ref, all[i]);
    // 24 samples, lengths spread from 60 rings to the whole series, numbered from 1.
    std::ofstream samples(dir / "samples.rwl");
    for (int k = 0; k < 24; ++k) {
      const SeriesInput& s = all[static_cast<std::size_t>(k) % all.size()];
      const std::size_t n = s.values.size();
      const std::size_t len =
          std::min(n, 60 + (n > 60 ? (n - 60) * static_cast<std::size_t>(k) / 23 : 0));
      SeriesInput x{
          "S" + std::to_string(100 + k), 1,
          std::vector<double>(s.values.end() - static_cast<std::ptrdiff_t>(len), s.values.end())};
      write_tucson(samples, x);
    }
  }
  const std::string samples = (dir / "samples.rwl").string(),
                    reference = (dir / "reference.rwl").string();
  std::vector<double> ms, cpu;
  int status = 0;
  for (int r = 0; r < runs; ++r) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {binary, "--date", samples, "--ref", reference};
    std::vector<char*> argv_c;
    for (std::string& a : args) argv_c.push_back(a.data());
    argv_c.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv_c.data(), environ) != 0) {
      std::fprintf(stderr, "cannot start %s\n", binary.c_str());
      return 2;
    }
    struct rusage use {};
    wait4(pid, &status, 0, &use);
    const auto t1 = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    cpu.push_back(1e3 * static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
                  1e-3 * static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec));
  }
  if (!std::getenv("RINGDATE_BENCH_KEEP"))
    std::filesystem::remove_all(dir);
  else
    std::printf("files kept in %s\n", dir.c_str());
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("ringdate --date: 24 samples against 34 series of 788 years, %d runs\n", runs);
  std::printf(
      "  wall time of the process: median %.1f ms, lowest %.1f ms, highest %.1f ms "
      "(exit status %d)\n",
      ms[ms.size() / 2], ms.front(), ms.back(), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  std::printf("  processor time (user + system): median %.1f ms, lowest %.1f ms\n",
              cpu[cpu.size() / 2], cpu.front());
  return 0;
}
