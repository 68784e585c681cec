// The segment chart of a crossdating check (`--check FILE --plot OUT.ps`): the check's
// numbers as the chart draws them.
#pragma once

#include <string>

#include "plot/segchart.h"
#include "xdate/check.h"

namespace ringdate::app {

// One row per series of the result, in file order: its tested segments, its suggested edit
// (marked at the year of the error, labelled with what to type in the comparison).
SegmentChart segment_chart(const xdate::CheckResult& result, const std::string& file);

}  // namespace ringdate::app
