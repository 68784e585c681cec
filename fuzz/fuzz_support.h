// In-memory seams for the fuzz harnesses: a console fed with answer lines that discards
// what is written, and a file system held in memory. The end of the program (Console::exit)
// throws FuzzExit, which each harness catches: a program end is a normal outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recio/console.h"
#include "recio/units.h"

namespace fuzzing {

struct FuzzExit {
  int status;
};

class FuzzConsole final : public recio::Console {
 public:
  void add(std::string line) { answers_.push_back(std::move(line)); }
  void out(std::string_view text) override { written += text.size(); }
  void flush() override {}
  recio::Outcome in(std::string& line) override {
    if (answers_.empty()) return recio::Outcome::eof;
    line = std::move(answers_.front());
    answers_.pop_front();
    ++reads;
    return recio::Outcome::ok;
  }
  void err(std::string_view line) override { written += line.size(); }
  [[noreturn]] void exit(int status) override { throw FuzzExit{status}; }

  std::size_t written = 0;
  std::size_t reads = 0;

 private:
  std::deque<std::string> answers_;
};

class FuzzFileSystem final : public recio::FileSystem {
 public:
  std::optional<std::string> read_file(const std::string& name) override {
    auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool replace_file(const std::string& name, std::string_view data) override {
    if (fail_writes) return false;
    files[name] = std::string(data);
    return true;
  }
  bool remove_file(const std::string& name) override { return files.erase(name) > 0; }

  std::map<std::string, std::string> files;
  bool fail_writes = false;
};

// Splits the fuzz input at its first line feed: head before it, rest after it (rest is
// empty when there is no line feed).
inline void split_first_line(const uint8_t* data, std::size_t size, std::string& head,
                             std::string& rest) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  auto nl = all.find('\n');
  if (nl == std::string_view::npos) {
    head.assign(all);
    rest.clear();
  } else {
    head.assign(all.substr(0, nl));
    rest.assign(all.substr(nl + 1));
  }
}

}  // namespace fuzzing
