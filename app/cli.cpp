#include "app/cli.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/checkplot.h"
#include "core/store.h"
#include "formats/datafile.h"
#include "plot/plotter.h"
#include "recio/fields.h"
#include "recio/outfile.h"
#include "xdate/check.h"
#include "xdate/csv.h"
#include "xdate/report.h"
#include "xdate/store_input.h"

namespace ringdate::app {

namespace {

constexpr int32_t min_segment = 10, max_segment = 500, max_lag = 50, max_overlap = 2000,
                  max_top = 1000;

using recio::upper;

bool read_int(std::string_view s, int32_t& v) {
  const auto got = std::from_chars(s.data(), s.data() + s.size(), v);
  return got.ec == std::errc{} && got.ptr == s.data() + s.size();
}

bool read_real(std::string_view s, double& v) {
  const auto got = std::from_chars(s.data(), s.data() + s.size(), v);
  return got.ec == std::errc{} && got.ptr == s.data() + s.size();
}

Parsed usage(std::string message) {
  Parsed p;
  p.command = Command::usage_error;
  p.error = std::move(message);
  return p;
}

// Applies one option with its value; an error message, or empty.
std::string apply(std::string_view name, std::string_view value, CheckOptions& o) {
  if (name == "--check") {
    if (value.empty()) return "--check needs a file name";
    o.file = std::string(value);
  } else if (name == "--format") {
    const std::string f = upper(value);
    if (f != "MR" && f != "IR" && f != "CR" && f != "CD" && f != "FH")
      return "--format must be MR, IR, CR, CD or FH";
    o.format = f;
  } else if (name == "--segment") {
    int32_t v = 0;
    if (!read_int(value, v) || v < min_segment || v > max_segment || v % 2 != 0) {
      return "--segment must be an even number of years from 10 to 500";
    }
    o.settings.segment = v;
  } else if (name == "--lag") {
    int32_t v = 0;
    if (!read_int(value, v) || v < 1 || v > max_lag)
      return "--lag must be a whole number from 1 to 50";
    o.settings.lag = v;
  } else if (name == "--pcrit") {
    double v = 0.0;
    if (!read_real(value, v) || !(v > 0.0 && v < 1.0))
      return "--pcrit must be a number between 0 and 1";
    o.settings.pcrit = v;
  } else if (name == "--csv") {
    if (value.empty()) return "--csv needs a folder";
    o.csv_dir = std::string(value);
  } else if (name == "--plot") {
    if (value.empty()) return "--plot needs a file name";
    o.plot_file = std::string(value);
  }
  return {};
}

// The options of the dating mode; --format, --csv and --plot are shared with the check.
std::string apply_date(std::string_view name, std::string_view value, const CheckOptions& check,
                       DateOptions& o) {
  if (name == "--date") {
    if (value.empty()) return "--date needs a file name";
    o.samples = std::string(value);
  } else if (name == "--ref") {
    if (value.empty()) return "--ref needs a file name";
    o.reference = std::string(value);
  } else if (name == "--ref-format") {
    const std::string f = upper(value);
    if (f != "MR" && f != "IR" && f != "CR" && f != "CD" && f != "FH")
      return "--ref-format must be MR, IR, CR, CD or FH";
    o.ref_format = f;
  } else if (name == "--overlap") {
    int32_t v = 0;
    if (!read_int(value, v) || v < 10 || v > max_overlap)
      return "--overlap must be a whole number of years from 10 to 2000";
    o.settings.overlap = v;
  } else if (name == "--top") {
    int32_t v = 0;
    if (!read_int(value, v) || v < 1 || v > max_top)
      return "--top must be a whole number from 1 to 1000";
    o.settings.top = v;
  } else if (name == "--write") {
    if (value.empty()) return "--write needs a file name";
    o.write_file = std::string(value);
  } else if (name == "--format") {
    o.format = check.format;
  } else if (name == "--csv") {
    o.csv_dir = check.csv_dir;
  } else if (name == "--plot") {
    o.plot_file = check.plot_file;
  }
  return {};
}

bool check_only(std::string_view name) {
  return name == "--check" || name == "--segment" || name == "--lag" || name == "--pcrit";
}

bool date_only(std::string_view name) {
  return name == "--date" || name == "--ref" || name == "--ref-format" || name == "--overlap" ||
         name == "--top" || name == "--write";
}

bool takes_value(std::string_view name) {
  return check_only(name) || date_only(name) || name == "--format" || name == "--csv" ||
         name == "--plot" || name == "--convert" || name == "--to";
}

// Options of the check or the dating that the conversion does not take.
bool not_for_convert(std::string_view name) {
  return check_only(name) || date_only(name) || name == "--csv" || name == "--plot";
}

struct Table {
  const char* name;
  void (*write)(std::ostream&, const xdate::CheckResult&);
};
constexpr Table tables[] = {{"series.csv", xdate::write_series_csv},
                            {"segments.csv", xdate::write_segments_csv},
                            {"suggestions.csv", xdate::write_suggestions_csv}};

// Each table is written whole or not at all (recio/outfile.h).
bool write_tables(const std::string& dir, const xdate::CheckResult& result, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::filesystem::path d(dir);
  for (const Table& t : tables) {
    std::ostringstream text;
    t.write(text, result);
    if (const recio::WriteResult w = recio::write_whole_file((d / t.name).string(), text.str());
        !w) {
      err << "ringdate: " << w.message << '\n';
      return false;
    }
  }
  return true;
}

// Whether two names lead to the same existing file.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// An output that would replace the data file: the message, or empty.
std::string output_over_input(const CheckOptions& o) {
  if (o.plot_file && same_file(*o.plot_file, o.file))
    return "--plot " + *o.plot_file + " is the data file; name another file";
  if (o.csv_dir) {
    for (const Table& t : tables) {
      const std::string path = (std::filesystem::path(*o.csv_dir) / t.name).string();
      if (same_file(path, o.file))
        return "--csv " + *o.csv_dir + " would replace the data file " + o.file;
    }
  }
  return {};
}

}  // namespace

Parsed parse_arguments(std::span<const std::string_view> args) {
  Parsed p;
  if (args.empty()) return p;
  bool help = false, version = false, seen_check = false, seen_date = false;
  bool seen_convert = false, seen_to = false;
  std::string check_option, date_option;  // the first option of either mode given
  std::string convert_foreign;            // the first option given that --convert does not take
  std::vector<std::string> given;
  for (std::size_t k = 0; k < args.size(); ++k) {
    std::string_view arg = args[k];
    std::string_view name = arg, value;
    bool inline_value = false;
    if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inline_value = true;
    }
    if (name == "--help" || name == "-h") {
      if (inline_value) return usage("--help takes no value");
      help = true;
      continue;
    }
    if (name == "--version") {
      if (inline_value) return usage("--version takes no value");
      version = true;
      continue;
    }
    if (!takes_value(name)) {
      if (name.starts_with("-")) return usage("unknown option " + std::string(name));
      return usage("unexpected argument " + std::string(arg));
    }
    if (std::find(given.begin(), given.end(), std::string(name)) != given.end()) {
      return usage(std::string(name) + " given twice");
    }
    given.emplace_back(name);
    if (!inline_value) {
      if (k + 1 >= args.size()) return usage(std::string(name) + " needs a value");
      value = args[++k];
    }
    if (name == "--convert") {
      // IN and OUT: the two arguments after the option.
      if (inline_value || k + 1 >= args.size() || args[k + 1].starts_with("--"))
        return usage("--convert needs an input and an output file");
      p.convert.in = std::string(value);
      p.convert.out = std::string(args[++k]);
      if (p.convert.in.empty() || p.convert.out.empty())
        return usage("--convert needs an input and an output file");
      seen_convert = true;
      continue;
    }
    if (name == "--to") {
      const auto t = target_named(value);
      if (!t) return usage("--to must be tucson, compact, cru or heidelberg");
      p.convert.to = *t;
      seen_to = true;
      continue;
    }
    if (std::string e = apply(name, value, p.check); !e.empty()) return usage(e);
    if (std::string e = apply_date(name, value, p.check, p.date); !e.empty()) return usage(e);
    seen_check = seen_check || name == "--check";
    seen_date = seen_date || name == "--date";
    if (check_only(name) && check_option.empty()) check_option = name;
    if (date_only(name) && date_option.empty()) date_option = name;
    if (not_for_convert(name) && convert_foreign.empty()) convert_foreign = name;
  }
  p.convert.format = p.check.format;
  if (help) {
    p.command = Command::help;
  } else if (version) {
    p.command = Command::version;
  } else if (seen_convert) {
    if (seen_check) return usage("--check and --convert cannot be combined");
    if (seen_date) return usage("--date and --convert cannot be combined");
    if (!convert_foreign.empty()) return usage(convert_foreign + " does not belong to --convert");
    if (!seen_to) return usage("--convert needs --to tucson|compact|cru|heidelberg");
    p.command = Command::convert;
  } else if (seen_to) {
    return usage("--to belongs to --convert IN OUT");
  } else if (seen_check && seen_date) {
    return usage("--check and --date cannot be combined");
  } else if (seen_date) {
    if (!check_option.empty()) return usage(check_option + " belongs to --check, not --date");
    if (p.date.reference.empty()) return usage("--date needs --ref REFERENCE");
    p.command = Command::date;
  } else if (!seen_check) {
    if (!date_option.empty()) return usage(date_option + " needs --date SAMPLES --ref REFERENCE");
    return usage("the options need --check FILE");
  } else if (!date_option.empty()) {
    return usage(date_option + " belongs to --date, not --check");
  } else {
    p.command = Command::check;
  }
  return p;
}

