// Carries the ring edit posted by the comparison loop (insert, delete or merge) into the
// full series in the store, in both the working and the measured values.
#pragma once

#include <optional>

#include "core/ringedit.h"
#include "core/store.h"

namespace ringdate {

// What became of a posted edit.
enum class EditCarry {
  nothing,  // no insert, delete or merge was posted: the store stays as it is
  carried,  // the edit changed the series in the store
  refused,  // the edit does not fit the store's series or axis: nothing changed
};

// The edit posted in tsi1: edop names it, edyr holds its year (for a merge, edmrg the
// earlier of the two years), edside the side. Nothing when edyr holds no edit or edop is
// no insert, delete or merge.
std::optional<RingEdit> posted_edit(const Tsi1& tsi1);

// Applies the edit posted in tsi1 to the series the user picked (edsel; without it the
// first series whose identifier is edid), tsi1.vec and store.curve serving as the work
// vectors.
EditCarry apply_edit(Store& store, Tsi1& tsi1);

}  // namespace ringdate
