// The corrected file: every series of the store, as measured and with the ring edits carried
// into it, written beside the data file in the layout of the data read.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/store.h"
#include "formats/heidelberg.h"
#include "recio/session.h"

namespace ringdate {

// The layouts a corrected file is written in.
enum class CorrectedLayout {
  tucson_measurements,  // decade lines in thousandths, -9999 after the last value
  tucson_indices,       // decade lines of indices and counts, 9990 after the last value
  cru,                  // UEA CRU: a header line per series, hundredths
  compact,              // the compact format
  heidelberg,           // the Heidelberg file as read, every header kept, no title line
};

// The layout for data read in `mode`: Tucson measurements for "MR", Tucson indices for "IR",
// CRU for "CR", compact for "CD", Heidelberg for "FH"; Tucson measurements for anything else.
CorrectedLayout corrected_layout(std::string_view mode);

// The corrected file's name for the data file typed as `fname`: the whole name without its
// trailing blanks, with "_COR" appended.
std::string corrected_name(std::string_view fname);

// How a file of the store's series is written, apart from its layout.
struct SeriesFileOptions {
  // The first line "CORRECTED RING-WIDTH DATA: " with the file's name (padded to 40).
  bool title_line = true;
  // The code in the header lines of a compact file.
  std::string_view compact_code = "COR";
  // The first year written for store series i is first_years[i-1] where given (a series
  // moved to other years, its values unchanged); otherwise its first year in the store.
  std::span<const int32_t> first_years;
  // The series of a Heidelberg file as read (store series i is as_read[i-1]): their headers
  // are kept in a Heidelberg layout.
  std::span<const fh::Series> as_read;
};

// Writes every series of the store in measured values (raw) to `path` through the session's
// units, in `layout`: the title line first when asked (never in a Heidelberg file), then the
// series; a Heidelberg file writes each series of options.as_read with its headers and the
// years and values the store now holds. The file is replaced only when it is complete
// (written whole to a temporary file, then renamed). False when it cannot be written.
bool write_series_file(recio::Session& session, const Store& store, CorrectedLayout layout,
                       const std::string& path, const SeriesFileOptions& options);

// The corrected file `path`: the title line and every series of the store in `layout`, a
// Heidelberg file with the headers of `as_read` (see write_series_file).
bool write_corrected(recio::Session& session, const Store& store, CorrectedLayout layout,
                     const std::string& path, std::span<const fh::Series> as_read = {});

}  // namespace ringdate
