// The style questions of the plot options menu: one question per option, the answer stored
// in its field of the plot settings.
#pragma once

#include <cstdint>

#include "plot/pltset.h"
#include "recio/session.h"

namespace ringdate {

// Asks the question of plot option `opt` (1 to 17) and stores the answer in its field of
// `pltset`; option 99 sets the default style without asking. Other options do nothing.
void pltsty(recio::Session& session, Pltset& pltset, int32_t opt);

}  // namespace ringdate
