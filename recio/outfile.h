// Writing a whole file safely: the data goes to a temporary file created exclusively in the
// target's folder, is written completely and flushed to the disk, and only then is renamed
// over the target. A file is therefore either replaced by its complete new content or left
// as it was; nothing half-written is ever left under the target's name, and no existing
// file or symbolic link is ever opened for writing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace recio {

// The outcome of a whole-file write: ok, or one line saying what could not be written and
// why ("cannot write the file pine.rwl_COR: No space left on device").
struct WriteResult {
  bool ok = true;
  std::string message;
  explicit operator bool() const { return ok; }
};

// Writes `data` as the whole content of `path` (see above). The new file gets the usual
// permissions of a new file (0666 less the umask). A failure leaves `path` untouched and
// removes the temporary file.
WriteResult write_whole_file(const std::string& path, std::string_view data);

// The same for content made in pieces: each piece goes to the temporary file as it comes
// (and on its way to the disk), so that a large file is never held whole in memory.
// commit() completes the file and renames it over the target; a replacement dropped
// without it, or whose write failed, removes its temporary file and leaves the target as
// it was.
class FileReplacement {
 public:
  // Creates the temporary file (a failure is kept for commit()).
  explicit FileReplacement(std::string path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Appends a piece; after a failure nothing more is written.
  void append(std::string_view data);
  // Flushes the file to the disk and puts it in the target's place; once only.
  WriteResult commit();

 private:
  std::string path_;
  std::string tmp_;  // the temporary file's name; empty once it is gone
  int fd_ = -1;
  int err_ = 0;           // the first failure (an errno value)
  std::size_t sent_ = 0;  // bytes handed on to the disk so far
  std::size_t size_ = 0;  // bytes written so far
  void abandon();
};

// The limit on the size of a data file the program reads (1 GiB): larger files, and files
// that are not regular files (a device, a pipe, a folder), are refused before reading.
inline constexpr long long max_input_bytes = 1LL << 30;

// Why `path` cannot be read as a data file: empty when it is a regular file within the
// limit; otherwise one line ("/dev/zero is not a regular file", "big.rwl is larger than
// 1 GB"). A file that does not exist or cannot be examined gives "cannot open NAME".
std::string input_file_problem(const std::string& path);

}  // namespace recio
