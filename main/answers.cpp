#include "main/answers.h"

#include <algorithm>
#include <optional>

#include "formats/heidelberg.h"
#include "formats/loose_decade.h"

namespace ringdate {

void blank(std::string& field, int32_t w) {
  if (w <= 0) return;
  const auto n = static_cast<std::size_t>(w);
  if (field.size() < n) field.resize(n, ' ');
  std::fill(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(n), ' ');
}

void csr(std::string_view text, int32_t& n, int32_t option, int32_t w) {
  n = 0;
  if (option != 2) return;
  for (int32_t i = std::min<int32_t>(w, static_cast<int32_t>(text.size())); i >= 1; --i) {
    if (text[static_cast<std::size_t>(i - 1)] != ' ') {
      n = i;
      return;
    }
  }
}

void intfrm(std::string& text, std::string& layout) {
  const std::size_t wt = text.size();
  // Blanks before the first non-blank character, and the non-blank characters in all.
  std::size_t lead = 0;
  while (lead < wt && text[lead] == ' ') ++lead;
  if (lead == wt) lead = 0;
  const auto c = static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char ch) { return ch != ' '; }));
  if (lead > 0) {
    // The c characters after the lead are taken as one run (lead + c never exceeds wt).
    for (std::size_t k = 0; k < c; ++k) text[k] = text[lead + k];
    for (std::size_t k = c; k < wt; ++k) text[k] = ' ';
  }
  const std::string built = "(I" + std::to_string(c) + ")";
  blank(layout, static_cast<int32_t>(std::max(layout.size(), built.size())));
  layout.replace(0, built.size(), built);
}

bool read_intfrm(const std::string& text, const std::string& layout, int32_t& value) {
  const auto end = layout.find(')');
  if (end == std::string::npos) return false;
  const auto compiled = recio::Layout::compile(std::string_view(layout).substr(0, end + 1));
  if (!compiled) return false;
  int32_t v = 0;
  if (recio::read(*compiled, text, {recio::In(v)}) != recio::Outcome::ok) return false;
  value = v;
  return true;
}

bool Query::operator()(int32_t& choice) {
  static const recio::Layout menu = recio::Layout::fixed(
      "(/5X,'Tree-ring measurement types (/ to exit, H for help):'"
      "/5X,'Raw measurements  (TUCSON format)',T45,'1'"
      "/5X,'Tree-ring indices (TUCSON format)',T45,'2'"
      "/5X,'Enter your data format type',T40,'==>  ',$)");
  for (;;) {
    blank(answer_, 10);
    s_->write(menu);
    answer_ = s_->answer(10);
    if (answer_[0] == '/') return false;
    intfrm(answer_, layout_);
    int32_t n = 0;
    if (!read_intfrm(answer_, layout_, n)) continue;
    if (n >= 1 && n <= 4) {
      choice = n;
      return true;
    }
  }
}

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
