#include "plot/ticit.h"

#include <cmath>
#include <limits>

namespace ringdate {

namespace {

// Truncation toward zero to an integer, saturating at the integer range (NaN gives 0), so
// that no range, however wild, is converted outside what an int32_t holds.
int32_t trunc_range(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0f) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// The value-axis table: interval and minor count from the truncated range.
void value_ticks(int32_t k, float& tick, int32_t& nsub) {
  if (k <= 2) {
    tick = 0.5f, nsub = 4;
  } else if (k <= 4) {
    tick = 1.0f, nsub = 4;
  } else if (k <= 10) {
    tick = 2.0f, nsub = 4;
  } else if (k <= 50) {
    tick = 5.0f, nsub = 5;
  } else if (k <= 100) {
    tick = 10.0f, nsub = 2;
  } else if (k <= 500) {
    tick = 100.0f, nsub = 5;
  } else if (k <= 2000) {
    tick = 500.0f, nsub = 2;
  } else {
    tick = 1000.0f, nsub = 4;
  }
}

}  // namespace

float ticit_raise(float v) {
  float h;
  if (v < 10.0f) {
    h = 1.0f;
  } else if (v < 100.0f) {
    h = 10.0f;
  } else {
    h = 100.0f;
  }
  const float rem = std::fmod(v, h);  // exact, with the sign of v
  if (rem <= h / 2.0f) return v + (h / 2.0f - rem);
  return v + (h - rem);
}

void ticit(const float& xmin, const float& xmax, const float& ymin, float& ymax, const float& zmin,
           float& zmax, int32_t& nxsub, int32_t& nysub, int32_t& nzsub, float& xtick, float& ytick,
           float& ztick) {
  // X axis: the span in whole years.
  const int32_t ispan = trunc_range(xmax - xmin);
  if (ispan <= 50) {
    xtick = 10.0f, nxsub = 10;
  } else if (ispan <= 100) {
    xtick = 20.0f, nxsub = 5;
  } else if (ispan <= 200) {
    xtick = 20.0f, nxsub = 10;
  } else if (ispan <= 500) {
    xtick = 50.0f, nxsub = 5;
  } else if (ispan <= 1000) {
    xtick = 100.0f, nxsub = 10;
  } else {
    xtick = 250.0f, nxsub = 5;
  }

  // Y axis: raise the maximum, then choose from the raised range.
  ymax = ticit_raise(ymax);
  value_ticks(trunc_range(ymax - ymin), ytick, nysub);

  // Z axis, likewise.
  zmax = ticit_raise(zmax);
  value_ticks(trunc_range(zmax - zmin), ztick, nzsub);
}

}  // namespace ringdate
