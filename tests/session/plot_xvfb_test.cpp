// The built program drawing its comparison plot: on a virtual X server, with the window
// captured while the plot options menu waits, and with no display at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace std::chrono_literals;

const std::string menu_prompt = std::string(15, ' ') + " enter option number > ";

std::size_t count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (auto p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// The program running in `dir` with DISPLAY set to `display` (unset when nullopt); answers
// are sent one at a time.
class Running {
 public:
  Running(const std::string& dir, std::optional<std::string> display) : out_(dir + "/.stdout") {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[0], 0);
      const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(o, 1);
      const int e = ::open((dir + "/.stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(e, 2);
      ::close(fds[1]);
      if (::chdir(dir.c_str()) != 0) ::_exit(126);
      if (display) {
        ::setenv("DISPLAY", display->c_str(), 1);
      } else {
        ::unsetenv("DISPLAY");
      }
      const std::string prog = testing_support::program_path();
      ::execl(prog.c_str(), prog.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[0]);
    in_ = fds[1];
  }
  ~Running() {
    if (in_ >= 0) ::close(in_);
    if (pid_ > 0 && !done_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  void send(const std::string& line) {
    const std::string l = line + "\n";
    ASSERT_EQ(::write(in_, l.data(), l.size()), static_cast<ssize_t>(l.size()));
  }
  std::string output() const { return testing_support::slurp(out_); }
  // Waits until the output holds `n` times `what`.
  bool wait_for(const std::string& what, std::size_t n, std::chrono::seconds limit = 60s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (count(output(), what) >= n) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  // Closes the input and waits for the end: the exit status, or -1 after the time limit.
  int finish(std::chrono::seconds limit = 60s) {
    ::close(in_);
    in_ = -1;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int st = 0;
      if (::waitpid(pid_, &st, WNOHANG) == pid_) {
        done_ = true;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
      }
      std::this_thread::sleep_for(50ms);
    }
    return -1;
  }

 private:
  std::string out_;
  pid_t pid_ = -1;
  int in_ = -1;
  bool done_ = false;
};

// Distinct colours on the screen (0 when it cannot be captured).
int screen_colours_now(const std::string& display);

// The window server draws on its own time: give it up to ten seconds to show content.
int screen_colours(const std::string& display) {
  int c = screen_colours_now(display);
  for (int i = 0; i < 100 && c < 3; ++i) {
    std::this_thread::sleep_for(100ms);
    c = screen_colours_now(display);
  }
  return c;
}

int screen_colours_now(const std::string& display) {
  const std::string cmd = "xwd -root -silent -display " + display +
                          " 2>/dev/null | convert xwd:- -format '%k' info: 2>/dev/null";
  std::FILE* f = ::popen(cmd.c_str(), "r");
  if (!f) return 0;
  int n = 0;
  if (std::fscanf(f, "%d", &n) != 1) n = 0;
  ::pclose(f);
  return n;
}

std::string example() {
  return testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl");
}

// The answers up to the first plot: file, Tucson measurements, no spline, series 1 and 2,
// end of the picks, return.
const std::vector<std::string> to_the_plot = {"pine.rwl", "", "N", "1", "2", "", ""};

// Leaves the comparison and the program from the plot options menu.
void leave(Running& p) {
  p.send("");
  p.send("X");
  p.send("");
}

TEST(PlotSession, TheWindowIsShownWhileTheMenuWaitsAndASaveWritesPostScript) {
  if (std::system("command -v xwd >/dev/null && command -v convert >/dev/null && "
                  "command -v xwininfo >/dev/null") != 0) {
    GTEST_SKIP() << "no screen capture tools";
  }
  // Skipped only when no virtual server can start: a program that draws into its fallback
  // file, or whose window does not come, fails the test.
  testing_support::VirtualDisplay x;
  if (!x.up) GTEST_SKIP() << "no virtual X server (Xvfb) could start";
  session::Workspace w;
  w.write("pine.rwl", example());
  Running p(w.path(""), x.name);
  for (const auto& a : to_the_plot) p.send(a);
  ASSERT_TRUE(p.wait_for(menu_prompt, 1)) << p.output();
  ASSERT_EQ(p.output().find("SCREEN.ps"), std::string::npos) << p.output();
  EXPECT_TRUE(session::wait_for_window(x.name, "PLplot")) << session::windows(x.name);
  EXPECT_GE(screen_colours(x.name), 3);  // background, frame, curves
  p.send("s");
  ASSERT_TRUE(p.wait_for(menu_prompt, 2)) << p.output();
  EXPECT_EQ(w.read("pine.rwl_DATA.PLTS").substr(0, 4), "%!PS");
  // Saving leaves the window as it was.
  EXPECT_TRUE(session::wait_for_window(x.name, "PLplot")) << session::windows(x.name);
  EXPECT_GE(screen_colours(x.name), 3);
  // Continue, leave the comparison with a letter that is no edit choice, end the picks.
  leave(p);
  EXPECT_EQ(p.finish(), 0) << p.output();
  EXPECT_EQ(p.output().find("SCREEN.ps"), std::string::npos);
  EXPECT_TRUE(w.exists("pine.rwl_COR"));
  EXPECT_FALSE(w.exists("pine.rwl_DATA_SCREEN.ps"));
}

TEST(PlotSession, WithoutADisplayThePlotGoesToAPictureFileAndTheRunCompletes) {
  session::Workspace w;
  w.write("pine.rwl", example());
  Running p(w.path(""), std::nullopt);
  for (const auto& a : to_the_plot) p.send(a);
  for (const auto& a : {"5", "9", "0", "s", "", "X", ""}) p.send(a);
  EXPECT_EQ(p.finish(), 0) << p.output();
  const std::string out = p.output();
  EXPECT_EQ(count(out, menu_prompt), 4u) << out;  // first, after 5, after 0, after s
  EXPECT_EQ(count(out, "pine.rwl_DATA_SCREEN.ps"), 1u) << out;
  EXPECT_EQ(w.read("pine.rwl_DATA_SCREEN.ps").substr(0, 4), "%!PS");
  EXPECT_EQ(w.read("pine.rwl_DATA.PLTS").substr(0, 4), "%!PS");
  EXPECT_TRUE(w.exists("pine.rwl_COR"));
  EXPECT_NE(out.find("select new curve color: [0-15] : "), std::string::npos);
}

}  // namespace
