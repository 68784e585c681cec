// The dating mode (`--date SAMPLES --ref REFERENCE`): every series of SAMPLES, its years taken
// as relative numbers, dated against the master of REFERENCE.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "xdate/dating.h"

namespace ringdate::app {

struct DateOptions {
  std::string samples, reference;
  std::string format, ref_format;  // "MR", "IR", "CR", "CD", or empty for the guess
  xdate::DatingSettings settings;
  std::optional<std::string> csv_dir;     // datings.csv
  std::optional<std::string> write_file;  // the samples, dated series renumbered
  std::optional<std::string> plot_file;   // the positions' scores, PostScript colour
};

// Reads both files, dates every sample series, writes the report to `out` and the requested
// files; failures go to `err`. Returns 0 when every sample series is dated, 1 when one is
// not, 2 for a file that cannot be read or written.
int run_date(const DateOptions& options, std::ostream& out, std::ostream& err);

}  // namespace ringdate::app
