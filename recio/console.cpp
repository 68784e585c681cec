// The process's console: standard output (buffered), standard error, and standard input
// read with line editing and history when it is a terminal, plainly otherwise. The line
// editor is loaded only then, so that a run whose input is not a terminal (and a
// command-line mode) never loads it.
#include "recio/console.h"

#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace recio {

namespace {

// The signal that asked the program to end; the handler only records it, and the dialogue
// finishes from its main flow at the next read (which the signal interrupts).
volatile std::sig_atomic_t ending = 0;

extern "C" void record_ending_signal(int sig) { ending = sig; }

constexpr int ending_signals[] = {SIGHUP, SIGTERM, SIGINT, SIGQUIT};

void catch_ending_signals() {
  struct sigaction sa {};
  sa.sa_handler = record_ending_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a read waiting for an answer returns
  for (int sig : ending_signals) {
    struct sigaction old {};
    // A signal ignored when the program started (nohup) stays ignored.
    if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(sig, &sa, nullptr);
  }
}

// The line editor's two functions; null when it cannot be loaded (then lines are read
// plainly).
struct LineEditor {
  char* (*readline)(const char* prompt) = nullptr;
  int (*add_history)(const char* line) = nullptr;
};

const LineEditor* line_editor() {
#ifdef RINGDATE_LIBEDIT_LIBRARY
  static const LineEditor* const loaded = []() -> const LineEditor* {
    static LineEditor e;
    void* handle = ::dlopen(RINGDATE_LIBEDIT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    e.readline = reinterpret_cast<char* (*)(const char*)>(::dlsym(handle, "readline"));
    e.add_history = reinterpret_cast<int (*)(const char*)>(::dlsym(handle, "add_history"));
    return e.readline != nullptr && e.add_history != nullptr ? &e : nullptr;
  }();
  return loaded;
#else
  return nullptr;
#endif
}

class SystemConsole : public Console {
 public:
  SystemConsole() : interactive_(::isatty(STDIN_FILENO) == 1) { catch_ending_signals(); }
  ~SystemConsole() override { std::free(buf_); }

  void out(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    size_t nl = text.rfind('\n');
    if (nl == std::string_view::npos) {
      open_line_.append(text);
    } else {
      open_line_.assign(text.substr(nl + 1));
    }
    if (open_line_.size() > 4096) open_line_.erase(0, open_line_.size() - 4096);
  }

  void flush() override { std::fflush(stdout); }

  Outcome in(std::string& line) override {
    std::fflush(stdout);
    if (ending != 0) return Outcome::eof;
    if (interactive_) {
      if (const LineEditor* e = line_editor()) return edit_line(*e, line);
    }
    return plain_line(line);
  }

  void err(std::string_view line) override {
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }

  [[noreturn]] void exit(int status) override {
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(status);
  }

  int ending_signal() const override { return ending; }

  [[noreturn]] void exit_by_signal(int sig) override {
    std::fflush(stdout);
    std::fflush(stderr);
    if (sig == SIGQUIT) {
      struct rlimit none {};
      ::setrlimit(RLIMIT_CORE, &none);  // the end is asked for, not a fault: no core file
    }
    ::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);  // not reached
  }

 private:
  bool interactive_;
  std::string open_line_;  // what stands on the cursor's line (the prompt)
  char* buf_ = nullptr;
  size_t cap_ = 0;

  // Bytes up to '\n'; a trailing '\r' is dropped; a last line without '\n' still counts.
  Outcome plain_line(std::string& line) {
    ssize_t n = ::getline(&buf_, &cap_, stdin);
    // A read interrupted by a signal that does not end the program is tried again.
    while (n < 0 && errno == EINTR && ending == 0) {
      std::clearerr(stdin);
      n = ::getline(&buf_, &cap_, stdin);
    }
    if (n < 0) return Outcome::eof;
    size_t len = static_cast<size_t>(n);
    if (len > 0 && buf_[len - 1] == '\n') --len;
    if (len > 0 && buf_[len - 1] == '\r') --len;
    line.assign(buf_, len);
    open_line_.clear();
    return Outcome::ok;
  }

  // The prompt already stands on the line; the editor is handed the same text as its
  // prompt (after a carriage return) so that redrawing the line keeps it visible.
  Outcome edit_line(const LineEditor& editor, std::string& line) {
    std::fputc('\r', stdout);
    std::fflush(stdout);
    char* l = editor.readline(open_line_.c_str());
    open_line_.clear();
    if (!l) return Outcome::eof;
    line.assign(l);
    if (!line.empty()) editor.add_history(l);
    std::free(l);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Outcome::ok;
  }
};

}  // namespace

Console& system_console() {
  static SystemConsole console;  // the process has one console
  return console;
}

}  // namespace recio
