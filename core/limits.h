// Sizes and markers shared by every layer: the store's axis and width, the value of a year
// without a value, and the end-of-series markers of the Tucson decade lines.
#pragma once

#include <algorithm>
#include <cstdint>

namespace ringdate {

// The store and the picks are sized from the file read: its calendar axis (rows) and its
// number of series (columns). A file within the sizes below gets exactly these, as it
// always has; a larger file gets what it needs.
constexpr int32_t mxyr = 2000;  // rows at least: the common calendar axis, in years
constexpr int32_t mxser = 400;  // columns at least: series of a file, picks of a pass
// What a reading may hold at most: the span of the series' years, and the cells of one copy
// of the store (rows of the axis times columns): 512 MB of values.
constexpr int32_t max_span_years = 99999;
constexpr int64_t max_store_cells = int64_t{1} << 27;

// Rows of the axis for series that span `span` years: mxyr, or beyond that the span with
// mxyr years of room for shifts and inserted rings.
constexpr int32_t axis_rows(int64_t span) {
  return span <= mxyr ? mxyr : static_cast<int32_t>(std::min<int64_t>(span, max_span_years) + mxyr);
}
// Columns for `nser` series: mxser, or every series when there are more.
constexpr int32_t store_columns(int64_t nser) {
  return static_cast<int32_t>(std::clamp<int64_t>(nser, mxser, INT32_MAX));
}
constexpr float rmiss = -9.99f;  // no value for this year
constexpr int32_t no_edit = -9999;

// End markers of a Tucson series: 999 ends a series in hundredths, -9999 one in thousandths.
constexpr int32_t end_hundredths = 999;
constexpr int32_t end_thousandths = -9999;

}  // namespace ringdate
