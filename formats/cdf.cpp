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
Refusal Cdf::fail(RefusalKind kind, const recio::Layout& layout, const std::string& id,
                  int32_t ifyr, int32_t nval) {
  return refusal(
      kind, layout,
      {recio::Out(id), recio::Out(ifyr), recio::Out(nval), recio::Out(fmt_), recio::Out(line_)});
}

Refused Cdf::operator()(std::string& id, std::span<float> vals, int32_t& ifyr, int32_t& nval,
                        int32_t& nread, int iunit, int32_t maxlen, std::string& title) {
  static const recio::Layout i3 = recio::Layout::fixed("(I3)");
  static const recio::Layout too_long = recio::Layout::fixed(
      "(/T2,'*** Series length exceeds maximum allowable ','length: ',A8,2X,I0,' > ',I0)");
  static const recio::Layout exponent_error =
      recio::Layout::fixed("(/T2,'*** Exponent read error in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");

  // 1-3: the header.
  bool found = false;
  if (Refused r = find_header(id, ifyr, nval, iunit, title, found)) return r;
  if (!found) {
    nval = -999;
    nread = -999;
    return std::nullopt;
  }

  // 4: the length limit, before any value is read.
  if (nval > maxlen)
    return refusal(RefusalKind::compact_too_long, too_long,
                   {recio::Out(id), recio::Out(nval), recio::Out(maxlen)});

  // 5: exponent and layout of the data lines.
  fmt_ = line_.substr(71, 8);
  if (recio::read(i3, std::string_view(line_).substr(68, 3), {recio::In(e_)}) != recio::Outcome::ok)
    return fail(RefusalKind::compact_exponent, exponent_error, id, ifyr, nval);

  // 6: N reals with the header's layout.
  if (Refused r = read_values(id, vals, ifyr, nval, iunit)) return r;

  // 7-8: scale and count the series.
  const float scale = compact::ten_to(e_);
  const std::size_t stored = std::min(static_cast<std::size_t>(std::max(nval, 0)), vals.size());
  for (std::size_t i = 0; i < stored; ++i) vals[i] *= scale;
  nread += 1;
  return std::nullopt;
}

// Reads lines up to the next header (found; false at the end of the file). Blank lines are
// passed over; the first line that is no header is the title (shown), the next two are
// shown too, a fourth refuses the file.
Refused Cdf::find_header(std::string& id, int32_t& ifyr, int32_t& nval, int iunit,
                         std::string& title, bool& found) {
  static const recio::Layout titled = recio::Layout::fixed("(/1X,'Title of data:'/1X,A)");
  static const recio::Layout echoed = recio::Layout::fixed("(1X,A)");
  static const recio::Layout header_error = recio::Layout::fixed(
      "(/T2,'*** Header line read error in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");
  title.assign(title.size(), ' ');
  int unreadable = 0;
  found = false;
  for (;;) {
    line_.assign(80, ' ');
    id.assign(8, ' ');
    fmt_.assign(8, ' ');
    if (s_->units().read_line(iunit, record_) != recio::Outcome::ok) return std::nullopt;
    line_ = compact::line80(record_);
    if (compact::last_nonblank(line_) == 0) continue;  // a blank line is no header
    if (header_line(id, ifyr, nval)) {
      found = true;
      return std::nullopt;
    }
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
}

// The header in its fixed columns, else (a line marked "~") by its "=" signs.
bool Cdf::header_line(std::string& id, int32_t& ifyr, int32_t& nval) {
  static const recio::Layout header = recio::Layout::fixed("(1X,I7,2X,I8,3X,A8)");
  if (recio::read(header, line_, {recio::In(nval), recio::In(ifyr), recio::In(id)}) ==
      recio::Outcome::ok)
    return true;
  if (line_[79] != '~') return false;
  int32_t n = 0, y = 0;
  std::string name(8, ' ');
  if (!compact::read_by_equals(line_, 80, n, y, name)) return false;
  nval = n;
  ifyr = y;
  id = name;
  return true;
}

// The nval values of the series with the header's layout; values beyond the caller's
// buffer are read but not kept.
Refused Cdf::read_values(const std::string& id, std::span<float> vals, int32_t ifyr, int32_t nval,
                         int iunit) {
  static const recio::Layout data_error =
      recio::Layout::fixed("(/T2,'*** Error reading data in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");
  static const recio::Layout data_end = recio::Layout::fixed(
      "(/T2,'*** Unexpected end of data in Sbr CDF: '/1X,A8,1X,2I6,2X,A8/1X,A)");
  recio::Units& units = s_->units();
  const std::size_t count = nval > 0 ? static_cast<std::size_t>(nval) : 0;
  items_.clear();
  for (std::size_t i = 0; i < count; ++i) items_.emplace_back(i < vals.size() ? vals[i] : sink_);
  const std::optional<recio::Layout> layout = recio::Layout::compile(fmt_);
  const recio::Outcome got =
      layout ? recio::read(*layout, units.source(iunit), items_) : recio::Outcome::error;
  if (got == recio::Outcome::ok) return std::nullopt;
  // The record that failed (after an end of file: the last one read) becomes the line.
  units.backspace(iunit);
  if (units.read_line(iunit, record_) == recio::Outcome::ok) line_ = compact::line80(record_);
  if (got == recio::Outcome::eof)
    return fail(RefusalKind::compact_data_end, data_end, id, ifyr, nval);
  return fail(RefusalKind::compact_data, data_error, id, ifyr, nval);
}

}  // namespace ringdate
