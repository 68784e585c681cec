// Sizes and markers shared by every layer: the store's axis and width, the value of a year
// without a value, and the end-of-series markers of the Tucson decade lines.
#pragma once

#include <cstdint>

namespace ringdate {

constexpr int32_t mxyr = 2000;   // rows: the longest common calendar axis, in years
constexpr int32_t mxser = 400;   // columns: most series in a file, most picks in a pass
constexpr float rmiss = -9.99f;  // no value for this year
constexpr int32_t no_edit = -9999;

// End markers of a Tucson series: 999 ends a series in hundredths, -9999 one in thousandths.
constexpr int32_t end_hundredths = 999;
constexpr int32_t end_thousandths = -9999;

}  // namespace ringdate
