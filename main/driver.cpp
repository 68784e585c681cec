#include "main/driver.h"

#include <algorithm>
#include <memory>

#include "formats/corrected.h"
#include "formats/datafile.h"
#include "formats/fhstore.h"
#include "main/detrend.h"
#include "recio/fields.h"

namespace ringdate {

namespace {

using recio::padded;
using recio::trimmed;

bool yes(char c) { return c == ' ' || c == 'Y' || c == 'y'; }
bool no(char c) { return c == 'N' || c == 'n'; }

}  // namespace

Program::Program(recio::Console& console, recio::FileSystem& fs)
    : session_(console, fs),
      query_(session_),
      qforma_(session_),
      trread_(session_),
      plot_menu_(session_, plotter_),
      cmpplt_(session_, plot_menu_),
      xdwindow_(store_, xdplotter_) {
  plot_menu_.set_companion(&xdwindow_);
}

void Program::run() {
  // Start-up: the store holds no values yet.
  startup_fill(store_, tsi1_);
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
    if (const std::optional<PostedEdit> edit = cmpplt_.pending()) carry_edit(*edit);
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
    if (!detrend_store(session_, store_, spline_)) session_.stop();
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
    const Comparison end = cmpplt_(tsi1_, store_.fname, "DATA FILE", "YEARS", store_.units);
    if (end.outcome == CompareOutcome::quit) quit_program();
    if (end.outcome == CompareOutcome::edit_posted && end.edit) carry_edit(*end.edit);
  }
}

// The edit posted by the comparison loop goes into the full series.
void Program::carry_edit(const PostedEdit& edit) {
  if (apply_edit(store_, tsi1_.nsel, edit) == EditCarry::carried) {
    edited_ = true;
  } else {
    report_refused_edit(edit);
  }
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
  const std::string name = corrected_name(store_.fname);
  // A session that changed nothing leaves an earlier corrected file as it is: it may hold
  // the corrections of an earlier session, which an unchanged copy would undo.
  if (!edited_ && session_.units().file_exists(name)) return true;
  return ringdate::write_corrected(session_, store_, corrected_layout(store_.mode), name,
                                   heidelberg_);
}

void Program::report_refused_edit(const PostedEdit& edit) {
  std::string why =
      "it would not fit on the store's axis of " + std::to_string(store_.wrk.rows()) + " years";
  if (const int32_t s = picked_series(store_, tsi1_.nsel, edit.pick); s != 0) {
    const int32_t f = store_.iyr(s, 1), l = store_.iyr(s, 2);
    if (edit.typed_year < f || edit.typed_year > l) {
      why = "the year " + std::to_string(edit.typed_year) + " lies outside " +
            trimmed(store_.ids[static_cast<std::size_t>(s - 1)]) + " (" + std::to_string(f) +
            " to " + std::to_string(l) + ")";
    } else if (l - f + 1 < 2) {
      why = "the series is too short for it";
    }
  }
  session_.line(" *** The edit could not be carried into the full series: " + why);
}

void Program::report_write_failure() {
  session_.line(" *** Could not write the corrected file: " + corrected_name(store_.fname));
}

int run_program() {
  auto program = std::make_unique<Program>(recio::system_console(), recio::system_file_system());
  program->run();
  return 0;
}

}  // namespace ringdate
