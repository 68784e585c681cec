#include "main/edit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace ringdate {

namespace {

std::string id8(const std::string& s) {
  std::string r = s.substr(0, std::min<std::size_t>(s.size(), 8));
  r.resize(8, ' ');
  return r;
}

// The store series of the pick the edit was made on; 0 when there is none.
int32_t edited_series(const Store& st, const Tsi1& t) {
  if (t.edsel != 0) {
    if (t.edsel < 1 || t.edsel > t.nsel || static_cast<std::size_t>(t.edsel) > st.iseq.size())
      return 0;
    const int32_t i = st.iseq(t.edsel);
    return i >= 1 && i <= st.nser ? i : 0;
  }
  const std::string want = id8(t.edid);
  for (int32_t i = 1; i <= st.nser; ++i)
    if (id8(st.ids[i - 1]) == want) return i;
  return 0;
}

}  // namespace

std::optional<RingEdit> posted_edit(const Tsi1& t) {
  if (t.edyr == no_edit) return std::nullopt;
  const std::optional<RingOp> op = ring_op_of(t.edop);
  if (!op) return std::nullopt;
  return RingEdit{*op, *op == RingOp::merge ? t.edmrg : t.edyr, side_of(t.edside)};
}

EditCarry apply_edit(Store& st, Tsi1& t) {
  const std::optional<RingEdit> edit = posted_edit(t);
  if (!edit) return EditCarry::nothing;
  if (edit->op == RingOp::merge && edit->year == no_edit) return EditCarry::refused;
  if (st.nser < 1 || static_cast<std::size_t>(st.nser) > st.wrk.cols()) return EditCarry::refused;
  const int32_t i = edited_series(st, t);
  if (i == 0) return EditCarry::refused;

  const std::array<Matrix<float>*, 2> planes{&st.wrk, &st.raw};
  const std::array<Vec<float>*, 2> work{&t.vec, &st.curve};
  const int64_t rows_used = int64_t{st.iyrmax()} - st.iyrmin() + 1;
  if (rows_used < 0 || rows_used > static_cast<int64_t>(st.wrk.rows())) return EditCarry::refused;
  // The work vectors hold a series as long as the axis.
  if (t.vec.size() < st.wrk.rows()) t.vec.resize(st.wrk.rows());
  if (st.curve.size() < st.wrk.rows()) st.curve.resize(st.wrk.rows());
  SeriesAxis axis{planes, work, st.iyrmin(), static_cast<int32_t>(rows_used), st.nser};
  const std::optional<YearSpan> to = apply_ring_edit(*edit, {st.iyr(i, 1), st.iyr(i, 2)}, i, axis);
  if (!to) return EditCarry::refused;
  st.iyr(i, 1) = to->first;
  st.iyr(i, 2) = to->last;
  st.iyr(st.nser + 1, 1) = axis.origin;
  st.iyr(st.nser + 1, 2) = axis.origin + axis.rows_used - 1;
  return EditCarry::carried;
}

}  // namespace ringdate
