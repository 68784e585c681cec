// Store operations around picking: the start-up fill and the selection pass that copies the
// picked series into tsi1. Aligning and keeping the measured values are part of reading
// (formats/datafile.h).
#pragma once

#include <cstdint>

#include "core/store.h"

namespace ringdate {

// Every element of wrk and of sel becomes rmiss.
void startup_fill(Store& store, Tsi1& tsi1);

// tsi1 shaped as the store: as many rows as the store's axis, a column for as many picks
// as the store has columns. Earlier picks are gone when the shape changes.
void fit_picks(const Store& store, Tsi1& tsi1);

// The running earliest first year and latest last year of one selection pass.
struct PickPass {
  int32_t first = INT32_MAX;
  int32_t last = INT32_MIN;
};

// Starts a selection pass: no picks yet.
void begin_pass(Tsi1& tsi1, PickPass& pass);

// Adds series s (1..nser) as the next pick; the first pick of a pass shapes tsi1 as the
// store (fit_picks). False (nothing added) when the pass already holds as many picks as the
// store has columns.
bool add_pick(Store& store, Tsi1& tsi1, PickPass& pass, int32_t s);

// Closes a pass that has at least one pick: the summary row of syr gets the running
// years, and column k of sel gets pick k, aligned on the earliest pick (row 1 = the
// earliest first year among the picks), rmiss outside its span.
void close_pass(const Store& store, Tsi1& tsi1, const PickPass& pass);

}  // namespace ringdate
