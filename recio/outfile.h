// Writing a whole file safely: the data goes to a temporary file created exclusively in the
// target's folder, is written completely and flushed to the disk, and only then is renamed
// over the target. A file is therefore either replaced by its complete new content or left
// as it was; nothing half-written is ever left under the target's name, and no existing
// file or symbolic link is ever opened for writing.
#pragma once

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

// The limit on the size of a data file the program reads (1 GiB): larger files, and files
// that are not regular files (a device, a pipe, a folder), are refused before reading.
inline constexpr long long max_input_bytes = 1LL << 30;

// Why `path` cannot be read as a data file: empty when it is a regular file within the
// limit; otherwise one line ("/dev/zero is not a regular file", "big.rwl is larger than
// 1 GB"). A file that does not exist or cannot be examined gives "cannot open NAME".
std::string input_file_problem(const std::string& path);

}  // namespace recio
