// File units over the file-system seam, and the process's own file system.
#include "recio/units.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "recio/outfile.h"

namespace recio {

namespace {

// Finds the records of a content one after another: a record ends at LF, CR LF, a lone CR
// or CR CR LF, and a last line without a line end is a record too. The next LF and the
// next CR are looked up with memchr and kept until passed, so each byte is examined at most
// once for each of the two, whatever the line ends: a scanner must therefore live as long
// as the reading it serves (made anew for every record, a file without CR would be
// searched to its end for every record). `work`, when given, counts the bytes examined.
class RecordScanner {
 public:
  explicit RecordScanner(std::string_view content = {}, size_t* work = nullptr)
      : s_(content), work_(work) {}

  // The next record as offset and length; false at the end of the content.
  bool next(size_t& offset, size_t& length) {
    const size_t n = s_.size();
    if (at_ >= n) return false;
    const size_t end = std::min(find(lf_, lf_known_, '\n'), find(cr_, cr_known_, '\r'));
    offset = at_;
    length = end - at_;
    at_ = end_of_line_end(s_, end);
    return true;
  }

  size_t position() const { return at_; }

  // The offset after the line end that starts at `end` (the content's size at its end).
  static size_t end_of_line_end(std::string_view s, size_t end) {
    const size_t n = s.size();
    if (end >= n) return n;
    if (s[end] == '\n') return end + 1;
    if (end + 1 < n && s[end + 1] == '\n') return end + 2;                        // CR LF
    if (end + 2 < n && s[end + 1] == '\r' && s[end + 2] == '\n') return end + 3;  // CR CR LF
    return end + 1;                                                               // lone CR
  }

 private:
  std::string_view s_;
  size_t* work_;
  size_t at_ = 0;
  size_t lf_ = 0, cr_ = 0;  // the next LF and CR at or after at_ once looked up (n: none)
  bool lf_known_ = false, cr_known_ = false;

  size_t find(size_t& cached, bool& known, char c) {
    if (!known || cached < at_) {
      const void* p = std::memchr(s_.data() + at_, c, s_.size() - at_);
      cached = p ? static_cast<size_t>(static_cast<const char*>(p) - s_.data()) : s_.size();
      known = true;
      if (work_) *work_ += std::min(cached + 1, s_.size()) - at_;
    }
    return cached;
  }
};

}  // namespace

std::vector<std::string> split_records(std::string_view content) {
  std::vector<std::string> records;
  RecordScanner scan(content);
  size_t at = 0, len = 0;
  while (scan.next(at, len)) records.emplace_back(content.substr(at, len));
  return records;
}

// One unit: a file read whole ("OLD"), handed out record by record from the read position,
// or the text written so far ("UNKNOWN"), each record followed by a line end. The offsets
// of the records found so far are kept, so that stepping back and rewinding cost nothing
// and a record read again is found within its own bounds; the one scanner of the unit
// only ever moves forward, past records not yet found.
struct Units::Unit : RecordSource {
  std::string name;
  bool open = false;
  bool writing = false;
  FileBytes content;   // a file read whole
  RecordScanner scan;  // finds the records after the last one in `starts`
  // Offset of every record found so far. Room for a record every 32 bytes is reserved at
  // once, in pages of its own: growing it step by step would copy it and fault in fresh
  // pages at every step.
  std::vector<size_t, ringdate::PageAllocator<size_t>> starts;
  size_t index = 0;        // records read before the next one
  size_t* work = nullptr;  // bytes examined to find records (the owner's count)
  Text written;            // records written, each ended by '\n', not yet sent
  // The file being replaced once records were sent to it (Units::send).
  std::unique_ptr<FileSystem::Replacement> replacing;

  void start_reading(FileBytes bytes, size_t* work_count) {
    content = std::move(bytes);
    work = work_count;
    scan = RecordScanner(text(), work);
    starts.reserve(content.size() / 32 + 16);
  }

  std::string_view text() const { return {content.data(), content.size()}; }

