// The plain-text report of a crossdating check, 80 columns: the header with the file and
// the settings, one line per series, the segments of each flagged series, and the
// suggested edits, strongest first.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "xdate/check.h"

namespace ringdate::xdate {

struct ReportHeader {
  std::string file;    // as the user named it
  std::string format;  // "MR", "IR", "CR" or "CD"
  bool guessed = false;
};

constexpr int report_width = 80;

// What to type for (the first edit of) a suggestion, e.g. "missing ring at 1903: in the comparison
// choose I, year 1904, side B".
std::string suggestion_text(const Suggestion& s);
// One edit of a suggestion: the first as suggestion_text words it, a later one "then false
// ring at 1850: choose D, year 1850, side B".
std::string edit_text(const Edit& e, char side, bool first);
// The lines of a suggestion, one per edit in the order to make them.
std::vector<std::string> suggestion_lines(const Suggestion& s);

// The name of each series of the result, in input order: its identifier, followed by its
// place among the series of the same identifier ("DUP (2nd)") when the identifier is not
// unique in the file.
std::vector<std::string> series_labels(const CheckResult& result);

// The line that says why nothing could be tested; empty when some segment was tested.
std::string nothing_tested(const CheckResult& result);

void write_report(std::ostream& out, const ReportHeader& header, const CheckResult& result);

}  // namespace ringdate::xdate
