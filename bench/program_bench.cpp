// Whole sessions of the built program on generated Tucson files (bench/bigfile.h), as a user
// runs it: the file name, accept the Tucson measurement guess, detrend every series, pick
// nothing, goodbye (the corrected file is written); and `ringdate --check` on the same
// file. Every run is a fresh process. The files have 2000 years per series, LF and CR LF
// line ends, and N and 4N series (N = 100 by default: 4N is the most the store holds), so
// that a cost growing faster than the file shows as a growth ratio above 4.
//   program_bench [--runs N] [--series N] [--binary PATH] [--thousandths] [--no-phases]
//                 [--threads N]
// --threads N runs the program with RINGDATE_THREADS=N (1: all its work on one thread).
// Two kinds of run:
//   scripted  all answers piped at once, as `ringdate < answers`: the wall time of the
//             process and its peak memory (the child's maximum resident set);
//   phased    each answer sent when its prompt has appeared, which splits the run at the
//             prompts: start, open+preview, read, detrend+list, write, end. A third run
//             answers "N" to the spline question, so that its detrend+list phase is the
//             listing alone and the difference is the detrending.
// Medians over the runs go to standard output; nothing here asserts a time.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bigfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// The program running in `dir` with pipes on its standard input and output.
class Child {
 public:
  Child(const std::string& binary, const std::string& dir) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) std::exit(2);
    start_ = Clock::now();
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      const int devnull = open("/dev/null", O_WRONLY);
      if (devnull >= 0) dup2(devnull, STDERR_FILENO);
      for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
      unsetenv("DISPLAY");
      execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  ~Child() {
    if (to_ >= 0) close(to_);
    if (from_ >= 0) close(from_);
  }

  Clock::time_point start() const { return start_; }

  void send(std::string_view text) {
    while (!text.empty()) {
      const ssize_t w = write(to_, text.data(), text.size());
      if (w <= 0) return;
      text.remove_prefix(static_cast<std::size_t>(w));
    }
  }
  void close_input() {
    close(to_);
    to_ = -1;
  }

  // Reads the output until `text` followed by `then` appears after what was seen
  // before; the time it appeared, or nullopt-like false when the output ended first.
  bool wait_for(std::string_view text, std::string_view then, Clock::time_point& at) {
    for (;;) {
      const std::size_t p = seen_.find(text, scan_);
      if (p != std::string::npos) {
        const std::size_t q = seen_.find(then, p + text.size());
        if (q != std::string::npos) {
          scan_ = q + then.size();
          at = Clock::now();
          return true;
        }
      }
      if (!fill()) return false;
    }
  }

  // Reads the rest of the output, then waits for the process: its end time, exit status
  // and peak resident set in kB.
  void finish(Clock::time_point& at, int& status, long& maxrss_kb, double& cpu_ms) {
    while (fill()) {
    }
    rusage ru{};
    int st = 0;
    wait4(pid_, &st, 0, &ru);
    at = Clock::now();
    status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + (WIFSIGNALED(st) ? WTERMSIG(st) : 0);
    maxrss_kb = ru.ru_maxrss;
    cpu_ms = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
             (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
  }

 private:
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1;
  Clock::time_point start_;
  std::string seen_;
  std::size_t scan_ = 0;

  bool fill() {
    char buf[65536];
    const ssize_t n = read(from_, buf, sizeof buf);
    if (n <= 0) return false;
    seen_.append(buf, static_cast<std::size_t>(n));
    return true;
  }
};

const char* const kFilePrompt = "FILE NAME TO EXAMINE (/ TO EXIT)";
const char* const kFormatPrompt = "TUCSON MEASUREMENT FORMAT? <Y>/N";
const char* const kSplinePrompt = "SPLINE BEFORE EXAMINATION? <Y>/N";  // column 45 cuts the rest
const char* const kSequencePrompt = "Sequence number (<RET> to DO WHATEVER)";
const char* const kGoodbye = "HASTA LA BYE BYE, BABY!";
const char* const kArrow = "==> ";

