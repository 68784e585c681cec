// Insert, delete and merge of rings in one series: the year rules, the side answers and the
// growth of the calendar axis. The comparison loop applies an edit to the compared copy and
// the driver carries it into the store, both through this one module.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/matrix.h"

namespace ringdate {

enum class RingOp {
  insert,  // a zero ring goes in at the year
  remove,  // the ring of the year goes out
  merge,   // the rings of the year and the next become one ring holding their sum
};

// Which part of the series moves: the part before the year (B), the part after it (A), or
// none, the series keeping its span (any other answer).
enum class Side { before, after, keep };

// The side a typed answer names: B or b, A or a, anything else keeps the span.
Side side_of(char answer);

// The operation a menu letter names: I or i, D or d, M or m; nothing for other letters.
std::optional<RingOp> ring_op_of(char letter);

struct RingEdit {
  RingOp op;
  int32_t year;  // insert, delete: the year typed; merge: the earlier of the two years
  Side side;
};

// First and last year of a series.
struct YearSpan {
  int32_t first = 0, last = 0;
  int32_t length() const { return last - first + 1; }
  bool operator==(const YearSpan&) const = default;
};

// The span a series has after the edit. Insert: before, one year earlier; after, one year
// later. Delete and merge: before, it starts a year later; after, it ends a year earlier.
// With side keep the span stays.
YearSpan edited_span(const RingEdit& edit, YearSpan span);

// Series on one calendar axis: column c of every plane holds the same series (the working
// and the measured values of the store, or the compared copy alone), row 1 being the year
// `origin`. Rows 1..rows_used hold every series of columns 1..columns. Each plane has a
// work vector of its own for the edited series.
struct SeriesAxis {
  std::span<Matrix<float>* const> planes;
  std::span<Vec<float>* const> work;
  int32_t origin = 0;
  int32_t rows_used = 0;
  int32_t columns = 0;
};

// Whether the edit can be applied to the series of span `span` in column `column`: the
// series lies on the axis; insert and delete name a year of the series, merge a year with
// one after it in the series; a delete that moves a side leaves at least one ring; an
// insert that moves a side finds room on the axis (a year before the origin when the axis
// can grow by a row, a year after the last row otherwise) and in the work vectors.
bool edit_fits(const RingEdit& edit, YearSpan span, int32_t column, const SeriesAxis& axis);

// Applies the edit to column `column` of every plane alike and returns the new span; the
// cells the series leaves hold the missing-value mark. A series that moves before the
// origin first grows the axis by one row at the front: every series of every plane moves one
// row down and the origin becomes a year earlier. A series that ends after the last used row
// extends rows_used. Nothing changes (nullopt) when the edit does not fit.
std::optional<YearSpan> apply_ring_edit(const RingEdit& edit, YearSpan span, int32_t column,
                                        SeriesAxis& axis);

}  // namespace ringdate
