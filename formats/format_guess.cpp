#include "formats/format_guess.h"

#include <optional>

#include "formats/heidelberg.h"
#include "formats/loose_decade.h"
#include "recio/fields.h"

namespace ringdate {

using recio::blank;
using recio::csr;

void Qforma::operator()(int unit, char& guess) {
  static const recio::Layout a = recio::Layout::fixed("(A)");
  guess = ' ';
  recio::Outcome got = recio::Outcome::ok;
  bool before_text = true;  // no line with more than blanks read yet
  for (nline_ = 1; nline_ <= 8; ++nline_) {
    got = s_->units().read_line(unit, rec_);
    if (got == recio::Outcome::eof) return;
    blank(line_, 80);
    // A read error counts as a line; what was read of it is looked at like any other line.
    if (got == recio::Outcome::ok) recio::read(a, rec_, {recio::In(line_)});
    csr(line_, len_, 2, 80);
    // A Heidelberg file opens with a HEADER: or DATA: line.
    if (before_text && len_ > 0) {
      before_text = false;
      if (got == recio::Outcome::ok && fh::looks_like(rec_)) {
        guess = 'H';
        return;
      }
    }
    const char probe = len_ > 0 ? line_[static_cast<std::size_t>(len_ - 1)] : ' ';
    if (probe == '~' || line_[0] == '|' || probe == '@') {
      guess = 'C';
      return;
    }
  }
  // The eighth line alone decides between measurements and indices.
  if (value_columns_blank()) {
    guess = 'M';
    return;
  }
  for (icol_ = 11; icol_ <= 74; icol_ += 7) {
    if (line_.compare(static_cast<std::size_t>(icol_ - 1), 4, "9990") == 0) {
      guess = 'I';
      return;
    }
  }
  // A decade line whose fields are separated by tabs or blanks is judged with its fields
  // placed in the fixed columns.
  if (got != recio::Outcome::ok || reads_in_fixed_measurement_columns(line_)) return;
  const std::optional<LooseDecadeLine> loose = read_loose_decade(rec_);
  if (!loose) return;
  line_ = in_fixed_columns(*loose);
  if (value_columns_blank()) guess = 'M';
}

// Columns 13, 19, ..., 73 of the line (the first column of every value field) are blank.
bool Qforma::value_columns_blank() {
  for (icol_ = 13; icol_ <= 73; icol_ += 6) {
    if (line_[static_cast<std::size_t>(icol_ - 1)] != ' ') return false;
  }
  return true;
}

}  // namespace ringdate
