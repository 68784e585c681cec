#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

void ScriptConsole::out(std::string_view text) {
  written += text.size();
  if (keep_output) output += text;
}

void ScriptConsole::err(std::string_view line) {
  written += line.size() + 1;
  if (keep_output) errors += std::string(line) + "\n";
}

recio::Outcome ScriptConsole::in(std::string& line) {
  if (answers_.empty()) return recio::Outcome::eof;
  line = std::move(answers_.front());
  answers_.pop_front();
  ++reads;
  return recio::Outcome::ok;
}

std::optional<std::string> MemoryFileSystem::read_file(const std::string& name) {
  auto it = files.find(name);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

bool MemoryFileSystem::replace_file(const std::string& name, std::string_view data) {
  if (fail_writes) return false;
  files[name] = std::string(data);
  return true;
}

bool MemoryFileSystem::remove_file(const std::string& name) { return files.erase(name) > 0; }

VirtualDisplay::VirtualDisplay() {
  if (::access("/usr/bin/Xvfb", X_OK) != 0) return;
  // Xvfb picks a free display itself and writes its number once it accepts connections,
  // so neither a stale socket nor a slow start can fool the test.
  int fds[2];
  if (::pipe(fds) != 0) return;
  pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const std::string fd = std::to_string(fds[1]);
    ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
            "-nolisten", "tcp", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string digits;
  struct pollfd p = {fds[0], POLLIN, 0};
  while (::poll(&p, 1, 20000) > 0) {
    char c;
    if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
    digits += c;
  }
  ::close(fds[0]);
  up = !digits.empty();
  if (up) name = ":" + digits;
}

VirtualDisplay::~VirtualDisplay() {
  if (pid > 0) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }
}

std::string tucson_line(std::string_view id, int year, const std::vector<int>& values) {
  std::string s(id.substr(0, 8));
  s.resize(8, ' ');
  char buf[16];
  std::snprintf(buf, sizeof buf, "%4d", year);
  s += buf;
  for (int v : values) {
    std::snprintf(buf, sizeof buf, "%6d", v);
    s += buf;
  }
  return s + "\n";
}

std::string tucson_series(std::string_view id, int first, std::vector<int> values, int marker) {
  values.push_back(marker);
  std::string out;
  int year = first;
  std::size_t k = 0;
  int n = year >= 0 ? 10 - year % 10 : (year % 10 == 0 ? 10 : -(year % 10));
  while (k < values.size()) {
    std::vector<int> line;
    for (int i = 0; i < n && k < values.size(); ++i) line.push_back(values[k++]);
    out += tucson_line(id, year, line);
    year += n;
    n = 10;
  }
  return out;
}

std::string compact_header(int n, int first, std::string_view name, int exponent,
                           std::string_view layout, std::string_view tag) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%8d=N%8d=I ", n, first);
  std::string s = buf;
  std::string nm(name);
  nm.resize(47, ' ');
  std::snprintf(buf, sizeof buf, "%3d", exponent);
  s += nm + buf + std::string(layout) + "~";
  if (!tag.empty()) s += " " + std::string(tag);
  return s + "\n";
}

std::string cru_series(std::string_view id, int first, const std::vector<int>& values,
                       const std::vector<int>& counts) {
  const std::string id6(id.substr(0, 6));
  char buf[128];
  const int last = first + static_cast<int>(values.size()) - 1;
  std::snprintf(buf, sizeof buf, "%-6.6s%4d%4d\n", id6.c_str(), first, last);
  std::string out = buf;
  const int decade = first - (((first % 10) + 10) % 10);
  for (int y = decade; y <= last; y += 10) {
    std::snprintf(buf, sizeof buf, "%-6.6s%4d", id6.c_str(), y);
    std::string line = buf;
    for (int k = y; k < y + 10; ++k) {
      const bool in = k >= first && k <= last;
      const auto i = static_cast<std::size_t>(k - first);
      std::snprintf(buf, sizeof buf, "%4d%3d", in ? values[i] : 9990,
                    in && i < counts.size() ? counts[i] : 0);
      line += buf;
    }
    out += line + "\n";
  }
  return out;
}

std::string shared_dir() {
  std::string d = RINGDATE_SHARED_DIR;
  return std::filesystem::is_directory(d) ? d : std::string();
}

std::string source_dir() { return RINGDATE_SOURCE_DIR; }

std::string program_path() { return RINGDATE_BINARY; }

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace testing_support
