// The series of the store as the check takes them.
#pragma once

#include <vector>

#include "core/store.h"
#include "xdate/series.h"

namespace ringdate::xdate {

// The shortest decimal number that reads back as x, as a double: the value as it was
// written in the data file (0.35 read into single precision gives 0.35, not 0.3499999940).
double decimal_value(float x);

// Every series of the store, its measured values as read (raw), identifiers without their
// trailing blanks.
std::vector<SeriesInput> series_of_store(const Store& store);

}  // namespace ringdate::xdate
