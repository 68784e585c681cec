// A data file the readers refuse: which refusal, and the message the dialogue shows for it.
// Readers return a refusal instead of ending the program; the caller decides what to do
// with it (the dialogue writes the records, pauses and ends; a check reports the text).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recio/layout.h"
#include "recio/session.h"

namespace ringdate {

enum class RefusalKind {
  series_too_long,         // a series has more values than the store's axis holds
  too_many_series,         // the file holds more series than the store
  span_too_wide,           // the series together span more years than the store's axis
  no_series,               // no series found in the file
  tucson_text_lines,       // a Tucson series preceded by more than 25 text lines
  tucson_decade_repeated,  // a Tucson decade line repeats a decade its series already has
  cru_text_lines,          // too many lines before a UEA CRU header that are no header
  cru_data,                // a UEA CRU data line that does not read, or the file ends among them
  compact_header,          // compact: too many lines before a header that are no header
  compact_too_long,        // compact: a header count above the store's axis
  compact_exponent,        // compact: the exponent of a header does not read
  compact_data,            // compact: a data line that does not read with the header's layout
  compact_data_end,        // compact: the file ends among a series' data lines
  heidelberg_data,         // Heidelberg: a block, its counts, dates or numbers do not read
};

struct Refusal {
  RefusalKind kind;
  // The message as console records, in order (a record may be empty: a blank line).
  std::vector<std::string> records;
  // The text of the pause after the records (the user acknowledges it); empty: no pause.
  std::string pause;
  // A line for the error stream as the program ends; empty: none.
  std::string error_line;

  // The message as plain text: the records, the pause text and the error line that hold
  // more than blanks, leading and trailing blanks cut, one per line.
  std::string text() const;
};

// The reader's result: nothing, or the refusal that ends the reading.
using Refused = std::optional<Refusal>;

// A short stable name of the kind ("series_too_long", ...).
std::string_view refusal_name(RefusalKind kind);

// A refusal whose message is the records of `layout` written with `items`, followed by a
// pause with a single blank (the readers' usual ending).
Refusal refusal(RefusalKind kind, const recio::Layout& layout,
                std::initializer_list<recio::Out> items = {});

// Shows a refusal on the console as the dialogue does: the records, then the pause. The
// program is not ended here.
void show(recio::Session& session, const Refusal& refusal);

}  // namespace ringdate