std::string help_text() {
  return "Usage: ringdate                 examine and correct tree-ring series in a dialogue\n"
         "       ringdate --check FILE [--format MR|IR|CR|CD|FH] [--segment 50] [--lag 10]\n"
         "                [--pcrit 0.01] [--csv DIR] [--plot OUT.ps]\n"
         "       ringdate --date SAMPLES --ref REFERENCE [--format F] [--ref-format F]\n"
         "                [--overlap 50] [--top 5] [--csv DIR] [--write OUT] [--plot OUT.ps]\n"
         "       ringdate --convert IN OUT --to tucson|compact|cru|heidelberg\n"
         "                [--format MR|IR|CR|CD|FH]\n"
         "       ringdate --help | --version\n"
         "\n"
         "--check FILE   crossdate every series of FILE against the others and report\n"
         "               flagged segments and the edit that fixes each dating error\n"
         "--convert IN OUT  write every series of IN to OUT in the format named by --to\n"
         "               (measurements as measurements, indices as indices); OUT is\n"
         "               replaced only by a completely written file\n"
         "--format       the file's format (Tucson measurements MR, Tucson indices IR,\n"
         "               UEA CRU indices CR, compact CD, Heidelberg FH); guessed from the\n"
         "               file if omitted\n"
         "--segment N    segment length in years, lagged by half of it (default 50)\n"
         "--lag N        largest lag tried either way (default 10)\n"
         "--pcrit P      critical one-sided p of a segment's correlation (default 0.01)\n"
         "--csv DIR      also write series.csv, segments.csv and suggestions.csv in DIR\n"
         "--plot OUT.ps  also draw the segment chart (PostScript colour) into OUT.ps\n"
         "\n"
         "--date SAMPLES  date every series of SAMPLES (years taken as relative numbers)\n"
         "               against the dated series or chronology of --ref REFERENCE\n"
         "--ref-format   the reference's format, as --format for SAMPLES\n"
         "--overlap N    fewest years the sample and the reference share (default 50)\n"
         "--top N        positions listed per sample (default 5)\n"
         "--csv DIR      also write datings.csv in DIR\n"
         "--write OUT    write the samples, each dated series renumbered, into OUT\n"
         "--plot OUT.ps  also draw each sample's statistic at every position into OUT.ps\n"
         "\n"
         "Exit status of --check: 0 nothing flagged, 1 segments flagged, 2 usage error,\n"
         "a file that cannot be read, or a report, table or chart that could not be\n"
         "written (a line on the error stream says which), 3 nothing could be tested\n"
         "(the report says why). Of --date: 0 every sample series dated, 1 one is\n"
         "not, 2 usage error or a file that cannot be read or written. Of --convert: 0\n"
         "written, 2 usage error or a file that cannot be read or written.\n";
}

