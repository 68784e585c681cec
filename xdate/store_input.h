// The series of the store as the check takes them.
#pragma once

#include <vector>

#include "core/store.h"
#include "xdate/series.h"

namespace ringdate::xdate {

// The value as the data file wrote it, as a double: x rounded to six significant digits.
// Single precision holds about seven, and the readers' scaling (hundredths or thousandths
// to millimetres) can leave the last one off, so 49 hundredths held as 0.48999998 give
// 0.49. Values of the file then compare and add up as the file's numbers do.
double decimal_value(float x);

// Every series of the store, its measured values as read (raw), identifiers without their
// trailing blanks.
std::vector<SeriesInput> series_of_store(const Store& store);

}  // namespace ringdate::xdate
