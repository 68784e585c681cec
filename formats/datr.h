// Tolerant compact reader: finds the next compact, bar or older compact header among other
// lines and reads its series.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "recio/session.h"

namespace ringdate {

// `name` keeps its width; n is 0 when no series was found. Values beyond `vals` are not
// stored.
void datr(recio::Session& session, std::string& name, int32_t& n, std::span<float> vals,
          int32_t& ifyr, int iunit);

}  // namespace ringdate
