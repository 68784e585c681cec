// Applies the ring edit posted by the comparison loop (insert, delete or merge) to the
// full series in the store, in both the working and the measured values.
#pragma once

#include "core/store.h"

namespace ringdate {

// Applies the edit in tsi1 (edop, edyr, edside, edsel; edmrg for a merge) to the series
// the user picked. Returns false (and changes nothing) when the edit cannot be applied
// within the store's limits.
bool apply_edit(Store& store, Tsi1& tsi1);

}  // namespace ringdate
