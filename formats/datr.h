// Tolerant compact reader: finds the next compact, bar or older compact header among other
// lines and reads its series.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "recio/session.h"

namespace ringdate {

// `name` keeps its width; n is 0 when no series was found. Values beyond `vals` are not
// stored.
//
// A bar header ("|", ID in columns 2-9, N in 10-17, first year in 18-25) may carry its first
// free-form values on the header line itself after column 25: the header layout ends with
// "$", so the value read goes on in the same record.
void datr(recio::Session& session, std::string& name, int32_t& n, std::span<float> vals,
          int32_t& ifyr, int iunit);

// Helpers shared by the compact readers and the writer.
namespace compact {

// 10.0 raised to the integer e, formed by repeated squaring in single precision (for a
// negative e, 1 divided by 10.0 raised to -e).
float ten_to(int32_t e);

// Position (1-based) of the last non-blank character of `text`, 0 when all blank.
int last_nonblank(std::string_view text);

// The first 80 characters of a record, blank-padded to 80.
std::string line80(std::string_view record);

// Reads a compact header by the positions of its "=" signs: N from the (up to) 8 characters
// before the first "=", the first year from those before the second "=", the name from
// p2 + 3 to l - 11. False when a sign is missing or a number does not read.
bool read_by_equals(std::string_view line, int l, int32_t& n, int32_t& ifyr, std::string& name);

}  // namespace compact

}  // namespace ringdate
