#include "support/test_support.h"

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
