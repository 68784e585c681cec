#include "main/edit.h"

#include <algorithm>
#include <array>

namespace ringdate {

int32_t picked_series(const Store& st, int32_t nsel, int32_t pick) {
  if (pick < 1 || pick > nsel || static_cast<std::size_t>(pick) > st.iseq.size()) return 0;
  const int32_t i = st.iseq(pick);
  return i >= 1 && i <= st.nser ? i : 0;
}

EditCarry apply_edit(Store& st, int32_t nsel, const PostedEdit& edit) {
  if (edit.ring.year == no_edit) return EditCarry::refused;
  if (st.nser < 1 || static_cast<std::size_t>(st.nser) > st.wrk.cols()) return EditCarry::refused;
  const int32_t i = picked_series(st, nsel, edit.pick);
  if (i == 0) return EditCarry::refused;

  // Work vectors for one series as long as the axis.
  Vec<float> wrk_work{st.wrk.rows()}, raw_work{st.raw.rows()};
  const std::array<Matrix<float>*, 2> planes{&st.wrk, &st.raw};
  const std::array<Vec<float>*, 2> work{&wrk_work, &raw_work};
  const int64_t rows_used = int64_t{st.iyrmax()} - st.iyrmin() + 1;
  if (rows_used < 0 || rows_used > static_cast<int64_t>(st.wrk.rows())) return EditCarry::refused;
  SeriesAxis axis{planes, work, st.iyrmin(), static_cast<int32_t>(rows_used), st.nser};
  const std::optional<YearSpan> to =
      apply_ring_edit(edit.ring, {st.iyr(i, 1), st.iyr(i, 2)}, i, axis);
  if (!to) return EditCarry::refused;
  st.changed();
  st.iyr(i, 1) = to->first;
  st.iyr(i, 2) = to->last;
  st.iyr(st.nser + 1, 1) = axis.origin;
  st.iyr(st.nser + 1, 2) = axis.origin + axis.rows_used - 1;
  return EditCarry::carried;
}

}  // namespace ringdate