  Outcome next(std::string& record) override {
    std::string_view v;
    Outcome o = next_view(v);
    if (o == Outcome::ok) record.assign(v);
    return o;
  }
  Outcome next_view(std::string_view& record) override {
    if (!open || writing) return Outcome::error;
    const std::string_view text = this->text();
    size_t at = 0, len = 0;
    if (index < starts.size()) {
      // Found before: its text ends at the first CR or LF before the next record.
      at = starts[index];
      const size_t bound = index + 1 < starts.size() ? starts[index + 1] : scan.position();
      len = 0;
      while (at + len < bound && text[at + len] != '\n' && text[at + len] != '\r') ++len;
      if (work) *work += std::min(len + 1, bound - at);
    } else {
      if (!scan.next(at, len)) return Outcome::eof;
      starts.push_back(at);
    }
    record = text.substr(at, len);
    ++index;
    return Outcome::ok;
  }
  void rewind() { index = 0; }
  // Back to record index - 1; after an end of file that is the last record.
  void backspace() {
    if (index > 0) --index;
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
    std::optional<FileBytes> content = fs_->read_bytes(name);
    if (!content) return false;
    u->start_reading(std::move(*content), &scanned_);
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
  if (!u->replacing) return fs_->replace_file(u->name, u->written);
  u->replacing->append(u->written);
  return u->replacing->commit();
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

void Units::rewind(int n) { unit(n).rewind(); }

void Units::backspace(int n) { unit(n).backspace(); }

Outcome Units::read_line(int n, std::string& record) { return unit(n).next(record); }

Outcome Units::read_view(int n, std::string_view& record) { return unit(n).next_view(record); }

void Units::write_line(int n, std::string_view record) {
  Unit& u = unit(n);
  if (!u.open || !u.writing) return;
  u.written.append(record);
  u.written += '\n';
}

void Units::send(int n, std::string_view text) {
  Unit& u = unit(n);
  if (!u.open || !u.writing) return;
  if (!u.replacing) u.replacing = fs_->begin_replacement(u.name);
  if (!u.written.empty()) {
    u.replacing->append(u.written);
    u.written.clear();
  }
  u.replacing->append(text);
}

Text* Units::output(int n) {
  Unit& u = unit(n);
  return u.open && u.writing ? &u.written : nullptr;
}

RecordSource& Units::source(int n) { return unit(n); }

const std::string& Units::name(int n) const { return unit(n).name; }

namespace {

// Pieces collected in memory, for file systems that replace a file only whole.
class CollectedReplacement final : public FileSystem::Replacement {
 public:
  CollectedReplacement(FileSystem& fs, std::string name) : fs_(fs), name_(std::move(name)) {}
  void append(std::string_view data) override { data_.append(data); }
  bool commit() override { return fs_.replace_file(name_, data_); }

 private:
  FileSystem& fs_;
  std::string name_;
  std::string data_;
};

}  // namespace

std::unique_ptr<FileSystem::Replacement> FileSystem::begin_replacement(const std::string& name) {
  return std::make_unique<CollectedReplacement>(*this, name);
}

// ---------------------------------------------------------------- the real file system

namespace {

class SystemFileSystem : public FileSystem {
 public:
  std::optional<std::string> read_file(const std::string& name) override {
    std::optional<FileBytes> t = read_bytes(name);
    if (!t) return std::nullopt;
    return std::string(t->data(), t->size());
  }

  // The file in one read when its size is known (a regular file), in pieces otherwise.
  std::optional<FileBytes> read_bytes(const std::string& name) override {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    FileBytes data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > max_input_bytes) {
      ::close(fd);
      return std::nullopt;  // too large to be a data file
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0) data.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    bool ok = true;
    char probe[4096];  // where a read that should meet the end of the file goes
    for (;;) {
      const bool full = got == data.size();
      const ssize_t r =
          full ? ::read(fd, probe, sizeof probe) : ::read(fd, data.data() + got, data.size() - got);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        ok = r == 0;
        break;
      }
      if (got + static_cast<size_t>(r) > static_cast<size_t>(max_input_bytes)) {
        ok = false;  // an input that never ends (a device, a file still growing)
        break;
      }
      if (full) {  // more than the size said (a pipe, or a file still growing)
        data.resize(std::max(2 * data.size(), got + sizeof probe));
        std::memcpy(data.data() + got, probe, static_cast<size_t>(r));
      }
      got += static_cast<size_t>(r);
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    data.resize(got);
    return data;
  }

  bool replace_file(const std::string& name, std::string_view data) override {
    return write_whole_file(name, data).ok;
  }

  // The pieces go to the temporary file as they come.
  std::unique_ptr<Replacement> begin_replacement(const std::string& name) override {
    class Streamed final : public Replacement {
     public:
      explicit Streamed(const std::string& name) : file_(name) {}
      void append(std::string_view data) override { file_.append(data); }
      bool commit() override { return file_.commit().ok; }

     private:
      FileReplacement file_;
    };
    return std::make_unique<Streamed>(name);
  }

  bool file_exists(const std::string& name) override {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  std::string reading_problem(const std::string& name) override {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return {};  // "not found"
    return input_file_problem(name);
  }

  bool remove_file(const std::string& name) override { return std::remove(name.c_str()) == 0; }
};

}  // namespace

FileSystem& system_file_system() {
  static SystemFileSystem fs;  // stateless
  return fs;
}

}  // namespace recio
