// The plain-text report of a crossdating check, 80 columns: the header with the file and
// the settings, one line per series, the segments of each flagged series, and the
// suggested edits, strongest first.
#pragma once

#include <ostream>
#include <string>

#include "xdate/check.h"

namespace ringdate::xdate {

struct ReportHeader {
  std::string file;    // as the user named it
  std::string format;  // "MR", "IR", "CR" or "CD"
  bool guessed = false;
};

constexpr int report_width = 80;

// What to type for a suggestion, e.g. "missing ring at 1903: in the comparison choose I,
// year 1904, side B".
std::string suggestion_text(const Suggestion& s);

void write_report(std::ostream& out, const ReportHeader& header, const CheckResult& result);

}  // namespace ringdate::xdate
