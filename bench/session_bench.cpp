// Wall time and peak memory of writing the corrected file and of a whole scripted session
// (start, read, detrend, list, leave) on the largest file the store holds.
//   session_bench                 all measurements, each in a fresh process
//   session_bench session FILE    one session on FILE
//   session_bench write FILE      one corrected-file write of FILE's series
//   session_bench gen FILE        writes the big file only (for profiling)
// Numbers go to standard output; nothing here asserts a time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bigfile.h"
#include "core/store.h"
#include "formats/trread.h"
#include "main/driver.h"
#include "recio/session.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Ended {
  int status;
};

// A console fed with the session's answers; what is written is kept, as a pipe would take it.
class BenchConsole final : public recio::Console {
 public:
  explicit BenchConsole(std::vector<std::string> answers)
      : answers_(answers.begin(), answers.end()) {}
  void out(std::string_view text) override { written += text; }
  void flush() override {}
  recio::Outcome in(std::string& line) override {
    asked.push_back(Clock::now());
    if (answers_.empty()) return recio::Outcome::eof;
    line = answers_.front();
    answers_.pop_front();
    return recio::Outcome::ok;
  }
  void err(std::string_view line) override { errors += line; }
  [[noreturn]] void exit(int status) override { throw Ended{status}; }
  std::string written, errors;
  std::vector<Clock::time_point> asked;  // when each answer was asked for

 private:
  std::deque<std::string> answers_;
};

long peak_rss_kb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

double ms_since(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// One whole session: the file name, accept the Tucson measurement guess, accept the
// spline, pick nothing (the listing is written and the corrected file with it), goodbye.
int run_session(const std::string& path) {
  // A name typed with a leading "/" means exit: the session runs in the file's folder.
  const std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::current_path(p.parent_path());
  const std::string file = p.filename().string();
  const long rss0 = peak_rss_kb();
  BenchConsole console({file, "", "", "", ""});
  const auto t0 = Clock::now();
  int status = -1;
  try {
    auto program = std::make_unique<ringdate::Program>(console, recio::system_file_system());
    program->run();
  } catch (const Ended& e) {
    status = e.status;
  }
  const double ms = ms_since(t0);
  std::error_code ec;
  const auto cor = std::filesystem::file_size(file + "_COR", ec);
  if (ec) {
    const std::string& w = console.written;
    std::printf("session: no corrected file; status %d; last output:\n%s\n%s\n", status,
                w.substr(w.size() > 1500 ? w.size() - 1500 : 0).c_str(), console.errors.c_str());
    return 1;
  }
  std::printf(
      "session: %.1f ms wall, peak RSS %ld kB (process start %ld kB), status %d, "
      "console %zu bytes, corrected file %ju bytes\n",
      ms, peak_rss_kb(), rss0, status, console.written.size(), static_cast<uintmax_t>(cor));
  // The answers mark the phases: name, format question, spline question, sequence number,
  // goodbye; then the end.
  static const char* const phases[] = {"open+guess+preview", "read (trread, align, snapshot)",
                                       "detrend+listing", "write corrected file", "end"};
  auto& a = console.asked;
  a.push_back(Clock::now());
  for (std::size_t k = 1; k < a.size() && k <= 5; ++k)
    std::printf("  %-32s %7.1f ms\n", phases[k - 1],
                std::chrono::duration<double, std::milli>(a[k] - a[k - 1]).count());
  if (console.written.find("OKAY, THE SPLINING IS DONE") == std::string::npos)
    std::printf("  (spline not done)\n");
  return status == 0 ? 0 : 1;
}

// The corrected-file write alone: the series are read first (not timed), then written as
// the program writes them, header line and one "MW" call per series, and committed.
int run_write(const std::string& file) {
  BenchConsole console({});
  recio::Session session(console, recio::system_file_system());
  auto store = std::make_unique<ringdate::Store>();
  ringdate::Trread trread(session);
  if (!session.units().open(10, file, recio::Status::old)) return 1;
  const std::string mode = "MR";
  ringdate::Vec<float> series(ringdate::mxyr);  // the reader's buffer for one series
  if (trread(store->wrk, series, mode, store->nser, store->iyr, store->ids, ringdate::mxyr,
             ringdate::mxser))
    return 1;
  session.units().close(10);
  const long rss_read = peak_rss_kb();

  const std::string out = file + "_W";
  ringdate::Vec<int32_t> icnt(ringdate::mxyr, 0);
  std::array<std::string, 3> hdr{std::string(85, ' '), std::string(85, ' '), std::string(85, ' ')};
  std::string title(80, ' ');
  const auto t0 = Clock::now();
  recio::Units& units = session.units();
  units.open(12, out, recio::Status::unknown);
  units.write_line(12, "CORRECTED RING-WIDTH DATA: " + out);
  int32_t nread = 0;
  for (int32_t i = 1; i <= store->nser; ++i) {
    std::string id = store->ids[static_cast<std::size_t>(i - 1)];
    int32_t fyr = store->iyr(i, 1);
    int32_t n = store->iyr(i, 2) - fyr + 1;
    std::string wmode = "MW";
    trread.trrw()(id, fyr, n,
                  store->wrk.column(static_cast<std::size_t>(i)).first(static_cast<std::size_t>(n)),
                  icnt.span(), nread, 12, 0, wmode, title, "   ", ringdate::mxyr, hdr);
  }
  const double build_ms = ms_since(t0);
  const bool ok = units.close(12);
  const double ms = ms_since(t0);
  const auto size = std::filesystem::file_size(out);
  std::printf(
      "write corrected file: %.1f ms wall (%.1f ms formatting, %.1f ms commit to disk), "
      "%ju bytes, %.0f MB/s, peak RSS %ld kB (%ld kB after reading)%s\n",
      ms, build_ms, ms - build_ms, static_cast<uintmax_t>(size), size / 1e3 / ms, peak_rss_kb(),
      rss_read, ok ? "" : ", COMMIT FAILED");
  std::filesystem::remove(out);
  return ok ? 0 : 1;
}

int child(const char* self, const char* what, const std::string& file) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    execl(self, self, what, file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "session") == 0) return run_session(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "write") == 0) return run_write(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "gen") == 0) {
    std::ofstream(argv[2], std::ios::binary) << bench::big_tucson_file();
    return 0;
  }

  const auto dir =
      std::filesystem::temp_directory_path() / ("ringdate_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "big.rwl").string();
  {
    const std::string content = bench::big_tucson_file();
    std::ofstream(file, std::ios::binary) << content;
    std::printf("file: %s, %zu bytes, 400 series x 2000 years\n", file.c_str(), content.size());
  }
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 1;
  self[n] = '\0';
  int rc = 0;
  for (int k = 0; k < 3; ++k) rc |= child(self, "write", file);
  for (int k = 0; k < 3; ++k) rc |= child(self, "session", file);
  std::filesystem::remove_all(dir);
  return rc;
}
