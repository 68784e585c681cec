// The conversion mode over arbitrary files. The first byte chooses the input's format (or the
// guess) and the target; the rest is the data file. Whatever the input: no crash, exit 0 with
// the output written or 2 with a message; a conversion that succeeded reads back, and into
// Heidelberg (which holds every year and value) with the same series, years and lengths.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "app/convert.h"
#include "support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ringdate::app;
  if (size < 1) return 0;
  static const char* const formats[] = {"", "MR", "IR", "CR", "CD", "FH", "", "MR"};
  static const Target targets[] = {Target::tucson, Target::compact, Target::cru,
                                   Target::heidelberg};
  ConvertOptions o;
  o.in = "in.rwl";
  o.out = "out.txt";
  o.format = formats[data[0] & 7];
  o.to = targets[(data[0] >> 3) & 3];

  testing_support::MemoryFileSystem fs;
  fs.files[o.in] = std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::ostringstream out, err;
  const int status = run_convert(o, out, err, fs);
  if (status == 2) {
    if (err.str().empty() || fs.files.count(o.out)) __builtin_trap();
    return 0;
  }
  if (status != 0 || !err.str().empty() || !fs.files.count(o.out)) __builtin_trap();

  const SeriesReading before = read_series(o.in, o.format, fs);
  const SeriesReading after = read_series(o.out, o.to == Target::heidelberg ? "FH" : "", fs);
  if (!before.error.empty()) __builtin_trap();
  if (o.to != Target::heidelberg) return 0;
  if (!after.error.empty() || after.series.size() != before.series.size()) __builtin_trap();
  for (std::size_t k = 0; k < before.series.size(); ++k) {
    const auto& a = before.series[k];
    const auto& b = after.series[k];
    if (a.first != b.first || a.values.size() != b.values.size()) __builtin_trap();
  }
  return 0;
}
