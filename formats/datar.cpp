#include "formats/datar.h"

#include <algorithm>
#include <optional>

namespace ringdate {

void Datar::operator()(std::string& line, int32_t& nval, std::span<float> vals, int32_t& ifyr,
                       int iunit, int32_t maxlen) {
  (void)maxlen;  // the buffer's own size bounds the values stored
  static const recio::Layout header = recio::Layout::fixed("(2(2X,I8),T23,A)");
  for (;;) {
    // Step 1: the next line.
    if (s_->units().read_line(iunit, rec_) != recio::Outcome::ok) {
      nval = -999;
      return;
    }
    if (rec_.size() > 80) rec_.resize(80);
    // Step 2: a header beginning with "N" and two blanks is not copied into the line.
    std::string_view r(rec_);
    std::string_view r3 = r.substr(0, 3);
    bool nhead = r3.size() >= 1 && r3[0] == 'N' && (r3.size() < 2 || r3[1] == ' ') &&
                 (r3.size() < 3 || r3[2] == ' ');
    if (!nhead) {
      for (std::size_t i = 0; i < line.size(); ++i) line[i] = i < r.size() ? r[i] : ' ';
    }
    // Steps 3 and 4: the header, with a layout text holding both parentheses.
    std::fill(fmt_.begin(), fmt_.end(), ' ');
    int32_t n = 0, fy = 0;
    if (recio::read(header, r, {recio::In(n), recio::In(fy), recio::In(fmt_)}) !=
        recio::Outcome::ok)
      continue;
    nval = n;
    ifyr = fy;
    if (fmt_.find('(') == std::string::npos || fmt_.find(')') == std::string::npos) continue;
    break;
  }

  // Step 5: the values in the block's own layout, as one list. No more values are read than
  // the buffer holds: nval keeps the header's count, so the caller's length test sees it.
  std::optional<recio::Layout> layout = recio::Layout::compile(fmt_);
  if (!layout) {
    s_->line(">> Sbr DATAR:  Error reading data");
    return;
  }
  const std::size_t nread = nval > 0 ? static_cast<std::size_t>(nval) : 0;
  const std::size_t nstore = std::min(nread, vals.size());
  items_.clear();
  items_.reserve(nstore);
  for (std::size_t i = 0; i < nstore; ++i) items_.emplace_back(vals[i]);
  recio::Outcome got = recio::read(*layout, s_->units().source(iunit), items_);
  // Step 6.
  if (got == recio::Outcome::error)
    s_->line(">> Sbr DATAR:  Error reading data");
  else if (got == recio::Outcome::eof)
    s_->line(">> Sbr DATAR:  Unexpected end reading data");
}

}  // namespace ringdate
