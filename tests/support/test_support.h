// Test doubles for the console and file-system seams, and paths to shared test data.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "recio/console.h"
#include "recio/units.h"

namespace testing_support {

// Thrown by ScriptConsole::exit so that a test can see the program end.
struct Exited {
  int status;
};

// A console fed with answer lines; records everything written.
class ScriptConsole : public recio::Console {
 public:
  explicit ScriptConsole(std::vector<std::string> answers = {})
      : answers_(answers.begin(), answers.end()) {}
  void add(const std::string& answer) { answers_.push_back(answer); }
  void out(std::string_view text) override { output += text; }
  void flush() override {}
  recio::Outcome in(std::string& line) override;
  void err(std::string_view line) override { errors += std::string(line) + "\n"; }
  [[noreturn]] void exit(int status) override { throw Exited{status}; }

  std::string output;
  std::string errors;

 private:
  std::deque<std::string> answers_;
};

// Files held in memory; `fail_writes` simulates a full disk.
class MemoryFileSystem : public recio::FileSystem {
 public:
  std::optional<std::string> read_file(const std::string& name) override;
  bool replace_file(const std::string& name, std::string_view data) override;
  bool remove_file(const std::string& name) override;

  std::map<std::string, std::string> files;
  bool fail_writes = false;
};

// A virtual X server for one test: Xvfb picks a free display and reports it once it accepts
// connections. `up` is false when Xvfb is not installed or did not start.
struct VirtualDisplay {
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  int pid = -1;
  std::string name;
  bool up = false;
};

// ../shared beside the checkout, or "" when it is absent (tests then skip).
std::string shared_dir();
std::string source_dir();
// Path of the built program.
std::string program_path();
// Reads a whole file; "" when missing.
std::string slurp(const std::string& path);

}  // namespace testing_support
