#include "formats/trrw.h"

#include <algorithm>
#include <cstring>
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

// Looked at from its end: a field's value stands at its right, so a field that is not
// blank mostly shows it at the first character looked at.
bool blank(std::string_view s) {
  return std::all_of(s.rbegin(), s.rend(), [](char c) { return c == ' ' || c == '\t'; });
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

// line_ becomes the record's first 80 columns, blank-padded.
void Trrw::to_line(std::string_view record) {
  static constexpr char blanks[kLine + 1] =
      "                                                                                ";
  line_.resize(kLine);
  std::memcpy(line_.data(), blanks, kLine);
  std::memcpy(line_.data(), record.data(), std::min(kLine, record.size()));
}

// Reads one series: lines up to its end marker, the end of the file, or a self-formatted
// block. Blank lines are passed over; lines that are no decade line are text lines.
Refused Trrw::read(Series& s, int32_t& nread) {
  s.nval = 0;
  if (nread <= 0) {
    pending_.clear();
    line_no_ = unit_lines_ = 0;
    thousandths_ = false;
  }
  nread = std::max(nread, 0) + 1;
  if (nread == 1)
    for (std::string& h : s.hdr) std::fill(h.begin(), h.end(), ' ');
  int32_t ndata = 0, ntext = 0;
  for (;;) {
    if (!next_record(s.iunit)) {
      end_of_file(s, nread);
      note(s);
      return std::nullopt;
    }
    to_line(record_);
    if (blank(line_)) continue;
    if (s.nval == 0 && line_[79] == '#' && record_from_unit_) {
      read_block(s);
      return std::nullopt;
    }
    const std::array<char, 2> given = layout_given(s.mode);
    bool index = false;
    if (!parse_record(given, s.mode, index)) {
      ++ntext;
      if (ntext > 25)
        return Refusal{RefusalKind::tucson_text_lines, {}, {}, "Sbr TRRW:  Over 25 text lines"};
      text_line(s, ntext);
      continue;
    }
    ++ndata;
    int32_t year = pyr_;
    int32_t n = 10;
    int32_t lo = 1;  // the position of the line's year: positions lo..lo+n-1 are its years
    if (ndata == 1) {
      s.id.assign(pid_);
      s.ifyr = pyr_;
      n = first_line_count(pyr_);
      if (index) lo = 11 - n;
    } else if (pid_ != s.id && pyr_ != s.next_year) {
      // Another identifier whose year does not go on from the series: the series ended
      // without its end marker, and this line is the next series' first.
      pending_.push_front({record_, line_no_, !record_from_unit_});
      s.unmarked_before = line_no_;
      s.last_index = index;
      if (!index && thousandths_) to_thousandths(s, s.nval);
      note(s);
      return std::nullopt;
    } else if (pid_ == s.id) {
      if (Refused r = place_line(s, index, year)) return r;
      n = first_line_count(year);
      if (index) {
        lo = index_start(line_, year);
        n = 11 - lo;
      }
    }
    if (!index) {
      // A line may hold more values than the rest of its decade: they are its years too.
      for (int32_t i = 10; i > n; --i)
        if (!field_blank(false, i)) {
          n = i;
          break;
        }
    }
    s.next_year = year + n;
    s.held_end = year;
    for (int32_t i = lo + n - 1; i >= lo; --i)
      if (held(index, i)) {
        s.held_end = year + (i - lo) + 1;
        break;
      }
    if (take_values(s, index, lo, n, year)) {
      note(s);
      return std::nullopt;
    }
  }
}

// Field i of the current line holds a value: it is not blank, nor, on an index line, the
// fill value.
bool Trrw::held(bool index, int32_t i) const {
  if (field_blank(index, i)) return false;
  return !index || pv_[static_cast<std::size_t>(i - 1)] < 9990;
}

// The position of its year on a later index line that starts within a decade: where the
// fill before it stands in the decade's positions ("  std1735" after five pairs of 9990 or
// blanks), else the first position (a line that starts at its first value, as a chronology
// with a gap is written by some programs).
int32_t Trrw::index_start(std::string_view line, int32_t year) {
  const int32_t before = 10 - first_line_count(year);
  for (int32_t i = 1; i <= before; ++i) {
    const std::string_view f = decade_field(line, true, i);
    if (!blank(f) && f.substr(0, 4) != "9990") return 1;
  }
  return before + 1;
}

// The next record to read: one read ahead or split off before, else the unit's next. A
// glued record keeps its first line; its second waits for the next call.
bool Trrw::next_record(int iunit) {
  if (!pending_.empty()) {
    Pending p = std::move(pending_.front());
    pending_.pop_front();
    record_ = std::move(p.record);
    line_no_ = p.line_no;
    record_from_unit_ = !p.split && pending_.empty();
  } else {
    // The record is looked at where the unit holds it and copied once, cut when glued.
    std::string_view view;
    if (s_->units().read_view(iunit, view) != recio::Outcome::ok) return false;
    line_no_ = ++unit_lines_;
    record_from_unit_ = true;
    if (!glued_line_start(view)) {
      record_.assign(view);
      return true;
    }
    record_.assign(view);
  }
  if (const std::optional<std::size_t> at = glued_line_start(record_)) {
    // The second part waits for its turn when it is a decade line of its own; text after
    // the end marker is dropped.
    std::string rest = record_.substr(*at);
    if (read_loose_decade(rest)) pending_.push_front({std::move(rest), line_no_, true});
    record_.resize(*at);
    record_from_unit_ = false;
  }
  return true;
}

// Parses line_ (and the whole record_) as a decade line into pid_, pyr_, pv_ (pc_);
// `index`: it is an index line. False: the line is no decade line.
bool Trrw::parse_record(const std::array<char, 2>& given, std::string& mode, bool& index) {
  index = index_layout(mode);
  const bool data = parse_decade_line(index);
  // A line that fails the fixed columns, or whose fixed reading cuts its fields, may hold
  // its fields separated by tabs or blanks. The fields of an index line read in index mode
  // never fall on the measurement columns: its fixed reading stands.
  const bool fixed_index = data && index && given[0] == 'I';
  if ((!data || (!fixed_index && prefer_fields())) &&
      read_loose_line(std::string_view(given.data(), 2), mode)) {
    index = false;
    return true;
  }
  if (data)
    for (char& c : pid_)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  return data;
}

// The fixed-column reading of a Tucson measurement file's line is not to be trusted: its
// blank-separated fields do not fall on the columns, its year field is blank, or its
// identifier field holds a control character.
bool Trrw::prefer_fields() const {
  const int yw = line_[7] == '-' ? 5 : line_[6] == '-' ? 6 : 4;
  const auto idw = static_cast<std::size_t>(12 - yw);
  for (std::size_t c = 0; c < idw; ++c) {
    const auto u = static_cast<unsigned char>(line_[c]);
    if (u < 0x20 || u == 0x7f) return true;
  }
  // A line whose value fields all start with a blank has none off the columns.
  return blank(std::string_view(line_).substr(idw, static_cast<std::size_t>(yw))) ||
         (!(fields_.seen && fields_.plain) && off_fixed_columns(line_, yw));
}

// The identifier and year of the next data line, read ahead (blank lines passed over); the
// records read stay for their turn. nullopt at the end of the file or before a text line.
std::optional<Trrw::Ahead> Trrw::look_ahead(int iunit, const std::string& mode) {
  for (std::size_t k = 0;; ++k) {
    if (k == pending_.size()) {
      std::string r;
      if (s_->units().read_line(iunit, r) != recio::Outcome::ok) return std::nullopt;
      pending_.push_back({std::move(r), ++unit_lines_, false});
    }
    std::string_view rec = pending_[k].record;
    if (const std::optional<std::size_t> at = glued_line_start(rec)) rec = rec.substr(0, *at);
    if (blank(rec)) continue;
    // The parse works on the current line's fields: keep them.
    const std::string record = record_, line = line_, pid = pid_;
    const int32_t pyr = pyr_;
    const std::array<int32_t, 10> pv = pv_, pc = pc_;
    const ValueFields fields = fields_;
    std::string m = mode;
    record_.assign(rec);
    to_line(record_);
    bool index = false;
    std::optional<Ahead> out;
    if (line_[79] != '#' && parse_record(layout_given(m), m, index)) out = Ahead{pid_, pyr_};
    record_ = record;
    line_ = line;
    pid_ = pid;
    pyr_ = pyr;
    pv_ = pv;
    pc_ = pc;
    fields_ = fields;
    return out;
  }
}

// A line of the series whose year is not the one that follows from the lines before it:
// `year` becomes the year its values are taken for. A line that goes back into the series'
// years refuses the file, unless the next line shows its year for a typing error.
Refused Trrw::place_line(Series& s, bool index, int32_t& year) {
  year = pyr_;
  const int32_t expected = s.next_year;
  if (pyr_ == expected) return std::nullopt;
  // The line goes on after the last field of the line before that held a value: the blank
  // fields after it were no years.
  if (pyr_ < expected && pyr_ >= s.held_end) {
    s.gap_to = std::min(s.gap_to, pyr_ - 1);
    return std::nullopt;
  }
  const std::optional<Ahead> ahead = look_ahead(s.iunit, s.mode);
  int32_t last = 0;  // the last field with something in it
  for (int32_t i = 10; i >= 1 && last == 0; --i)
    if (!field_blank(index, i)) last = i;
  // The next line goes on from the year expected: this line's year was mistyped when it
  // is out of place between them or its values do not fit the rest of its decade.
  const bool next_follows =
      ahead && ahead->id == s.id && ahead->year == expected + first_line_count(expected);
  if (next_follows && (pyr_ < expected || pyr_ >= ahead->year || last > first_line_count(pyr_))) {
    s.retyped.emplace_back(pyr_, expected);
    year = expected;
    return std::nullopt;
  }
  if (pyr_ > expected) {
    // The years the file skips join the blank fields that ended the line before.
    if (s.gap_to < s.gap_from) s.gap_from = expected;
    s.gap_to = pyr_ - 1;
    s.gap_why = NoValue::skipped;
    return std::nullopt;
  }
  std::string id = s.id;
  id.erase(id.find_last_not_of(' ') + 1);
  return Refusal{
      RefusalKind::tucson_decade_repeated,
      {"", " *** Series " + id + " goes back to the year " + std::to_string(pyr_) + " on line " +
               std::to_string(line_no_) + " of the file: a decade it has already ***"},
      " ",
      {}};
}

// One line per series that has years without a value or a retyped year: the years the file
// skips, then those of blank fields, then those of the fill value, then the retyped lines.
void Trrw::note(const Series& s) {
  if (s.gap_years.empty() && s.retyped.empty() && s.unmarked_before == 0) return;
  std::string id = s.id;
  id.erase(id.find_last_not_of(' ') + 1);
  id.erase(0, std::min(id.find_first_not_of(' '), id.size()));
  std::string text = " *** Series " + id + ":";
  bool first = true;
  static constexpr std::pair<NoValue, const char*> whys[] = {
      {NoValue::skipped, " (the file skips them)"},
      {NoValue::blank, " (blank fields)"},
      {NoValue::fill, " (9990 in the file)"}};
  for (const auto& [why, said] : whys) {
    bool any = false;
    for (const Series::Gap& g : s.gap_years) {
      if (g.why != why) continue;
      text += any ? ", " : first ? " no values in " : "; no values in ";
      text += std::to_string(g.from);
      if (g.to > g.from) text += "-" + std::to_string(g.to);
      any = true;
    }
    if (any) text += said;
    first = first && !any;
  }
  for (const auto& [typed, taken] : s.retyped) {
    text += first ? " " : "; ";
    text += "line of year " + std::to_string(typed) + " read as " + std::to_string(taken);
    first = false;
  }
  if (s.unmarked_before > 0) {
    text += first ? " " : "; ";
    text += "no end marker before line " + std::to_string(s.unmarked_before) + " (read in " +
            (s.last_index   ? "thousandths"
             : thousandths_ ? "thousandths, as the series before it"
                            : "hundredths") +
            ")";
  }
  s_->line(text);
}

// The end of the file: a series without a value read ends the reading (the next call meets
// the end again and reports it).
void Trrw::end_of_file(Series& s, int32_t& nread) {
  if (s.nval > 0) return;
  s.nval = -999;
  nread = -999;
}

// Field i (1..10) of a decade line: a value of six columns, or a value and count of seven.
std::string_view Trrw::decade_field(std::string_view line, bool index, int32_t i) {
  return index ? line.substr(static_cast<std::size_t>(10 + 7 * (i - 1)), 7)
               : line.substr(static_cast<std::size_t>(12 + 6 * (i - 1)), 6);
}

bool Trrw::looked_blank(bool index, int32_t i) const {
  return blank(decade_field(line_, index, i));
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
    fields_ = {};
    return ok;
  }
  return read_measurement_line(line_,
                               line_[7] == '-'   ? 5
                               : line_[6] == '-' ? 6
                                                 : 4,
                               pid_, pyr_, pv_, &fields_) == recio::Outcome::ok;
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
  fields_ = {};
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

// Takes the values of the decade line just parsed, positions lo..lo+n-1 for the years from
// `year`: measurements in hundredths (thousandths when the series ends with the thousandths
// marker) or indices in thousandths with their counts. A blank field, and the fill value of
// an index line, is a year without a value. True when the line ends the series.
bool Trrw::take_values(Series& s, bool index, int32_t lo, int32_t n, int32_t year) {
  int32_t nval = s.nval;  // a local count: the loop need not reload it through the reference
  // The common measurement line: every field holds a value, none an end marker, and no year
  // waits without one. Its values are stored one after another, as the loop below would.
  if (!index && fields_.seen && s.gap_to < s.gap_from && lo == 1 && n >= 1 && n <= 10 &&
      (fields_.blank & ((1u << n) - 1)) == 0 && no_marker(n)) {
    const auto first = static_cast<std::size_t>(nval);
    const std::size_t stored =
        first < s.vals.size() ? std::min<std::size_t>(n, s.vals.size() - first) : 0;
    for (std::size_t i = 0; i < stored; ++i) s.vals[first + i] = static_cast<float>(pv_[i]) * 0.01f;
    s.nval = nval + n;
    return false;
  }
  bool ended = false;
  for (int32_t i = lo; i < lo + n; ++i) {
    const int32_t v = pv_[static_cast<std::size_t>(i - 1)];
    const int32_t y = year + (i - lo);
    if (field_blank(index, i)) {
      no_value(s, y, NoValue::blank);
      continue;
    }
    if (index) {
      if (v >= 9990) {
        if (fill_ends(s, i)) {
          ended = true;
          break;
        }
        no_value(s, y, NoValue::fill);
        continue;
      }
      store_value(s, nval, static_cast<float>(v) * 0.001f,
                  store_counts_ ? &pc_[static_cast<std::size_t>(i - 1)] : nullptr);
      continue;
    }
    if ((v == end_thousandths || v == end_hundredths) && marker_ends(s, i, n, year)) {
      thousandths_ = v == end_thousandths;
      if (thousandths_) to_thousandths(s, nval);
      ended = true;
      break;
    }
    store_value(s, nval, static_cast<float>(v) * 0.01f, nullptr);
  }
  s.nval = nval;
  // A full index line whose record goes on with the fill pair after column 80 ends its
  // series, as a last line padded to ten pairs would.
  if (index && !ended && record_.size() >= kLine + 7 &&
      std::string_view(record_).substr(kLine, 7) == "9990  0")
    ended = true;
  return ended;
}

// None of the first n values of the line is an end marker.
bool Trrw::no_marker(int32_t n) const {
  bool any = false;
  for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
    any |= pv_[i] == end_hundredths || pv_[i] == end_thousandths;
  return !any;
}

// The values stored so far were thousandths: every value but the years without one.
void Trrw::to_thousandths(Series& s, int32_t nval) {
  const std::size_t ns = std::min(static_cast<std::size_t>(nval), s.vals.size());
  std::size_t k = 0;
  for (const auto& [from, to] : s.skipped) {
    for (; k < ns && k + 1 < static_cast<std::size_t>(from); ++k) s.vals[k] *= 0.1f;
    k = std::max(k, static_cast<std::size_t>(to));
  }
  for (; k < ns; ++k) s.vals[k] *= 0.1f;
}

// An end marker in position i of the line ends the series only when no value of the series
// follows it: on its line, or on the next line of the same series that goes on from the
// marker's year. Elsewhere it is a ring.
bool Trrw::marker_ends(Series& s, int32_t i, int32_t n, int32_t year) {
  for (int32_t j = i + 1; j <= n; ++j)
    if (!field_blank(false, j)) return false;
  const std::optional<Ahead> ahead = look_ahead(s.iunit, s.mode);
  return !(ahead && ahead->id == pid_ && ahead->year == year + i);
}

// The fill value in position i of an index line ends the series only when no value follows
// it on its line and the next line is no line of the same series that goes on from this
// one's last year. Elsewhere it is a year without a value.
bool Trrw::fill_ends(Series& s, int32_t i) {
  for (int32_t j = i + 1; j <= 10; ++j)
    if (held(true, j)) return false;
  const std::optional<Ahead> ahead = look_ahead(s.iunit, s.mode);
  return !(ahead && ahead->id == pid_ && ahead->year == s.next_year);
}

// A year without a value: it joins those waiting for the next value. Before the series'
// first value there is none to wait for: the series starts later.
void Trrw::no_value(Series& s, int32_t year, NoValue why) {
  if (s.gap_to < s.gap_from) {
    s.gap_from = year;
    s.gap_why = why;
  }
  s.gap_to = year;
}

// Stores the next value (and its count, when given), after the years without a value that
// come before it (rmiss, count 0).
void Trrw::store_value(Series& s, int32_t& nval, float v, const int32_t* count) {
  if (s.gap_to >= s.gap_from) [[unlikely]]
    fill_gap(s, nval, count != nullptr);
  ++nval;
  const auto k = static_cast<std::size_t>(nval - 1);
  if (k < s.vals.size()) s.vals[k] = v;
  if (count && k < s.icnt.size()) s.icnt[k] = *count;
}

// The years without a value that wait for the next value: rmiss (count 0 with `counts`)
// after the values stored, or, before the first, a later first year.
void Trrw::fill_gap(Series& s, int32_t& nval, bool counts) {
  if (nval == 0) {
    s.ifyr = s.gap_to + 1;
  } else {
    s.skipped.emplace_back(nval + 1, nval + (s.gap_to - s.gap_from + 1));
    s.gap_years.push_back({s.gap_from, s.gap_to, s.gap_why});
    for (int32_t y = s.gap_from; y <= s.gap_to; ++y) {
      ++nval;
      const auto k = static_cast<std::size_t>(nval - 1);
      if (k < s.vals.size()) s.vals[k] = rmiss;
      if (counts && k < s.icnt.size()) s.icnt[k] = 0;
    }
  }
  s.gap_to = s.gap_from - 1;
}

}  // namespace ringdate
