// Reading a data file into the series store: the step the dialogue takes once its format
// questions are settled, and the same reading without the dialogue for callers on the
// command line (a file check, a conversion), with the format guess the dialogue makes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/store.h"
#include "formats/refusal.h"
#include "formats/trread.h"
#include "recio/units.h"

namespace ringdate {

// The store's pick order (iseq) sized for the columns of wrk.
void fit_work_areas(Store& store);

// Moves each series from row 1 down to the row of its first year on the common axis
// (row 1 = iyrmin) and marks the rows before it rmiss. False, and nothing moved, when
// the series together span more years than wrk has rows.
bool align(Store& store);

// raw becomes a copy of wrk.
void snapshot(Store& store);

// Reads every series of the file open on unit 10 in the format store.mode, aligns them on
// the common calendar axis and keeps the measured values in raw: the store as the dialogue
// examines it. A refused file leaves the store partly filled.
[[nodiscard]] Refused load_store(Trread& trread, Store& store);

// How a reading without the dialogue ended.
enum class DataFileResult {
  read,            // every series read: the store holds them
  not_found,       // the file cannot be opened
  unknown_format,  // the format asked for is none of MR, IR, CR, CD
  cannot_settle,   // no format given and the guess does not settle one
  refused,         // the readers refused the file: see `refusal`
};

struct DataFileReading {
  DataFileResult result = DataFileResult::not_found;
  // The format the file was read with ("MR", "IR", "CR", "CD" or "FH"); empty when none.
  std::string mode;
  // The format came from the automatic guess, not from the caller.
  bool guessed = false;
  // For `refused`: which refusal and the records of its message (refusal->text() gives
  // the message as plain lines).
  std::optional<Refusal> refusal;
  // What the readers wrote on the way, as the dialogue would show it (the title lines,
  // the summary line, notes of a self-formatted block).
  std::string console;
};

// Reads the data file `path` into `store` without the dialogue: nothing is written to the
// console and the program is never ended. `format` is "MR", "IR", "CR", "CD" or "FH" (either
// case), or empty for the guess the dialogue makes from the first lines: "FH" for a file
// whose first non-blank line starts a Heidelberg block, "MR" for Tucson measurements, "IR"
// for Tucson indices, "CD" for the compact format; a file for which the
// dialogue would have to ask (UEA CRU files among them) gives cannot_settle. On `read` the
// store holds the series as after the dialogue's reading (mode and fname set, not
// detrended); the file is closed again in every case.
DataFileReading read_data_file(const std::string& path, std::string_view format, Store& store,
                               recio::FileSystem& fs = recio::system_file_system());

}  // namespace ringdate
