// The tolerant compact reader over arbitrary file contents: series are read one after
// another until none is found. The first byte picks the width of the name field and the
// size of the value buffer, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/datr.h"
#include "recio/session.h"
#include "support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t name_width = 1 + (data[0] & 0x3f);    // 1..64
  const std::size_t nvals = (data[0] & 0x40) ? 2000 : 7;  // a large and a tiny buffer
  const std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
  testing_support::ScriptConsole console;
  console.keep_output = false;
  testing_support::MemoryFileSystem fs;
  fs.files["data.txt"] = content;
  const std::size_t lines = recio::split_records(content).size();
  try {
    recio::Session session(console, fs);
    if (!session.units().open(10, "data.txt", recio::Status::old)) __builtin_trap();
    std::string name(name_width, ' ');
    std::vector<float> vals(nvals, 0.0f);
    int32_t n = 0, ifyr = 0;
    // Every series found takes at least its header line, so the series are fewer than
    // the lines; more calls than that means the reader does not advance.
    for (std::size_t calls = 0;; ++calls) {
      if (calls > lines + 1) __builtin_trap();
      ringdate::datr(session, name, n, vals, ifyr, 10);
      if (name.size() != name_width) __builtin_trap();  // the name keeps its width
      if (n == 0) break;
    }
  } catch (const testing_support::Exited&) {
    // datr never ends the program.
    __builtin_trap();
  }
  if (fs.files.size() != 1) __builtin_trap();
  return 0;
}
