// The samples of a dating written back (`--date SAMPLES --write OUT`): every dated series
// renumbered to its calendar years, values unchanged, every other series as it was.
#pragma once

#include <string>

#include "core/store.h"
#include "recio/units.h"
#include "xdate/dating.h"

namespace ringdate::app {

// Writes the series of `store` (the samples as read; run.samples in the same order) to
// `path` in the store's format: Tucson measurements or indices, the UEA CRU layout or the
// compact format. The file is replaced only by a completely written one. Returns "" or
// why it could not be written.
std::string write_dated(Store& store, const xdate::DatingRun& run, const std::string& path,
                        recio::FileSystem& fs = recio::system_file_system());

// The same for samples read from the Heidelberg file `samples`: read again with their header
// lines, and written as Heidelberg series (DateBegin and DateEnd follow the new years).
std::string write_dated_heidelberg(const std::string& samples, const xdate::DatingRun& run,
                                   const std::string& path,
                                   recio::FileSystem& fs = recio::system_file_system());

}  // namespace ringdate::app
