// Test support shared by the unit tests, the session tests and the fuzz harnesses: fakes of
// the console and file-system seams, builders of data lines in the formats the program
// reads, and the paths of the shared data and of the built program. Nothing here depends
// on the test framework.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recio/console.h"
#include "recio/units.h"

namespace testing_support {

// Thrown by ScriptConsole::exit so that a test can see the program end.
struct Exited {
  int status;
};

// A console fed with answer lines; records everything written (or, with keep_output
// false, only counts it).
class ScriptConsole : public recio::Console {
 public:
  explicit ScriptConsole(std::vector<std::string> answers = {})
      : answers_(answers.begin(), answers.end()) {}
  void add(std::string answer) { answers_.push_back(std::move(answer)); }
  void out(std::string_view text) override;
  void flush() override {}
  recio::Outcome in(std::string& line) override;
  void err(std::string_view line) override;
  [[noreturn]] void exit(int status) override { throw Exited{status}; }

  bool keep_output = true;
  std::string output;
  std::string errors;
  std::size_t written = 0;  // bytes written to the console and the error stream
  std::size_t reads = 0;    // answer lines read

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

// Data lines as the formats lay them out; each ends with a line feed.

// A Tucson measurement decade line: the identifier in 8 columns, the year in 4, each value
// in 6.
std::string tucson_line(std::string_view id, int year, const std::vector<int>& values);

// A Tucson measurement series as decade lines: `values` (in the file's units) from the
// year `first`, then `marker` (999 ends a series in hundredths, -9999 one in thousandths).
// The first line holds the values up to the end of its decade.
std::string tucson_series(std::string_view id, int first, std::vector<int> values, int marker);

// A compact-format header: count and first year in 8 columns each with their "=N" and "=I"
// tags, the name in 47 columns, the exponent in 3, the layout of the data lines, "~" and,
// when given, a blank and the tag.
std::string compact_header(int n, int first, std::string_view name, int exponent,
                           std::string_view layout, std::string_view tag = {});

// A UEA CRU series: the header line (identifier, first and last year) and decade lines of
// value (hundredths) and count pairs; the positions of a decade before the first year and
// after the last hold 9990 and 0.
std::string cru_series(std::string_view id, int first, const std::vector<int>& values,
                       const std::vector<int>& counts);

// ../shared beside the checkout, or "" when it is absent (tests then skip).
std::string shared_dir();
std::string source_dir();
// Path of the built program.
std::string program_path();
// Reads a whole file; "" when missing.
std::string slurp(const std::string& path);

}  // namespace testing_support
