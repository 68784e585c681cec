// Heidelberg series in the series store: the step that files them as the other readers
// file theirs (measurements and the values of mean curves and chronologies, aligned on the
// common calendar axis), and the identifiers cut to a format's width while kept apart.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/store.h"
#include "formats/heidelberg.h"
#include "formats/refusal.h"

namespace ringdate {

// Identifiers cut to their widths (widths[k] characters for ids[k]), each kept apart from
// the ones before it: one that cuts to an identifier already given ends in a number instead
// ("Scheibe_fr1_2" cut to 8 characters after "Scheibe_fr1_1" became "Scheibe_" is
// "Scheibe2").
std::vector<std::string> distinct_identifiers(std::span<const std::string> ids,
                                              std::span<const std::size_t> widths);

// Files the series into the store (mode "FH", identifiers cut to the store's 8 characters
// and kept apart), aligned and with the measured values kept in raw; or refuses them when
// they exceed the store: more series, a longer series or a wider span than it holds.
[[nodiscard]] Refused load_heidelberg(std::span<const fh::Series> series, Store& store);

// The series as read with the years and values it has after the edits of a session
// (inserted and deleted rings): every header kept. The counts of a mean curve or
// chronology follow their values: those of the years before the first changed value and
// after the last one are carried over, a year in between takes the count of the year
// before it, and its numbers increasing and decreasing are 0.
fh::Series corrected_series(const fh::Series& read, int32_t first, std::span<const float> values);

}  // namespace ringdate
