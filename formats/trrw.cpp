#include "formats/trrw.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/limits.h"
#include "formats/decade_lines.h"
#include "formats/loose_decade.h"

namespace ringdate {
namespace {

constexpr std::size_t kLine = 80;

// Copies `from` into `to` over the first `n` characters, keeping `to`'s width.
void copy_into(std::string& to, std::string_view from, std::size_t n) {
  n = std::min({n, to.size()});
  for (std::size_t i = 0; i < n; ++i) to[i] = i < from.size() ? from[i] : ' ';
}

bool blank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Measurement or index layout, as an 80-column line shows it, starting from the layout
// given: index values fill columns 73-80 (the last count), measurements leave them blank; a
// line without a character in any value column counts as measurements.
std::string_view detect_layout(std::string_view line, std::string_view given) {
  for (std::size_t c = 13; c <= 73; c += 6) {
    if (line[c - 1] != ' ') return blank(line.substr(72, 8)) ? given : "IR";
  }
  return "MR";
}

// The layout a line starts from: the first two characters of the mode copy.
std::array<char, 2> layout_given(const std::string& mode) {
  return {mode.size() > 0 ? mode[0] : ' ', mode.size() > 1 ? mode[1] : ' '};
}

void set_layout(std::string& mode, std::string_view lay) {
  if (mode.size() >= 2) {
    mode[0] = lay[0];
    mode[1] = lay[1];
  }
}

}  // namespace

void Trrw::echo(int iecho, const recio::Layout& layout, std::string_view text) {
  recio::Records r = recio::write(layout, {recio::Out(text)});
  for (const std::string& l : r.lines) s_->units().write_line(iecho, l);
}

void Trrw::write_records(int iunit, const recio::Records& r) {
  for (const std::string& l : r.lines) s_->units().write_line(iunit, l);
}

Refused Trrw::operator()(std::string& id, int32_t& ifyr, int32_t& nval, std::span<float> vals,
                         std::span<int32_t> icnt, int32_t& nread, int iunit, int iecho,
                         std::string& mode, std::string& title, const std::string& ltag,
                         int32_t maxlen, std::array<std::string, 3>& hdr) {
  std::fill(title.begin(), title.end(), ' ');

  std::string_view m = std::string_view(mode).substr(0, 2);
  if (m == "IR") {
    store_counts_ = std::string_view(id).substr(0, 6) != "******";
  } else if (m == "MW" || m == "IW" || m == "CR") {
    // The lines go straight into the unit's text (a unit not open for writing takes none).
    if (recio::Text* out = s_->units().output(iunit)) {
      if (m == "MW")
        write_measurement_series(*out, id, ifyr, nval, vals, ltag);
      else
        write_index_series(*out, id, ifyr, nval, vals, icnt, ltag, m == "CR");
    }
    return std::nullopt;
  }
  // Values are stored only while they fit the caller's buffers; the count goes on.
  const std::size_t nstore =
      maxlen > 0 ? std::min(vals.size(), static_cast<std::size_t>(maxlen)) : vals.size();
  Series series{vals.first(nstore), icnt, id, ifyr, nval, mode, title, hdr, iunit, iecho, maxlen};
  return read(series, nread);
}

// Reads one series: lines up to its end marker, the end of the file, or a self-formatted
// block. Blank lines are passed over; lines that are no decade line are text lines.
Refused Trrw::read(Series& s, int32_t& nread) {
  s.nval = 0;
  nread = std::max(nread, 0) + 1;
  if (nread == 1)
    for (std::string& h : s.hdr) std::fill(h.begin(), h.end(), ' ');
  int32_t ndata = 0, ntext = 0;
  for (;;) {
    if (s_->units().read_line(s.iunit, record_) != recio::Outcome::ok) {
      end_of_file(s, nread);
      return std::nullopt;
    }
    line_.assign(record_, 0, std::min(kLine, record_.size()));
    line_.resize(kLine, ' ');
    if (blank(line_)) continue;
    if (s.nval == 0 && line_[79] == '#') {
      read_block(s);
      return std::nullopt;
    }
    const std::array<char, 2> given = layout_given(s.mode);
    bool index = index_layout(s.mode);
    bool data = parse_decade_line(index);
    // A line that fails the fixed columns may hold its fields separated by tabs or blanks.
    if (!data && read_loose_line(std::string_view(given.data(), 2), s.mode)) {
      index = false;
      data = true;
    }
    if (!data) {
      ++ntext;
      if (ntext > 25)
        return Refusal{RefusalKind::tucson_text_lines, {}, {}, "Sbr TRRW:  Over 25 text lines"};
      text_line(s, ntext);
      continue;
    }
    ++ndata;
    if (ndata == 1) {
      s.id.assign(pid_);
      s.ifyr = pyr_;
    }
    if (take_values(s, index, ndata == 1 ? first_line_count(pyr_) : 10)) return std::nullopt;
  }
}

// The end of the file. A series cut short by it keeps the values read, less the blank
// fields that ended its last line; the next call meets the end again and reports it.
void Trrw::end_of_file(Series& s, int32_t& nread) {
  int32_t tail = 0;
  for (int32_t i = s.hi; i >= s.lo && i >= 1; --i) {
    if (!blank(decade_field(data_line_, s.last_index, i))) break;
    ++tail;
  }
  s.nval -= std::min(s.nval, tail);
  if (s.nval > 0) return;
  s.nval = -999;
  nread = -999;
}

// Field i (1..10) of a decade line: a value of six columns, or a value and count of seven.
std::string_view Trrw::decade_field(std::string_view line, bool index, int32_t i) {
  return index ? line.substr(static_cast<std::size_t>(10 + 7 * (i - 1)), 7)
               : line.substr(static_cast<std::size_t>(12 + 6 * (i - 1)), 6);
}

// A self-formatted block: datar reads it from its marker line on.
void Trrw::read_block(Series& s) {
  static const recio::Layout block_echo = recio::Layout::fixed("(/T10,'Title of data:  ',A/)");
  s_->units().backspace(s.iunit);
  datar_(line_, s.nval, s.vals, s.ifyr, s.iunit, s.maxlen);
  s.id.assign(line_, 0, 8);
  if (s.iecho > 0) echo(s.iecho, block_echo, line_);
}

// Measurement or index layout, as this line shows it; the caller's mode copy takes it.
bool Trrw::index_layout(std::string& mode) {
  const std::array<char, 2> given = layout_given(mode);
  const std::string_view lay = detect_layout(line_, std::string_view(given.data(), 2));
  set_layout(mode, lay);
  return lay == "IR";
}

// Parses the line as a decade line into pid_, pyr_, pv_ (and pc_ for indices); the width
// of the year follows the position of a minus sign. False: the line is no decade line.
bool Trrw::parse_decade_line(bool index) {
  if (index) {
    const bool ok = read_index_line(line_,
                                    line_[5] == '-'   ? 5
                                    : line_[4] == '-' ? 6
                                                      : 4,
                                    pid_, pyr_, pv_, pc_) == recio::Outcome::ok;
    pid_[6] = ' ';
    pid_[7] = ' ';
    return ok;
  }
  return read_measurement_line(line_,
                               line_[7] == '-'   ? 5
                               : line_[6] == '-' ? 6
                                                 : 4,
                               pid_, pyr_, pv_) == recio::Outcome::ok;
}

// Takes the current record as a decade line whose fields are separated by tabs or blanks:
// it reads as its fields placed in the fixed columns would, where it must be a measurement
// line. The parsed fields are set and line_ becomes that fixed-column form. False: no such
// line.
bool Trrw::read_loose_line(std::string_view given, std::string& mode) {
  const std::optional<LooseDecadeLine> loose = read_loose_decade(record_);
  if (!loose) return false;
  std::string fixed = in_fixed_columns(*loose);
  if (detect_layout(fixed, given) != "MR") return false;
  pid_.assign(loose->id);
  pid_.resize(8, ' ');
  pyr_ = loose->year;
  pv_ = loose->values;
  line_ = std::move(fixed);
  set_layout(mode, "MR");
  return true;
}

// A text line before the series' data: the first one is the title (shown and kept, and
// the first header line), the second and third are header lines too.
void Trrw::text_line(Series& s, int32_t ntext) {
  static const recio::Layout title_first = recio::Layout::fixed("(/1X,'Title of data:'/1X,A)");
  static const recio::Layout title_echo = recio::Layout::fixed("(/T10,'Title of data:'/1X,A)");
  static const recio::Layout text = recio::Layout::fixed("(1X,A)");
  if (ntext == 1) {
    if (s.iecho > 0) write_records(s.iecho, recio::write(title_echo, {recio::Out(line_)}));
    s_->write(title_first, {recio::Out(line_)});
    copy_into(s.title, line_, std::min(kLine, s.title.size()));
    copy_into(s.hdr[0], line_, kLine);
  } else {
    if (s.iecho > 0) echo(s.iecho, text, line_);
    if (ntext <= 3) copy_into(s.hdr[static_cast<std::size_t>(ntext - 1)], line_, kLine);
    s_->write(text, {recio::Out(line_)});
  }
}

// Takes the values of the decade line just parsed: n fields (the first line of a series
// may hold fewer than ten), measurements in hundredths (thousandths when the series ends
// with the thousandths marker) or indices in thousandths with their counts. True when the
// line ends the series.
bool Trrw::take_values(Series& s, bool index, int32_t n) {
  data_line_ = line_;
  s.last_index = index;
  s.lo = index ? 11 - n : 1;
  s.hi = 0;
  int32_t nval = s.nval;  // a local count: the loop need not reload it through the reference
  const std::size_t nstore = s.vals.size();
  bool ended = false;
  if (!index) {
    for (int32_t i = 1; i <= n; ++i) {
      const int32_t v = pv_[static_cast<std::size_t>(i - 1)];
      if (v == end_thousandths) {
        const std::size_t ns = std::min(static_cast<std::size_t>(nval), nstore);
        for (std::size_t k = 0; k < ns; ++k) s.vals[k] *= 0.1f;
        ended = true;
        break;
      }
      if (v == end_hundredths) {
        ended = true;
        break;
      }
      s.hi = i;
      ++nval;
      if (static_cast<std::size_t>(nval) <= nstore)
        s.vals[static_cast<std::size_t>(nval - 1)] = static_cast<float>(v) * 0.01f;
    }
  } else {
    for (int32_t i = 11 - n; i <= 10; ++i) {
      const int32_t v = pv_[static_cast<std::size_t>(i - 1)];
      if (v >= 9990) {
        ended = true;
        break;
      }
      s.hi = i;
      ++nval;
      if (static_cast<std::size_t>(nval) <= nstore)
        s.vals[static_cast<std::size_t>(nval - 1)] = static_cast<float>(v) * 0.001f;
      if (store_counts_ && static_cast<std::size_t>(nval) <= s.icnt.size())
        s.icnt[static_cast<std::size_t>(nval - 1)] = pc_[static_cast<std::size_t>(i - 1)];
    }
  }
  s.nval = nval;
  return ended;
}

}  // namespace ringdate
