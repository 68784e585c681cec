// The console seam: the only place where the program touches standard input, standard
// output and the error stream. Tests replace it with a scripted console.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "recio/layout.h"

namespace recio {

class Console {
 public:
  virtual ~Console() = default;
  // Writes text to the console as it stands (no line end is added).
  virtual void out(std::string_view text) = 0;
  // Makes everything written so far visible (before an answer is read).
  virtual void flush() = 0;
  // Reads one answer line without its line end: ok, or eof when input has ended.
  virtual Outcome in(std::string& line) = 0;
  // Writes one line to the error stream.
  virtual void err(std::string_view line) = 0;
  // Ends the process with the status. Never returns.
  [[noreturn]] virtual void exit(int status) = 0;
  // The signal that asked the program to end (hangup, terminate, interrupt, quit), or 0.
  // While one is pending, in() returns eof at once.
  virtual int ending_signal() const { return 0; }
  // Ends the process as the signal would have ended it (its conventional status, 128 plus
  // its number, to the parent). Never returns.
  [[noreturn]] virtual void exit_by_signal(int signal) {
    exit(128 + signal);
    std::abort();  // exit() never returns
  }
};

// A console for work that asks nothing and shows nothing (the writers behind the
// command-line modes): what is written is dropped, input has ended. Such work never ends
// the program, so exit() aborts.
class QuietConsole final : public Console {
 public:
  void out(std::string_view) override {}
  void flush() override {}
  Outcome in(std::string&) override { return Outcome::eof; }
  void err(std::string_view) override {}
  [[noreturn]] void exit(int) override { std::abort(); }
};

// The process's own console: standard streams, with line editing and history (libedit)
// when standard input is a terminal, plain line reads otherwise.
Console& system_console();

}  // namespace recio
