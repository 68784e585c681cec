// Heidelberg writer: series as HEADER blocks and their data. Each block keeps the header
// lines of its series in their order, with Length, DateBegin and DateEnd set to the
// series' years (added when missing, as are KeyCode and DataFormat); the numbers follow in
// the block layout the format's own programs write (10 measurements, 5 value and count
// pairs or 4 chronology years per line, the last line padded with zeros) or, when a number
// is too wide for its field, one number per line.
#pragma once

#include <span>
#include <string>

#include "formats/heidelberg.h"

namespace ringdate::fh {

// The whole file, lines ended by CR LF. Measurements are written as "Tree", mean curves
// as "Double", chronologies as "Chrono"; values are divided by the series' unit and
// rounded to whole numbers. Counts missing for a mean curve or chronology are written as 1,
// missing numbers increasing and decreasing as 0.
std::string write(std::span<const Series> series);

}  // namespace ringdate::fh
