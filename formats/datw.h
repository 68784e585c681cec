// Compact format writer: one series as a header line and data lines, with the narrowest
// field width and the decimal exponent chosen from the values.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "recio/session.h"

namespace ringdate {

// The program's own files carry the code "RDT" (see kCompactCode); readers ignore it.
inline constexpr std::string_view kCompactCode = "RDT";

// Writes to file unit `iunit` of the session's units; `work` receives the stored integers.
void datw(recio::Session& session, std::string_view name, std::span<const float> vals,
          std::span<int32_t> work, int32_t n, int32_t ifyr, int iunit, std::string_view code);

}  // namespace ringdate
