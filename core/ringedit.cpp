#include "core/ringedit.h"

#include <algorithm>

#include "core/limits.h"

namespace ringdate {

namespace {

// Room in the rows of every plane and in every work vector.
std::size_t capacity(const SeriesAxis& axis) {
  std::size_t rows = SIZE_MAX;
  for (const Matrix<float>* p : axis.planes) rows = std::min(rows, p->rows());
  return rows;
}

std::size_t work_room(const SeriesAxis& axis) {
  std::size_t n = SIZE_MAX;
  for (const Vec<float>* w : axis.work) n = std::min(n, w->size());
  return n;
}

// The axis is consistent and the series lies on it.
bool on_axis(YearSpan s, int32_t column, const SeriesAxis& axis) {
  if (axis.planes.empty() || axis.planes.size() != axis.work.size()) return false;
  for (const Matrix<float>* p : axis.planes)
    if (axis.columns < 0 || static_cast<std::size_t>(axis.columns) > p->cols()) return false;
  const int64_t rows = static_cast<int64_t>(capacity(axis));
  const int64_t first_row = int64_t{s.first} - axis.origin + 1;
  const int64_t last_row = int64_t{s.last} - axis.origin + 1;
  return column >= 1 && column <= axis.columns && axis.rows_used >= 0 && axis.rows_used <= rows &&
         s.first <= s.last && first_row >= 1 && last_row <= axis.rows_used &&
         static_cast<std::size_t>(s.length()) <= work_room(axis);
}

// Moves rows 1..rows_used of every series one row down; row 1 becomes missing.
void grow_front(SeriesAxis& axis) {
  for (Matrix<float>* p : axis.planes) {
    for (int32_t c = 1; c <= axis.columns; ++c) {
      const auto col = p->column(static_cast<std::size_t>(c));
      std::copy_backward(col.begin(), col.begin() + axis.rows_used,
                         col.begin() + axis.rows_used + 1);
      col[0] = rmiss;
    }
  }
  --axis.origin;
  ++axis.rows_used;
}

// The edited values of one series in w(1..): n values as read, then the operation.
void edit_values(const RingEdit& e, YearSpan s, Vec<float>& w) {
  const int32_t n = s.length();
  const int32_t q = e.year - s.first + 1;
  if (e.op == RingOp::insert) {
    // With the span kept the last value drops out, so it needs no room.
    const auto top = static_cast<int32_t>(std::min<int64_t>(n, static_cast<int64_t>(w.size()) - 1));
    for (int32_t p = top; p >= q; --p) w(p + 1) = w(p);
    w(q) = 0.0f;
    return;
  }
  const float sum = e.op == RingOp::merge ? w(q) + w(q + 1) : 0.0f;
  for (int32_t p = q; p <= n - 1; ++p) w(p) = w(p + 1);
  if (e.op == RingOp::merge) w(q) = sum;
}

}  // namespace

Side side_of(char answer) {
  if (answer == 'B' || answer == 'b') return Side::before;
  if (answer == 'A' || answer == 'a') return Side::after;
  return Side::keep;
}

std::optional<RingOp> ring_op_of(char letter) {
  if (letter == 'I' || letter == 'i') return RingOp::insert;
  if (letter == 'D' || letter == 'd') return RingOp::remove;
  if (letter == 'M' || letter == 'm') return RingOp::merge;
  return std::nullopt;
}

YearSpan edited_span(const RingEdit& e, YearSpan s) {
  if (e.op == RingOp::insert) {
    if (e.side == Side::before) return {s.first - 1, s.last};
    if (e.side == Side::after) return {s.first, s.last + 1};
    return s;
  }
  if (e.side == Side::before) return {s.first + 1, s.last};
  if (e.side == Side::after) return {s.first, s.last - 1};
  return s;
}

bool edit_fits(const RingEdit& e, YearSpan s, int32_t column, const SeriesAxis& axis) {
  if (!on_axis(s, column, axis)) return false;
  const int64_t rows = static_cast<int64_t>(capacity(axis));
  switch (e.op) {
    case RingOp::insert:
      if (e.year < s.first || e.year > s.last) return false;
      if (e.side == Side::keep) return true;
      if (static_cast<std::size_t>(s.length()) + 1 > work_room(axis)) return false;
      if (e.side == Side::before) return s.first - 1 >= axis.origin || axis.rows_used < rows;
      return int64_t{s.last} + 1 - axis.origin + 1 <= rows;
    case RingOp::remove:
      if (e.year < s.first || e.year > s.last) return false;
      return e.side == Side::keep || s.length() >= 2;
    case RingOp::merge:
      return e.year >= s.first && int64_t{e.year} + 1 <= s.last;
  }
  return false;
}

std::optional<YearSpan> apply_ring_edit(const RingEdit& e, YearSpan s, int32_t column,
                                        SeriesAxis& axis) {
  if (!edit_fits(e, s, column, axis)) return std::nullopt;
  const auto c = static_cast<std::size_t>(column);
  const int32_t n = s.length();
  const int32_t d = s.first - axis.origin;  // rows before the series
  for (std::size_t p = 0; p < axis.planes.size(); ++p) {
    Vec<float>& w = *axis.work[p];
    for (int32_t k = 1; k <= n; ++k) w(k) = (*axis.planes[p])(d + k, c);
    edit_values(e, s, w);
  }
  const YearSpan to = edited_span(e, s);
  if (to.first < axis.origin) grow_front(axis);
  for (std::size_t p = 0; p < axis.planes.size(); ++p) {
    Matrix<float>& m = *axis.planes[p];
    const int32_t first_row = to.first - axis.origin + 1;
    // The cells the series leaves, then its values from its new first year on.
    for (int32_t y = s.first; y <= s.last; ++y)
      if (y < to.first || y > to.last) m(y - axis.origin + 1, c) = rmiss;
    for (int32_t k = 1; k <= to.length(); ++k) m(first_row + k - 1, c) = (*axis.work[p])(k);
  }
  axis.rows_used = std::max(axis.rows_used, to.last - axis.origin + 1);
  return to;
}

}  // namespace ringdate
