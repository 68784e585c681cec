// The conversion mode (`--convert IN OUT --to tucson|compact|cru|heidelberg`): reads IN as
// the dialogue would and writes every series to OUT in the named format, measurements as
// measurements and indices as indices. OUT is replaced only by a completely written file.
#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/heidelberg.h"
#include "recio/units.h"

namespace ringdate::app {

enum class Target { tucson, compact, cru, heidelberg };

// "tucson", "compact", "cru" or "heidelberg" (either case); nullopt for anything else.
std::optional<Target> target_named(std::string_view name);

struct ConvertOptions {
  std::string in, out;
  Target to = Target::tucson;
  std::string format;  // "MR", "IR", "CR", "CD", "FH", or empty for the guess
};

// What a reading for the conversion gives: every series with its values, or the message.
struct SeriesReading {
  std::vector<fh::Series> series;
  std::string mode;   // the format read: "MR", "IR", "CR", "CD" or "FH"
  std::string error;  // empty when read
};

// Reads a file as the dialogue would (its guess, or `format`): a Heidelberg file with its
// headers, every other format through the series store.
SeriesReading read_series(const std::string& path, std::string_view format,
                          recio::FileSystem& fs = recio::system_file_system());

// The text of the series in the target format. Identifiers longer than the format holds are
// cut and kept apart; `renamed` receives one line for every series whose identifier changed.
std::string write_series(Target to, std::span<const fh::Series> series,
                         std::vector<std::string>& renamed);

// The whole mode: messages of renamed series go to `out`; a failure to `err`. Exit 0, or 2.
int run_convert(const ConvertOptions& options, std::ostream& out, std::ostream& err,
                recio::FileSystem& fs = recio::system_file_system());

}  // namespace ringdate::app
