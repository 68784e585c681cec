// The command line of the program: with no arguments the dialogue; otherwise the check mode
// (`--check FILE`), the dating mode (`--date SAMPLES --ref REFERENCE`), the conversion
// (`--convert IN OUT --to FORMAT`), `--help` or `--version`. Parsing and the check run are
// plain functions over streams, so that tests drive them without a process.
#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/convert.h"
#include "app/datemode.h"
#include "xdate/check.h"
#include "xdate/series.h"

namespace ringdate::app {

// Exit statuses of the command-line modes.
constexpr int exit_clean = 0;     // no flagged segment, every sample dated (or help, version)
constexpr int exit_flagged = 1;   // something flagged, a sample not dated
constexpr int exit_failure = 2;   // usage error, unreadable file, an output not written
constexpr int exit_untested = 3;  // nothing could be tested (the report says why)

struct CheckOptions {
  std::string file;
  std::string format;  // "MR", "IR", "CR", "CD", "FH", or empty for the automatic guess
  xdate::Settings settings;
  std::optional<std::string> csv_dir;
  std::optional<std::string> plot_file;  // --plot: the segment chart, PostScript colour
};

enum class Command { dialogue, check, date, convert, help, version, usage_error };

struct Parsed {
  Command command = Command::dialogue;
  CheckOptions check;
  DateOptions date;
  ConvertOptions convert;
  std::string error;  // for usage_error: one line, without the program name
};

// The arguments after the program name.
Parsed parse_arguments(std::span<const std::string_view> args);

// The text of --help and of --version.
std::string help_text();
std::string version_text();

// The exit status of a check that ran: exit_untested when nothing could be tested,
// exit_flagged when a segment is flagged, exit_clean otherwise.
int check_status(const xdate::CheckResult& result);

// Reads the file, checks it, writes the report to `out` and the tables to the CSV folder;
// a reader's refusal and other failures go to `err`. Returns the exit status.
int run_check(const CheckOptions& options, std::ostream& out, std::ostream& err);

// Runs a parsed command line other than the dialogue. Returns the exit status.
int run_command(const Parsed& parsed, std::ostream& out, std::ostream& err);

}  // namespace ringdate::app
