#include "main/answers.h"

#include <algorithm>

namespace ringdate {

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

}  // namespace ringdate
