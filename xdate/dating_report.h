// The plain-text report and the table of a dating run: for each sample its length, its best
// positions and one verdict line; datings.csv one row per listed position.
#pragma once

#include <ostream>
#include <string>

#include "xdate/dating.h"

namespace ringdate::xdate {

struct DatingHeader {
  std::string samples, reference;                // the files as the user named them
  std::string samples_format, reference_format;  // "MR", "IR", "CR" or "CD"
  bool samples_guessed = false, reference_guessed = false;
};

// A chance as the report writes it: two significant digits, "2e-9" below 0.001.
std::string chance_text(double p);

// The verdict line of a sample, e.g. "dated 1539-1638 (p 2e-9; next best 1412-1511, t 3.1)"
// or "not dated: best 1402-1501 (t 3.4, p 0.31 over 738 positions)".
std::string verdict_text(const SampleDating& d, const DatingSettings& settings);

void write_dating_report(std::ostream& out, const DatingHeader& header, const DatingRun& run);

// datings.csv: id, rank, first, last, overlap, r, t, tBP, tHo, glk, glk_p, p, dated.
void write_datings_csv(std::ostream& out, const DatingRun& run);

}  // namespace ringdate::xdate
