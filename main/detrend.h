// Detrending of every series in the store: value divided by its 20-year spline curve.
#pragma once

#include "core/store.h"
#include "detrend/spline.h"
#include "recio/session.h"

namespace ringdate {

// Turns the working values of every series into indices and sets units to "INDICES".
// False when a series is too long for the spline (the message is written; the caller stops).
bool detrend_store(recio::Session& session, Store& store, Spline& spline);

}  // namespace ringdate
