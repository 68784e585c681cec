// The Heidelberg reader and writer over arbitrary file contents: a file is read whole or
// refused with a message; what is read, written and read again gives the same series, and
// written a second time the same text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/heidelberg.h"
#include "formats/heidelberg_write.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ringdate::fh::Reading r = ringdate::fh::read(text);
  if (r.refusal) {
    if (!r.series.empty() || r.refusal->text().empty()) __builtin_trap();
    return 0;
  }
  if (r.series.empty()) __builtin_trap();
  for (const auto& s : r.series) {
    if (s.values.empty()) __builtin_trap();
    if (s.kind != ringdate::fh::DataKind::measurement && s.counts.size() != s.values.size())
      __builtin_trap();
  }
  const std::string once = ringdate::fh::write(r.series);
  const ringdate::fh::Reading again = ringdate::fh::read(once);
  if (again.refusal || again.series.size() != r.series.size()) __builtin_trap();
  for (std::size_t k = 0; k < r.series.size(); ++k) {
    const auto& a = r.series[k];
    const auto& b = again.series[k];
    if (a.first != b.first || a.values.size() != b.values.size() || a.counts != b.counts ||
        a.kind != b.kind)
      __builtin_trap();
  }
  if (ringdate::fh::write(again.series) != once) __builtin_trap();
  return 0;
}
