// The file-reading dispatch over arbitrary file contents, in the mode this harness was
// built for (RINGDATE_FUZZ_MODE: "MR", "IR", "CR" or "CD"). The input is the whole data
// file; the reader runs through a Session over in-memory seams. A refusal (a reader's, a
// limit of the store exceeded, no series) is a normal outcome; the readers never end the
// program.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/trread.h"
#include "recio/session.h"
#include "support/test_support.h"

#ifndef RINGDATE_FUZZ_MODE
#define RINGDATE_FUZZ_MODE "MR"
#endif

namespace {

// Limits of the reading: beyond the store's smallest shape, so that its growth is tried.
constexpr int32_t max_years = 20000;
constexpr int32_t max_series = 4000;

// The store's matrices are large; they are made once and reused, as the program does.
struct Work {
  ringdate::Matrix<float> wrk{ringdate::mxyr, ringdate::mxser, ringdate::rmiss};
  ringdate::Vec<float> curve{max_years};  // the reader's buffer for one series
  ringdate::Matrix<int32_t> iyr{ringdate::mxser + 1, 2};
  std::vector<std::string> ids = std::vector<std::string>(ringdate::mxser, std::string(8, ' '));
};

Work& work() {
  static Work w;
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  testing_support::ScriptConsole console;
  console.keep_output = false;
  testing_support::MemoryFileSystem fs;
  fs.files["data.rwl"] = std::string(reinterpret_cast<const char*>(data), size);
  Work& w = work();
  int32_t nser = 0;
  try {
    recio::Session session(console, fs);
    if (!session.units().open(10, "data.rwl", recio::Status::old)) __builtin_trap();
    ringdate::Trread trread(session);
    const std::string mode = RINGDATE_FUZZ_MODE;
    const ringdate::Refused refused =
        trread(w.wrk, w.curve, mode, nser, w.iyr, w.ids, max_years, max_series);
    // A refusal carries a message; a reading files at least one series within the limits.
    if (refused) {
      if (refused->text().empty()) __builtin_trap();
    } else {
      if (nser < 1 || nser > max_series) __builtin_trap();
      // The store is shaped for what was read.
      const int64_t span = int64_t{w.iyr(static_cast<std::size_t>(nser) + 1, 2)} -
                           w.iyr(static_cast<std::size_t>(nser) + 1, 1) + 1;
      if (w.wrk.rows() != static_cast<std::size_t>(ringdate::axis_rows(span)) ||
          w.wrk.cols() != static_cast<std::size_t>(ringdate::store_columns(nser)) ||
          w.ids.size() != w.wrk.cols() || w.iyr.rows() != w.wrk.cols() + 1)
        __builtin_trap();
      for (int32_t i = 1; i <= nser; ++i) {
        if (w.ids[static_cast<std::size_t>(i - 1)].size() != 8) __builtin_trap();
        const int32_t n =
            w.iyr(static_cast<std::size_t>(i), 2) - w.iyr(static_cast<std::size_t>(i), 1) + 1;
        if (n < 0 || n > max_years) __builtin_trap();
      }
    }
  } catch (const testing_support::Exited&) {
    __builtin_trap();  // the readers never end the program
  }
  // Reading never writes a file.
  if (fs.files.size() != 1) __builtin_trap();
  return 0;
}
