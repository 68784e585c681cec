// File units by number (10 the data file, 12 the corrected file) over a file-system seam.
// A unit opened "OLD" holds the whole file as records; any line end (LF, CRLF, CR, CR CR LF)
// ends a record and no CR reaches one. A unit opened "UNKNOWN" collects written records and
// replaces the named file only when it is closed: the records go to a temporary file in
// the same folder, which is then renamed over the target.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pages.h"
#include "recio/layout.h"

namespace recio {

// The text of a whole file, read or being written; a large one lives in pages of its own
// (core/pages.h), so that filling megabytes costs few page faults.
using Text = std::basic_string<char, std::char_traits<char>, ringdate::PageAllocator<char>>;
// The bytes of a whole file as read, in pages of their own when large; made with a size,
// they are not written before the read fills them.
using FileBytes = std::vector<char, ringdate::PageAllocator<char>>;

// The file-system seam; tests replace it (a vanished file, a full disk).
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The whole content of the file, or nullopt when it cannot be opened or read.
  virtual std::optional<std::string> read_file(const std::string& name) = 0;
  // The same as bytes in pages of their own; file systems that read into them directly
  // override it.
  virtual std::optional<FileBytes> read_bytes(const std::string& name) {
    std::optional<std::string> s = read_file(name);
    if (!s) return std::nullopt;
    return FileBytes(s->begin(), s->end());
  }
  // Writes `data` completely to a temporary file created exclusively beside `name`, then
  // renames it over `name` (recio/outfile.h). False (and `name` untouched) when any step
  // fails.
  virtual bool replace_file(const std::string& name, std::string_view data) = 0;
  // A file being replaced by content that comes in pieces: append() takes each piece,
  // commit() puts the whole in the file's place (false, the file as it was, when any step
  // failed); dropped without a commit, it leaves the file as it was.
  class Replacement {
   public:
    virtual ~Replacement() = default;
    virtual void append(std::string_view data) = 0;
    virtual bool commit() = 0;
  };
  // Starts replacing `name`. This default collects the pieces and hands them to
  // replace_file() at the commit; file systems that can write as the pieces come override
  // it.
  virtual std::unique_ptr<Replacement> begin_replacement(const std::string& name);
  // Removes the file; false when it did not exist or could not be removed.
  virtual bool remove_file(const std::string& name) = 0;
  // Why an existing file cannot be taken as a data file (not a regular file, too large),
  // in one line; empty when it can, or when it does not exist (reading it then fails).
  virtual std::string reading_problem(const std::string& /*name*/) { return {}; }
  // Whether a file (not a folder) of that name exists.
  virtual bool file_exists(const std::string& name) { return read_file(name).has_value(); }
};

FileSystem& system_file_system();

// Splits file content into records at LF, CRLF, CR and CR CR LF; a last line without a
// line end is a record too.
std::vector<std::string> split_records(std::string_view content);

enum class Status { old, unknown };

class Units {
 public:
  explicit Units(FileSystem& fs = system_file_system());
  ~Units();
  Units(const Units&) = delete;
  Units& operator=(const Units&) = delete;

  // "OLD": reads the file; false when it is missing or unreadable. "UNKNOWN": opens an
  // empty unit for writing. A unit that is already open is closed first.
  bool open(int unit, const std::string& name, Status status);
  bool is_open(int unit) const;
  // Why the named file cannot be read as a data file (FileSystem::reading_problem).
  std::string reading_problem(const std::string& name) { return fs_->reading_problem(name); }
  bool file_exists(const std::string& name) { return fs_->file_exists(name); }
  // Closes the unit; a written unit is committed to its file (false when that fails).
  // With `remove`, the named file is removed instead. Closing a unit not open does nothing.
  bool close(int unit, bool remove = false);
  void rewind(int unit);
  // Steps back one record (after an end of file, back to the last record read).
  void backspace(int unit);
  // Reads the next record: ok, eof, or error when the unit is not open for reading.
  Outcome read_line(int unit, std::string& record);
  // The same without a copy: `record` views the unit's text, valid until the unit is
  // closed or opened again.
  Outcome read_view(int unit, std::string_view& record);
  // Appends one record to a unit opened for writing.
  void write_line(int unit, std::string_view record);
  // The text of a unit opened for writing, for writers that build their records in place:
  // each record is followed by '\n'. nullptr when the unit is not open for writing.
  Text* output(int unit);
  // Appends `text` (whole records, each followed by '\n') to a unit opened for writing and
  // sends it, after what output() held, on to the file being replaced: a large file made in
  // pieces is then never held whole. output() is empty afterwards. The file still replaces
  // the named one only at close(), and only when every piece was written.
  void send(int unit, std::string_view text);
  // The unit as a record source for layout reads.
  RecordSource& source(int unit);
  const std::string& name(int unit) const;
  // Closes every unit (written ones committed); the names of files that could not be
  // written.
  std::vector<std::string> close_all();
  // The bytes examined so far to find the records of the units read through this object,
  // counted over every opening: reading is linear when this stays a small multiple of the
  // bytes read, however the records are read (one after another, back a step, rewound,
  // the file opened again).
  size_t bytes_scanned() const { return scanned_; }

 private:
  struct Unit;
  FileSystem* fs_;
  std::map<int, std::unique_ptr<Unit>> units_;
  std::unique_ptr<Unit> closed_;  // stands for any unit that is not open
  size_t scanned_ = 0;
  Unit& unit(int n);
  const Unit& unit(int n) const;
};

}  // namespace recio
