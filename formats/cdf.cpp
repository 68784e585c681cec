#include "formats/cdf.h"

#include <algorithm>
#include <optional>

#include "formats/datr.h"

namespace ringdate {

namespace {

void put_text(std::string& field, std::string_view text) {
  std::size_t width = field.size();
  field.assign(text.substr(0, std::min(text.size(), width)));
  field.resize(width, ' ');
}

}  // namespace

// A failure message: heading, the series' particulars, the current line.
Refusal Cdf::fail(RefusalKind kind, const recio::Layout& layout, const std::string& id, int32_t ifyr,
                  int32_t nval) {
  return refusal(kind, layout,
                 {recio::Out(id), recio::Out(ifyr), recio::Out(nval), recio::Out(fmt_), recio::Out(line_)});
}

Refused Cdf::operator()(std::string& id, std::span<float> vals, int32_t& ifyr, int32_t& nval,
                        int32_t& nread, int iunit, int32_t maxlen, std::string& title) {
  static const recio::Layout header = recio::Layout::fixed("(1X,I7,2X,I8,3X,A8)");
  static const recio::Layout i3 = recio::Layout::fixed("(I3)");
  static const recio::Layout titled = recio::Layout::fixed("(/1X,'Title of data:'/1X,A)");
  static const recio::Layout echoed = recio::Layout::fixed("(1X,A)");
  static const recio::Layout header_error = recio::Layout::fixed(
      "(/T2,'*** Header line read error in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");
  static const recio::Layout too_long = recio::Layout::fixed(
      "(/T2,'*** Series length exceeds maximum allowable ','length: ',A8,2X,I4,' > ',I4)");
  static const recio::Layout exponent_error = recio::Layout::fixed(
      "(/T2,'*** Exponent read error in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");
  static const recio::Layout data_error =
      recio::Layout::fixed("(/T2,'*** Error reading data in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");
  static const recio::Layout data_end = recio::Layout::fixed(
      "(/T2,'*** Unexpected end of data in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");

  recio::Units& units = s_->units();
  title.assign(title.size(), ' ');
  int unreadable = 0;
  std::string record;
  for (;;) {
    // 1-2: the next line.
    line_.assign(80, ' ');
    id.assign(8, ' ');
    fmt_.assign(8, ' ');
    if (units.read_line(iunit, record) != recio::Outcome::ok) {
      nval = -999;
      nread = -999;
      return std::nullopt;
    }
    line_ = compact::line80(record);
    if (compact::last_nonblank(line_) == 0) continue;  // a blank line is no header

    // 3: the header in its fixed columns, else (marked "~") by its "=" signs.
    recio::Outcome got = recio::read(header, line_, {recio::In(nval), recio::In(ifyr), recio::In(id)});
    if (got != recio::Outcome::ok && line_[79] == '~') {
      int32_t n = 0, y = 0;
      std::string name(8, ' ');
      if (compact::read_by_equals(line_, 80, n, y, name)) {
        nval = n;
        ifyr = y;
        id = name;
        got = recio::Outcome::ok;
      }
    }
    if (got == recio::Outcome::ok) break;

    ++unreadable;
    if (unreadable == 1) {
      s_->write(titled, {recio::Out(line_)});
      put_text(title, line_);
    } else if (unreadable <= 3) {
      s_->write(echoed, {recio::Out(line_)});
    } else {
      return fail(RefusalKind::compact_header, header_error, id, ifyr, nval);
    }
  }

  // 4: the length limit, before any value is read.
  if (nval > maxlen)
    return refusal(RefusalKind::compact_too_long, too_long, {recio::Out(id), recio::Out(nval), recio::Out(maxlen)});

  // 5: exponent and layout of the data lines.
  fmt_ = line_.substr(71, 8);
  if (recio::read(i3, std::string_view(line_).substr(68, 3), {recio::In(e_)}) != recio::Outcome::ok)
    return fail(RefusalKind::compact_exponent, exponent_error, id, ifyr, nval);

  // 6: N reals with the header's layout.
  std::size_t count = nval > 0 ? static_cast<std::size_t>(nval) : 0;
  items_.clear();
  for (std::size_t i = 0; i < count; ++i) items_.emplace_back(i < vals.size() ? vals[i] : sink_);
  std::optional<recio::Layout> layout = recio::Layout::compile(fmt_);
  recio::Outcome got = layout ? recio::read(*layout, units.source(iunit), items_) : recio::Outcome::error;
  if (got != recio::Outcome::ok) {
    // The record that failed (after an end of file: the last one read) becomes the line.
    units.backspace(iunit);
    if (units.read_line(iunit, record) == recio::Outcome::ok) line_ = compact::line80(record);
    if (got == recio::Outcome::eof) return fail(RefusalKind::compact_data_end, data_end, id, ifyr, nval);
    return fail(RefusalKind::compact_data, data_error, id, ifyr, nval);
  }

  // 7-8: scale and count the series.
  float scale = compact::ten_to(e_);
  std::size_t stored = std::min(count, vals.size());
  for (std::size_t i = 0; i < stored; ++i) vals[i] *= scale;
  nread += 1;
  return std::nullopt;
}

}  // namespace ringdate
