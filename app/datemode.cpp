#include "app/datemode.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/cli.h"
#include "app/datewrite.h"
#include "core/store.h"
#include "formats/datafile.h"
#include "plot/datingchart.h"
#include "plot/plotter.h"
#include "recio/outfile.h"
#include "xdate/dating_report.h"
#include "xdate/store_input.h"

namespace ringdate::app {

namespace {

// Reads one data file into the store; false (the message written to `err`) when it cannot.
bool read_file(const std::string& path, const std::string& format, Store& store,
               DataFileReading& reading, std::ostream& err) {
  reading = read_data_file(path, format, store);
  switch (reading.result) {
    case DataFileResult::read:
      return true;
    case DataFileResult::not_found:
      err << "ringdate: cannot open " << path << '\n';
      break;
    case DataFileResult::unknown_format:
      err << "ringdate: unknown format " << format << "; use MR, IR, CR, CD or FH\n";
      break;
    case DataFileResult::cannot_settle:
      err << "ringdate: cannot tell the format of " << path << "; name it with --format or "
          << "--ref-format MR|IR|CR|CD|FH\n";
      break;
    case DataFileResult::refused:
      if (reading.refusal && !reading.refusal->text().empty()) {
        err << reading.refusal->text();
        if (reading.refusal->text().back() != '\n') err << '\n';
      } else {
        err << "ringdate: " << path << " cannot be read\n";
      }
      break;
  }
  return false;
}

// The table is written whole or not at all (recio/outfile.h).
bool write_csv(const std::string& dir, const xdate::DatingRun& run, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  std::ostringstream text;
  xdate::write_datings_csv(text, run);
  const std::string path = (std::filesystem::path(dir) / "datings.csv").string();
  if (const recio::WriteResult w = recio::write_whole_file(path, text.str()); !w) {
    err << "ringdate: " << w.message << '\n';
    return false;
  }
  return true;
}

DatingChart dating_chart(const xdate::DatingRun& run, const DateOptions& o) {
  DatingChart c;
  c.title = "Dating of " + std::filesystem::path(o.samples).filename().string();
  char sub[200];
  std::snprintf(sub, sizeof sub,
                "against %s; mean of t, tBP, tHo and GLK z in standard units of the other "
                "positions",
                std::filesystem::path(o.reference).filename().string().c_str());
  c.subtitle = sub;
  for (const xdate::SampleDating& d : run.samples) {
    DatingPanel panel;
    panel.id = d.id;
    panel.verdict = xdate::verdict_text(d, run.settings);
    for (const xdate::SampleDating::CurvePoint& p : d.curve) {
      panel.end_years.push_back(static_cast<float>(p.last));
      panel.z.push_back(static_cast<float>(p.z));
    }
    panel.threshold = static_cast<float>(d.z_needed);
    panel.dated = d.dated();
    if (!d.ranked.empty()) {
      panel.best_end = static_cast<float>(d.ranked.front().last);
      panel.dated_end = panel.best_end;
    }
    c.panels.push_back(std::move(panel));
  }
  return c;
}

}  // namespace

int run_date(const DateOptions& o, std::ostream& out, std::ostream& err) {
  auto store = std::make_unique<Store>();
  DataFileReading ref_reading, sample_reading;
  if (!read_file(o.reference, o.ref_format, *store, ref_reading, err)) return exit_failure;
  const std::vector<xdate::SeriesInput> reference = xdate::series_of_store(*store);
  store = std::make_unique<Store>();
  if (!read_file(o.samples, o.format, *store, sample_reading, err)) return exit_failure;
  const std::vector<xdate::SeriesInput> samples = xdate::series_of_store(*store);

  const xdate::DatingRun run = xdate::date_samples(samples, reference, o.settings);
  xdate::write_dating_report(
      out,
      xdate::DatingHeader{o.samples, o.reference, sample_reading.mode, ref_reading.mode,
                          sample_reading.guessed, ref_reading.guessed},
      run);
  out.flush();
  if (o.csv_dir && !write_csv(*o.csv_dir, run, err)) return exit_failure;
  if (o.write_file) {
    const std::string why = store->mode == "FH"
                                ? write_dated_heidelberg(o.samples, run, *o.write_file)
                                : write_dated(*store, run, *o.write_file);
    if (!why.empty()) {
      err << "ringdate: cannot write " << *o.write_file << ": " << why << '\n';
      return exit_failure;
    }
  }
  if (o.plot_file) {
    PlplotPlotter plotter;
    const std::string why = write_dating_chart(plotter, dating_chart(run, o), *o.plot_file);
    if (!why.empty()) {
      err << "ringdate: cannot write " << *o.plot_file << ": " << why << '\n';
      return exit_failure;
    }
  }
  const bool all = !run.samples.empty() && run.dated() == static_cast<int32_t>(run.samples.size());
  return all ? exit_clean : exit_flagged;
}

}  // namespace ringdate::app