struct Scripted {
  double total_ms = 0;
  double cpu_ms = 0;  // user + system time of the process
  long maxrss_kb = 0;
  bool ok = false;
};

Scripted run_scripted(const std::string& binary, const std::string& dir, const std::string& file) {
  Child c(binary, dir);
  c.send(file + "\n\n\n\n\n");
  c.close_input();
  Scripted r;
  Clock::time_point end;
  int status = -1;
  c.finish(end, status, r.maxrss_kb, r.cpu_ms);
  r.total_ms = ms_between(c.start(), end);
  r.ok = status == 0;
  return r;
}

enum Phase { start, open_preview, read_in, detrend_list, write_out, end, nphases };
const char* const kPhaseNames[nphases] = {"start (to the file-name prompt)",
                                          "open + guess + preview",
                                          "read (trread, align, snapshot)",
                                          "detrend + listing",
                                          "write corrected file",
                                          "end (goodbye to exit)"};

struct Phased {
  double ms[nphases] = {};
  double total_ms = 0;
  long maxrss_kb = 0;
  bool ok = false;
};

Phased run_phased(const std::string& binary, const std::string& dir, const std::string& file,
                  bool detrend) {
  Child c(binary, dir);
  Phased r;
  Clock::time_point t[nphases + 1];
  t[0] = c.start();
  bool ok = c.wait_for(kFilePrompt, kArrow, t[1]);
  if (ok) c.send(file + "\n");
  ok = ok && c.wait_for(kFormatPrompt, kArrow, t[2]);
  if (ok) c.send("\n");
  ok = ok && c.wait_for(kSplinePrompt, kArrow, t[3]);
  if (ok) c.send(detrend ? "\n" : "N\n");
  ok = ok && c.wait_for(kSequencePrompt, kArrow, t[4]);
  if (ok) c.send("\n");
  ok = ok && c.wait_for(kGoodbye, "\n", t[5]);
  c.send("\n");
  c.close_input();
  int status = -1;
  double cpu_ms = 0;
  c.finish(t[6], status, r.maxrss_kb, cpu_ms);
  r.ok = ok && status == 0;
  for (int p = 0; p < nphases; ++p) r.ms[p] = ms_between(t[p], t[p + 1]);
  r.total_ms = ms_between(t[0], t[6]);
  return r;
}

std::string default_binary() {
#ifdef RINGDATE_BINARY
  return RINGDATE_BINARY;
#else
  return "ringdate";
#endif
}

