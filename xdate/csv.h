// The tables of a crossdating check as comma-separated files: series.csv, segments.csv and
// suggestions.csv. Missing or undefined numbers are written NA; identifiers are quoted where
// needed. The last column, seq, is the series' place in the file (1 for the first), which
// tells apart series of the same identifier.
#pragma once

#include <ostream>

#include "xdate/check.h"

namespace ringdate::xdate {

void write_series_csv(std::ostream& out, const CheckResult& result);
void write_segments_csv(std::ostream& out, const CheckResult& result);
void write_suggestions_csv(std::ostream& out, const CheckResult& result);

}  // namespace ringdate::xdate
