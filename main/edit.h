// Carries the ring edit posted by the comparison loop (insert, delete or merge) into the
// full series in the store, in both the working and the measured values.
#pragma once

#include <cstdint>

#include "core/ringedit.h"
#include "core/store.h"

namespace ringdate {

// A ring edit the comparison loop posts for the full series.
struct PostedEdit {
  RingEdit ring;           // the edit (for a merge, the year is the earlier of the two)
  int32_t pick = 0;        // the compared series it was made on (1..nsel of the pass)
  int32_t typed_year = 0;  // the year typed for it (for a merge, the one the side chose)
};

// What became of a posted edit.
enum class EditCarry {
  carried,  // the edit changed the series in the store
  refused,  // the edit does not fit the store's series or axis: nothing changed
};

// The store series of pick `pick` (1..nsel) of the current pass; 0 when there is none.
int32_t picked_series(const Store& store, int32_t nsel, int32_t pick);

// Applies the edit to the store series picked at `edit.pick` (nsel picks in the pass).
EditCarry apply_edit(Store& store, int32_t nsel, const PostedEdit& edit);

}  // namespace ringdate
