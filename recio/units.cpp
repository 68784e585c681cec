// File units over the file-system seam, and the process's own file system.
#include "recio/units.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace recio {

namespace {

// Calls f(offset, length) for every record of the content.
template <class F>
void for_each_record(std::string_view content, F f) {
  size_t start = 0;
  size_t i = 0;
  const size_t n = content.size();
  while (i < n) {
    char c = content[i];
    if (c != '\n' && c != '\r') {
      ++i;
      continue;
    }
    f(start, i - start);
    if (c == '\r') {
      if (i + 1 < n && content[i + 1] == '\n') {
        i += 2;  // CR LF
      } else if (i + 2 < n && content[i + 1] == '\r' && content[i + 2] == '\n') {
        i += 3;  // CR CR LF
      } else {
        i += 1;  // lone CR
      }
    } else {
      i += 1;
    }
    start = i;
  }
  if (start < n) f(start, n - start);
}

}  // namespace

std::vector<std::string> split_records(std::string_view content) {
  std::vector<std::string> records;
  for_each_record(content, [&](size_t at, size_t len) { records.emplace_back(content.substr(at, len)); });
  return records;
}

// One unit: the records of a file read whole ("OLD"), or the records written so far
// ("UNKNOWN"). As a record source it hands out the records from the read position on.
struct Units::Unit : RecordSource {
  std::string name;
  bool open = false;
  bool writing = false;
  std::string content;                              // a file read whole
  std::vector<std::pair<size_t, size_t>> spans;     // its records: offset, length
  std::vector<std::string> records;                 // records written
  size_t pos = 0;  // index of the next record to read

  Outcome next(std::string& record) override {
    std::string_view v;
    Outcome o = next_view(v);
    if (o == Outcome::ok) record.assign(v);
    return o;
  }
  Outcome next_view(std::string_view& record) override {
    if (!open || writing) return Outcome::error;
    if (pos >= spans.size()) return Outcome::eof;
    const auto& sp = spans[pos++];
    record = std::string_view(content).substr(sp.first, sp.second);
    return Outcome::ok;
  }
};

Units::Units(FileSystem& fs) : fs_(&fs), closed_(std::make_unique<Unit>()) {}

// Units still open are dropped: written records reach their file only through close().
Units::~Units() = default;

Units::Unit& Units::unit(int n) {
  auto it = units_.find(n);
  return it == units_.end() ? *closed_ : *it->second;
}

const Units::Unit& Units::unit(int n) const {
  auto it = units_.find(n);
  return it == units_.end() ? *closed_ : *it->second;
}

bool Units::open(int n, const std::string& name, Status status) {
  if (is_open(n)) close(n);
  auto u = std::make_unique<Unit>();
  u->name = name;
  u->open = true;
  if (status == Status::old) {
    std::optional<std::string> content = fs_->read_file(name);
    if (!content) return false;
    u->content = std::move(*content);
    for_each_record(u->content, [&](size_t at, size_t len) { u->spans.emplace_back(at, len); });
  } else {
    u->writing = true;
  }
  units_[n] = std::move(u);
  return true;
}

bool Units::is_open(int n) const { return units_.count(n) > 0; }

bool Units::close(int n, bool remove) {
  auto it = units_.find(n);
  if (it == units_.end()) return true;
  std::unique_ptr<Unit> u = std::move(it->second);
  units_.erase(it);
  if (remove) {
    if (fs_->remove_file(u->name)) return true;
    return !fs_->read_file(u->name).has_value();  // gone already is fine
  }
  if (!u->writing) return true;
  std::string data;
  size_t total = 0;
  for (const std::string& r : u->records) total += r.size() + 1;
  data.reserve(total);
  for (const std::string& r : u->records) {
    data += r;
    data += '\n';
  }
  return fs_->replace_file(u->name, data);
}

std::vector<std::string> Units::close_all() {
  std::vector<std::string> failed;
  while (!units_.empty()) {
    int n = units_.begin()->first;
    std::string name = units_.begin()->second->name;
    if (!close(n)) failed.push_back(name);
  }
  return failed;
}

void Units::rewind(int n) { unit(n).pos = 0; }

// After an end of file the position is past the last record, so this returns to it.
void Units::backspace(int n) {
  Unit& u = unit(n);
  if (u.pos > 0) --u.pos;
}

Outcome Units::read_line(int n, std::string& record) { return unit(n).next(record); }

void Units::write_line(int n, std::string_view record) {
  Unit& u = unit(n);
  if (!u.open || !u.writing) return;
  u.records.emplace_back(record);
}

RecordSource& Units::source(int n) { return unit(n); }

const std::string& Units::name(int n) const { return unit(n).name; }

// ---------------------------------------------------------------- the real file system

namespace {

class SystemFileSystem : public FileSystem {
 public:
  std::optional<std::string> read_file(const std::string& name) override {
    std::ifstream f(name, std::ios::binary);
    if (!f) return std::nullopt;
    std::ostringstream ss;
    ss << f.rdbuf();
    if (f.bad()) return std::nullopt;
    return std::move(ss).str();
  }

  bool replace_file(const std::string& name, std::string_view data) override {
    std::string tmp = name + ".tmp" + std::to_string(static_cast<long>(::getpid()));
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    const char* p = data.data();
    size_t left = data.size();
    while (ok && left > 0) {
      ssize_t w = ::write(fd, p, left);
      if (w < 0) {
        if (errno == EINTR) continue;
        ok = false;
      } else {
        p += w;
        left -= static_cast<size_t>(w);
      }
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), name.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
  }

  bool remove_file(const std::string& name) override { return std::remove(name.c_str()) == 0; }
};

}  // namespace

FileSystem& system_file_system() {
  static SystemFileSystem fs;  // stateless
  return fs;
}

}  // namespace recio