std::string version_text() { return "ringdate 1.1\n"; }

int run_check(const CheckOptions& options, std::ostream& out, std::ostream& err) {
  if (const std::string why = output_over_input(options); !why.empty()) {
    err << "ringdate: " << why << '\n';
    return exit_failure;
  }
  if (const std::string why = recio::input_file_problem(options.file); !why.empty()) {
    err << "ringdate: " << why << '\n';
    return exit_failure;
  }
  auto store = std::make_unique<Store>();
  const DataFileReading reading = read_data_file(options.file, options.format, *store);
  switch (reading.result) {
    case DataFileResult::read:
      break;
    case DataFileResult::not_found:
      err << "ringdate: cannot open " << options.file << '\n';
      return exit_failure;
    case DataFileResult::unknown_format:
      err << "ringdate: unknown format " << options.format
          << "; use --format MR, IR, CR, CD or FH\n";
      return exit_failure;
    case DataFileResult::cannot_settle:
      err << "ringdate: cannot tell the format of " << options.file
          << "; name it with --format MR|IR|CR|CD|FH\n";
      return exit_failure;
    case DataFileResult::refused:
      if (reading.refusal) {
        err << reading.refusal->text();
        if (!reading.refusal->text().empty() && reading.refusal->text().back() != '\n') err << '\n';
      } else {
        err << "ringdate: " << options.file << " cannot be read\n";
      }
      return exit_failure;
  }
  std::vector<xdate::SeriesInput> series = xdate::series_of_store(*store);
  store.reset();
  const xdate::CheckResult result = xdate::run_check(std::move(series), options.settings);
  xdate::write_report(out, xdate::ReportHeader{options.file, reading.mode, reading.guessed},
                      result);
  out.flush();
  if (!out) {
    err << "ringdate: cannot write the report to the standard output\n";
    return exit_failure;
  }
  if (options.csv_dir && !write_tables(*options.csv_dir, result, err)) return exit_failure;
  if (options.plot_file) {
    PlplotPlotter plotter;
    const std::string why =
        write_segment_chart(plotter, segment_chart(result, options.file), *options.plot_file);
    if (!why.empty()) {
      // A failed write names the file itself; a failure of the plot library does not.
      if (why.starts_with("cannot write"))
        err << "ringdate: " << why << '\n';
      else
        err << "ringdate: cannot write " << *options.plot_file << ": " << why << '\n';
      return exit_failure;
    }
  }
  return check_status(result);
}

int check_status(const xdate::CheckResult& result) {
  if (!xdate::nothing_tested(result).empty()) return exit_untested;
  return result.flagged_segments() > 0 ? exit_flagged : exit_clean;
}

int run_command(const Parsed& parsed, std::ostream& out, std::ostream& err) {
  switch (parsed.command) {
    case Command::help:
      out << help_text() << std::flush;
      return out ? exit_clean : exit_failure;
    case Command::version:
      out << version_text() << std::flush;
      return out ? exit_clean : exit_failure;
    case Command::check:
      return run_check(parsed.check, out, err);
    case Command::date:
      return run_date(parsed.date, out, err);
    case Command::convert:
      return run_convert(parsed.convert, out, err);
    case Command::usage_error:
      err << "ringdate: " << parsed.error << " (see ringdate --help)\n";
      return exit_failure;
    case Command::dialogue:
      break;
  }
  return exit_failure;
}

}  // namespace ringdate::app
