#include "main/driver.h"

#include <algorithm>
#include <memory>

#include "formats/datafile.h"
#include "formats/datw.h"
#include "formats/decade_lines.h"
#include "formats/fhstore.h"
#include "formats/heidelberg_write.h"
#include "main/detrend.h"
#include "main/edit.h"

namespace ringdate {

namespace {

// A text in a field of at least `w` characters: blank-padded when shorter, whole when longer.
std::string padded(std::string_view text, std::size_t w) {
  std::string s(text);
  if (s.size() < w) s.resize(w, ' ');
  return s;
}

std::string trimmed(std::string_view text) {
  int32_t n = 0;
  csr(text, n, 2, static_cast<int32_t>(text.size()));
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

bool yes(char c) { return c == ' ' || c == 'Y' || c == 'y'; }
bool no(char c) { return c == 'N' || c == 'n'; }

}  // namespace

Program::Program(recio::Console& console, recio::FileSystem& fs)
    : session_(console, fs),
      query_(session_),
      qforma_(session_),
      trread_(session_),
      cmpdrw_(session_, plotter_),
      cmpplt_(session_, cmpdrw_),
      xdwindow_(store_, xdplotter_) {
  cmpplt_.set_companion(&xdwindow_);
  cmpdrw_.set_companion(&xdwindow_);
}

void Program::run() {
  // Start-up: the store holds no values yet.
  startup_fill(store_, tsi1_);
  tsi1_.edyr = 0;
  ask_file_name();
  preview();
  settle_format();
  read_file();
  ask_detrending();
  examine();
}

void Program::ask_file_name() {
  static const recio::Layout prompt =
      recio::Layout::fixed("(//1X,'FILE NAME TO EXAMINE (/ TO EXIT)',T45,'==> ',$)");
  static const recio::Layout not_found = recio::Layout::fixed("(/1X,'FILE NOT FOUND: ',A)");
  for (;;) {
    blank(store_.fname, 40);
    session_.write(prompt);
    // The whole line is kept: a name longer than the 40-character field is never cut, so
    // that it can neither open another file nor be reported missing when it exists.
    const std::string answer = session_.answer_line();
    store_.fname = padded(answer, 40);
    if (store_.fname[0] == '/') exit_program();
    // A device, a pipe or a file of more than 1 GB is refused before it is read.
    if (const std::string why = session_.units().reading_problem(trimmed(store_.fname));
        !why.empty()) {
      session_.line("\n *** " + why);
      continue;
    }
    if (session_.units().open(10, trimmed(store_.fname), recio::Status::old)) return;
    session_.write(not_found, {store_.fname});
  }
}

void Program::preview() {
  static const recio::Layout heading = recio::Layout::fixed("(/1X,'FIRST 10 LINES OF DATA FILE:')");
  static const recio::Layout a = recio::Layout::fixed("(A)");
  static const recio::Layout line = recio::Layout::fixed("(1X,A)");
  recio::Units& units = session_.units();
  qforma_(10, guess_);
  units.rewind(10);
  session_.write(heading);
  for (int k = 1; k <= 10; ++k) {
    blank(preview_, 80);
    const recio::Outcome got = units.read_line(10, record_);
    if (got == recio::Outcome::eof) break;  // a shorter file shows the lines it has
    if (got == recio::Outcome::ok) recio::read(a, record_, {recio::In(preview_)});
    session_.write(line, {preview_});
  }
  units.rewind(10);
}

void Program::settle_format() {
  static const recio::Layout meas =
      recio::Layout::fixed("(/1X,'TUCSON MEASUREMENT FORMAT? <Y>/N',T45,'==> ',$)");
  static const recio::Layout index =
      recio::Layout::fixed("(/1X,'TUCSON INDEX FORMAT? <Y>/N',T45,'==> ',$)");
  static const recio::Layout compact =
      recio::Layout::fixed("(/1X,'KTZ COMPACT FORMAT? Y/N',T45,'==> ',$)");
  static const recio::Layout heidelberg =
      recio::Layout::fixed("(/1X,'HEIDELBERG FORMAT? <Y>/N',T45,'==> ',$)");
  if (guess_ == 'M' || guess_ == 'I') {
    for (;;) {
      blank(yesno_, 1);
      session_.write(guess_ == 'M' ? meas : index);
      yesno_ = session_.answer(1);
      if (yes(yesno_[0])) {
        store_.mode = guess_ == 'M' ? "MR" : "IR";
        return;
      }
      if (no(yesno_[0])) break;
    }
  } else if (guess_ == 'H') {
    for (;;) {
      blank(yesno_, 1);
      session_.write(heidelberg);
      yesno_ = session_.answer(1);
      if (yes(yesno_[0])) {
        store_.mode = "FH";
        return;
      }
      if (no(yesno_[0])) break;
    }
  } else if (guess_ == 'C') {
    for (;;) {
      blank(yesno_, 1);
      session_.write(compact);
      yesno_ = session_.answer(1);
      if (yesno_[0] == 'Y' || yesno_[0] == 'y') {
        store_.mode = "CD";
        return;
      }
      if (no(yesno_[0])) break;
    }
  }
  menu();
}

void Program::menu() {
  static const char* const codes[] = {"MR", "IR", "CR", "CD"};
  store_.mode = "  ";
  if (!query_(choice_)) session_.stop(0);  // "/" at the format menu
  store_.mode = codes[choice_ - 1];
}

void Program::read_file() {
  if (Refused r = store_.mode == "FH" ? read_heidelberg() : load_store(trread_, store_))
    end_on_refusal(*r);
  file_read_ = true;
  // From here on an end of input at any question keeps what was read and edited, an edit
  // posted in the comparison but not yet carried (the input ended at the plot menu) included,
  // as leaving the comparison would carry it.
  session_.on_input_end([this] {
    if (tsi1_.edyr != no_edit) carry_edit();
    if (!write_corrected()) report_write_failure();
  });
}

// A Heidelberg file is read whole (its blocks may hold their series in any layout) and its
// series filed in the store; the summary line is the one the other readers print.
Refused Program::read_heidelberg() {
  static const recio::Layout summary =
      recio::Layout::fixed("(/,1X,I6,' series from',I7,' to',I7,I8,' years')");
  recio::Units& units = session_.units();
  units.rewind(10);
  std::string text;
  for (;;) {
    const recio::Outcome got = units.read_line(10, record_);
    if (got != recio::Outcome::ok) break;
    text += record_;
    text += '\n';
  }
  fh::Reading reading = fh::read(text);
  if (reading.refusal) return reading.refusal;
  if (Refused r = load_heidelberg(reading.series, store_)) return r;
  heidelberg_ = std::move(reading.series);
  const int32_t lo = store_.iyrmin(), hi = store_.iyrmax();
  session_.write(
      summary, {recio::Out(store_.nser), recio::Out(lo), recio::Out(hi), recio::Out(hi - lo + 1)});
  return std::nullopt;
}

void Program::ask_detrending() {
  static const recio::Layout prompt =
      recio::Layout::fixed("(/1X,'SPLINE BEFORE EXAMINATION? <Y>/N (/ TO EXIT)',T45,'==> ',$)");
  static const recio::Layout done = recio::Layout::fixed("(/1X,'OKAY, THE SPLINING IS DONE')");
  blank(yesno_, 1);
  session_.write(prompt);
  yesno_ = session_.answer(1);
  if (yesno_[0] == '/') exit_program();  // the prompt offers "/ TO EXIT"
  if (yes(yesno_[0])) {
    if (!detrend_store(session_, store_, tsi1_, spline_)) session_.stop();
    store_.units = padded("INDICES", 20);
    session_.write(done);
  } else {
    store_.units = padded("MILLIMETERS", 20);
  }
}

void Program::examine() {
  static const recio::Layout heading =
      recio::Layout::fixed("(/1X,'    TREE-RING SERIES READ IN FOR EXAMINATION')");
  static const recio::Layout listed = recio::Layout::fixed("(6X,I5,2X,A,3I7)");
  static const recio::Layout ask =
      recio::Layout::fixed("(/1X,'OKAY, ENTER SEQUENCE NUMBERS OF THE SERIES TO COMPARE:')");
  static const recio::Layout prompt =
      recio::Layout::fixed("(1X,'Sequence number (<RET> to DO WHATEVER)',T45,'==> ',$)");
  static const recio::Layout chosen =
      recio::Layout::fixed("(/1X,'YO, THE TREE-RING SERIES SELECTED FOR EXAMINATION')");
  static const recio::Layout picked = recio::Layout::fixed("(1X,I5,2X,A,3I7)");
  for (;;) {
    // Listing.
    session_.write(heading);
    tsi1_.edyr = no_edit;
    for (int32_t i = 1; i <= store_.nser; ++i) {
      const int32_t f = store_.iyr(i, 1), l = store_.iyr(i, 2);
      session_.write(listed, {i, store_.ids[static_cast<std::size_t>(i - 1)], f, l, l - f + 1});
    }
    // Selection.
    session_.write(ask);
    begin_pass(tsi1_, pass_);
    for (;;) {
      seqno_ = 0;
      blank(seq_, 10);
      session_.write(prompt);
      seq_ = session_.answer(10);
      if (seq_[0] == ' ') break;
      if (seq_[0] == '/') exit_program();
      intfrm(seq_, seqfmt_);
      if (!read_intfrm(seq_, seqfmt_, seqno_)) continue;
      if (seqno_ < 1 || seqno_ > store_.nser) continue;
      if (!add_pick(store_, tsi1_, pass_, seqno_)) {
        session_.line(" *** At most " + std::to_string(tsi1_.sel.cols()) +
                      " series can be compared at once");
      }
    }
    // Comparison.
    if (tsi1_.nsel == 0) exit_program();
    close_pass(store_, tsi1_, pass_);
    session_.write(chosen);
    for (int32_t k = 1; k <= tsi1_.nsel; ++k) {
      const int32_t f = tsi1_.syr(k, 1), l = tsi1_.syr(k, 2);
      session_.write(picked, {k, tsi1_.sid[static_cast<std::size_t>(k - 1)], f, l, l - f + 1});
    }
    session_.pause(" HIT RETURN TO CONTINUE");
    const CompareOutcome end = cmpplt_(tsi1_, store_.fname, "DATA FILE", "YEARS", store_.units);
    if (end == CompareOutcome::quit) quit_program();
    if (end == CompareOutcome::edit_posted) carry_edit();
  }
}

// The edit posted by the comparison loop goes into the full series.
void Program::carry_edit() {
  const EditCarry carried = apply_edit(store_, tsi1_);
  if (carried == EditCarry::refused) report_refused_edit();
  if (carried == EditCarry::carried) edited_ = true;
}

// The reader refused the file: its message, the pause, the end.
void Program::end_on_refusal(const Refusal& refusal) {
  show(session_, refusal);
  session_.stop(0, refusal.error_line);
}

// "Q" at the edit menu. Corrections carried into the store are kept: the corrected file is
// written as the normal exit writes it. Without any, nothing is written, so that an earlier
// corrected file is never replaced by an uncorrected copy (the other ways out keep it too,
// and write an unchanged copy only where there is no corrected file yet).
void Program::quit_program() {
  int status = 0;
  if (edited_) {
    session_.on_input_end({});  // the file is written here, once
    if (!write_corrected()) {
      report_write_failure();
      status = 1;
    }
  }
  session_.pause(" Okay, so STOP already!");
  cmpplt_.finish();
  session_.stop(status);
}

void Program::exit_program() {
  if (file_read_) {
    session_.on_input_end({});  // the file is written here, once
    if (!write_corrected()) {
      report_write_failure();
      session_.stop(1);
    }
  }
  session_.units().close(10);
  session_.pause(" HASTA LA BYE BYE, BABY!");
  session_.stop(0);
}

bool Program::write_corrected() {
  static const recio::Layout first = recio::Layout::fixed("('CORRECTED RING-WIDTH DATA: ',A)");
  recio::Units& units = session_.units();
  // The whole typed name with "_COR" appended, whatever its length.
  csr(store_.fname, nlen_, 2, static_cast<int32_t>(store_.fname.size()));
  corname_ = store_.fname.substr(0, static_cast<std::size_t>(nlen_)) + "_COR";
  // A session that changed nothing leaves an earlier corrected file as it is: it may hold
  // the corrections of an earlier session, which an unchanged copy would undo.
  if (!edited_ && units.file_exists(corname_)) return true;
  const std::string shown = padded(corname_, 40);
  // The unit collects the records and replaces the file only when it is closed complete.
  if (!units.open(12, corname_, recio::Status::unknown)) return false;
  blank(store_.title, 80);
  store_.title.replace(0, std::min<std::size_t>(80, shown.size()), shown, 0,
                       std::min<std::size_t>(80, shown.size()));
  if (store_.mode == "FH") {
    // A Heidelberg file's corrected file is a Heidelberg file: no title line.
    if (recio::Text* out = units.output(12)) write_corrected_heidelberg(*out);
    return units.close(12);
  }
  cormode_ = store_.mode;
  if (cormode_ == "MR") cormode_ = "MW";
  if (cormode_ == "IR") cormode_ = "IW";
  for (const std::string& rec : recio::write(first, {shown}).lines) units.write_line(12, rec);
  reserve_corrected_text();
  const int32_t iyrmin = store_.iyrmin();
  const auto rows = static_cast<int64_t>(store_.raw.rows());  // the longest series written
  if (coricnt_.size() < store_.raw.rows()) coricnt_.resize(store_.raw.rows());
  if (corwork_.size() < store_.raw.rows()) corwork_.resize(store_.raw.rows());
  coricnt_(1) = 0;  // the writer writes a count of 1 for every value
  for (int32_t i = 1; i <= store_.nser; ++i) {
    corid_ = store_.ids[static_cast<std::size_t>(i - 1)];
    corfyr_ = store_.iyr(i, 1);
    cornval_ = store_.iyr(i, 2) - corfyr_ + 1;
    const int32_t row = corfyr_ - iyrmin + 1;
    if (cornval_ < 1 || row < 1 || row - 1 + cornval_ > rows) continue;  // nothing to write
    const auto vals =
        store_.raw.column(static_cast<std::size_t>(i))
            .subspan(static_cast<std::size_t>(row - 1), static_cast<std::size_t>(cornval_));
    if (cormode_ == "CD") {
      datw(session_, corid_, vals, corwork_.span(), cornval_, corfyr_, 12, "COR");
    } else {
      std::string wmode = cormode_;
      trread_.trrw()(corid_, corfyr_, cornval_, vals, coricnt_.span(), cornread_, 12, 0, wmode,
                     store_.title, "   ", cornval_, corhdr_);
    }
  }
  return units.close(12);
}

// Every series as read, with the years and values the edits gave it, headers kept.
void Program::write_corrected_heidelberg(recio::Text& out) {
  std::vector<fh::Series> series;
  const int32_t iyrmin = store_.iyrmin();
  for (int32_t i = 1; i <= store_.nser && static_cast<std::size_t>(i) <= heidelberg_.size(); ++i) {
    const int32_t first = store_.iyr(i, 1);
    const int32_t n = store_.iyr(i, 2) - first + 1;
    const int32_t row = first - iyrmin + 1;
    if (n < 1 || row < 1 || row - 1 + n > static_cast<int64_t>(store_.raw.rows())) continue;
    const auto vals = store_.raw.column(static_cast<std::size_t>(i))
                          .subspan(static_cast<std::size_t>(row - 1), static_cast<std::size_t>(n));
    series.push_back(corrected_series(heidelberg_[static_cast<std::size_t>(i - 1)], first, vals));
  }
  const std::string text = fh::write(series);
  out.append(text.data(), text.size());
}

// The decade lines are built in the unit's text: room for all of them at once, so that the
// text never moves while it grows.
void Program::reserve_corrected_text() {
  recio::Text* out = session_.units().output(12);
  if (out == nullptr || cormode_ == "CD") return;
  std::size_t bound = out->size();
  for (int32_t i = 1; i <= store_.nser; ++i)
    bound += series_text_bound(store_.iyr(i, 2) - store_.iyr(i, 1) + 1, "   ");
  out->reserve(bound);
}

void Program::report_refused_edit() {
  std::string why =
      "it would not fit on the store's axis of " + std::to_string(store_.wrk.rows()) + " years";
  const int32_t k = tsi1_.edsel;
  if (k >= 1 && k <= tsi1_.nsel) {
    const int32_t s = store_.iseq(static_cast<std::size_t>(k));
    const int32_t f = store_.iyr(s, 1), l = store_.iyr(s, 2);
    if (tsi1_.edyr < f || tsi1_.edyr > l) {
      why = "the year " + std::to_string(tsi1_.edyr) + " lies outside " +
            trimmed(store_.ids[static_cast<std::size_t>(s - 1)]) + " (" + std::to_string(f) +
            " to " + std::to_string(l) + ")";
    } else if (l - f + 1 < 2) {
      why = "the series is too short for it";
    }
  }
  session_.line(" *** The edit could not be carried into the full series: " + why);
}

void Program::report_write_failure() {
  session_.line(" *** Could not write the corrected file: " + corname_);
}

int run_program() {
  auto program = std::make_unique<Program>(recio::system_console(), recio::system_file_system());
  program->run();
  return 0;
}

}  // namespace ringdate