// `ringdate --check FILE` in a fresh process: wall and processor time, peak memory.
Scripted run_check(const std::string& binary, const std::string& dir, const std::string& file) {
  const Clock::time_point t0 = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
      dup2(devnull, STDOUT_FILENO);
      dup2(devnull, STDERR_FILENO);
    }
    unsetenv("DISPLAY");
    execl(binary.c_str(), binary.c_str(), "--check", file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  rusage ru{};
  int st = 0;
  wait4(pid, &st, 0, &ru);
  Scripted r;
  r.total_ms = ms_between(t0, Clock::now());
  r.cpu_ms = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
             (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
  r.maxrss_kb = ru.ru_maxrss;
  // 0: nothing flagged, 1: something flagged; both are a finished check.
  r.ok = WIFEXITED(st) && (WEXITSTATUS(st) == 0 || WEXITSTATUS(st) == 1);
  return r;
}

// The medians of one file: its scripted sessions, their phases, and its checks.
struct Figures {
  double session_ms = 0, session_cpu_ms = 0, session_mb = 0;
  double check_ms = 0, check_cpu_ms = 0, check_mb = 0;
  int failures = 0;
};

Figures measure(const std::string& binary, const std::filesystem::path& dir, int nseries,
                bench::Precision precision, bench::LineEnd line_end, int runs, bool phased) {
  const std::string file = "big.rwl";
  const std::string content = bench::big_tucson_file(nseries, 2000, 1, precision, line_end);
  std::ofstream(dir / file, std::ios::binary) << content;
  const double mb = static_cast<double>(content.size()) / 1e6;
  std::printf("\n== %d series x 2000 years, %s line ends (%s): %zu bytes; %d runs of each kind\n",
              nseries, bench::line_end_name(line_end),
              precision == bench::Precision::hundredths ? "hundredths" : "thousandths",
              content.size(), runs);

  std::vector<double> scripted, scripted_cpu, scripted_rss, check, check_cpu, check_rss;
  std::vector<double> phase[nphases], phase_n[nphases], phased_total;
  std::uintmax_t cor_size = 0;
  Figures f;
  const auto cor = dir / (file + "_COR");
  for (int k = 0; k < runs; ++k) {
    std::filesystem::remove(cor);
    const Scripted s = run_scripted(binary, dir.string(), file);
    std::error_code ec;
    cor_size = std::filesystem::file_size(cor, ec);
    if (!s.ok || ec) ++f.failures;
    scripted.push_back(s.total_ms);
    scripted_cpu.push_back(s.cpu_ms);
    scripted_rss.push_back(static_cast<double>(s.maxrss_kb));

    const Scripted c = run_check(binary, dir.string(), file);
    if (!c.ok) ++f.failures;
    check.push_back(c.total_ms);
    check_cpu.push_back(c.cpu_ms);
    check_rss.push_back(static_cast<double>(c.maxrss_kb));

    if (!phased) continue;
    const Phased p = run_phased(binary, dir.string(), file, true);
    if (!p.ok) ++f.failures;
    for (int q = 0; q < nphases; ++q) phase[q].push_back(p.ms[q]);
    phased_total.push_back(p.total_ms);

    const Phased n = run_phased(binary, dir.string(), file, false);
    if (!n.ok) ++f.failures;
    for (int q = 0; q < nphases; ++q) phase_n[q].push_back(n.ms[q]);
  }

  f.session_ms = median(scripted);
  f.session_cpu_ms = median(scripted_cpu);
  f.session_mb = median(scripted_rss) / 1024.0;
  f.check_ms = median(check);
  f.check_cpu_ms = median(check_cpu);
  f.check_mb = median(check_rss) / 1024.0;
  std::printf("corrected file: %ju bytes\n", cor_size);
  std::printf(
      "scripted session (read, detrend all, write):  median %6.1f ms  (min %.1f, max %.1f)\n",
      f.session_ms, *std::min_element(scripted.begin(), scripted.end()),
      *std::max_element(scripted.begin(), scripted.end()));
  std::printf("  its processor time (user + system):          median %6.1f ms\n", f.session_cpu_ms);
  std::printf("  peak memory (child max RSS):                  median %6.1f MB  (max %.1f MB)\n",
              f.session_mb, *std::max_element(scripted_rss.begin(), scripted_rss.end()) / 1024.0);
  std::printf(
      "check (ringdate --check FILE):                 median %6.1f ms  (min %.1f, max %.1f)\n",
      f.check_ms, *std::min_element(check.begin(), check.end()),
      *std::max_element(check.begin(), check.end()));
  std::printf("  its processor time (user + system):          median %6.1f ms\n", f.check_cpu_ms);
  std::printf("  peak memory (child max RSS):                  median %6.1f MB  (max %.1f MB)\n",
              f.check_mb, *std::max_element(check_rss.begin(), check_rss.end()) / 1024.0);
  if (!phased) return f;
  std::printf("phases of the detrending session (medians):\n");
  for (int q = 0; q < nphases; ++q)
    std::printf("  %-34s %7.1f ms\n", kPhaseNames[q], median(phase[q]));
  std::printf("  %-34s %7.1f ms\n", "total (phased)", median(phased_total));
  const double list = median(phase_n[detrend_list]);
  std::printf("  listing alone (spline answered N)  %7.1f ms\n", list);
  std::printf("  detrending (difference)            %7.1f ms\n",
              median(phase[detrend_list]) - list);
  const double reading = median(phase[open_preview]) + median(phase[read_in]);
  std::printf("reading (open + preview + read):    %7.1f ms = %.0f MB/s\n", reading,
              mb / (reading / 1e3));
  std::printf("reading (read phase alone):         %7.1f ms = %.0f MB/s\n", median(phase[read_in]),
              mb / (median(phase[read_in]) / 1e3));
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 11;
  int nseries = 100;
  bool phased = true;
  std::string binary = default_binary();
  auto precision = bench::Precision::hundredths;
  for (int a = 1; a < argc; ++a) {
    const std::string_view arg = argv[a];
    if (arg == "--runs" && a + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++a]));
    } else if (arg == "--series" && a + 1 < argc) {
      nseries = std::max(1, std::atoi(argv[++a]));
    } else if (arg == "--binary" && a + 1 < argc) {
      binary = std::filesystem::absolute(argv[++a]).string();
    } else if (arg == "--thousandths") {
      precision = bench::Precision::thousandths;
    } else if (arg == "--no-phases") {
      phased = false;
    } else if (arg == "--threads" && a + 1 < argc) {
      setenv("RINGDATE_THREADS", argv[++a], 1);  // the children inherit it
    } else {
      std::fprintf(stderr,
                   "usage: %s [--runs N] [--series N] [--binary PATH] [--thousandths] "
                   "[--no-phases] [--threads N]\n",
                   argv[0]);
      return 2;
    }
  }
  signal(SIGPIPE, SIG_IGN);

  const auto dir = std::filesystem::temp_directory_path() /
                   ("ringdate_program_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const char* threads = std::getenv("RINGDATE_THREADS");
  std::printf("program: %s (threads: %s)\n", binary.c_str(), threads ? threads : "default");
  // Each line-end convention at 1x and 4x the number of series: a reading that grows
  // faster than the file shows as a ratio above 4.
  const bench::LineEnd ends[] = {bench::LineEnd::lf, bench::LineEnd::crlf};
  Figures fig[2][2];
  int failures = 0;
  for (int e = 0; e < 2; ++e) {
    for (int m = 0; m < 2; ++m) {
      fig[e][m] = measure(binary, dir, nseries * (m ? 4 : 1), precision, ends[e], runs, phased);
      failures += fig[e][m].failures;
    }
  }
  std::filesystem::remove_all(dir);

  std::printf("\n== summary (medians; 2000 years per series)\n");
  std::printf("%-6s %7s %11s %11s %9s %11s %11s %9s\n", "ends", "series", "session ms",
              "session cpu", "sess. MB", "check ms", "check cpu", "check MB");
  for (int e = 0; e < 2; ++e)
    for (int m = 0; m < 2; ++m) {
      const Figures& f = fig[e][m];
      std::printf("%-6s %7d %11.1f %11.1f %9.1f %11.1f %11.1f %9.1f\n",
                  bench::line_end_name(ends[e]), nseries * (m ? 4 : 1), f.session_ms,
                  f.session_cpu_ms, f.session_mb, f.check_ms, f.check_cpu_ms, f.check_mb);
    }
  for (int e = 0; e < 2; ++e)
    std::printf("growth 4x/1x, %-5s  session %.2f (processor %.2f), check %.2f (processor %.2f)\n",
                bench::line_end_name(ends[e]), fig[e][1].session_ms / fig[e][0].session_ms,
                fig[e][1].session_cpu_ms / fig[e][0].session_cpu_ms,
                fig[e][1].check_ms / fig[e][0].check_ms,
                fig[e][1].check_cpu_ms / fig[e][0].check_cpu_ms);
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) > 0)
    std::printf("load average at the end: %.2f %.2f %.2f (2 cores)\n", load[0], load[1], load[2]);
  if (failures) std::printf("FAILED RUNS: %d\n", failures);
  return failures ? 1 : 0;
}
