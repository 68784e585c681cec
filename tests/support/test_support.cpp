#include "support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

recio::Outcome ScriptConsole::in(std::string& line) {
  if (answers_.empty()) return recio::Outcome::eof;
  line = answers_.front();
  answers_.pop_front();
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
