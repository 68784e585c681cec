// Tick marks of a plot from the ranges of its axes: the interval between major ticks and
// the number of minor subintervals, as the axis call of the plotting library takes them.
#pragma once

#include <cstdint>

namespace ringdate {

// Chooses ticks for the x (years), y and z axes; raises ymax and zmax to the next half or
// whole step first. xmin, xmax, ymin and zmin are not changed.
void ticit(const float& xmin, const float& xmax, const float& ymin, float& ymax, const float& zmin,
           float& zmax, int32_t& nxsub, int32_t& nysub, int32_t& nzsub, float& xtick, float& ytick,
           float& ztick);

// The maximum raised to the next half or whole step (the step 1, 10 or 100 by its size).
float ticit_raise(float v);

}  // namespace ringdate
