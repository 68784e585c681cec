// Tucson decadal format: reads one series ("MR" measurements, "IR" indices) or writes one
// ("MW", "IW", or "CR" for the UEA CRU layout). A block marked "#" in column 80 is handed
// to datar. A line that does not read in the fixed columns but holds its fields separated
// by tabs or blanks is read as those fields placed in the fixed columns (loose_decade.h);
// so is a line whose blank-separated fields do not fall on the fixed columns, whose year
// field is blank or whose identifier field holds a control character, when its fields read
// as a decade line. A record that holds an end marker followed by another line is read as
// two lines. Within a series the year of each line is the truth, on measurement and index
// lines alike: years a line skips have no value (rmiss), a line whose year is a typing
// error (the next line follows on from the year expected) is taken as that year, and a
// line that goes back to a decade the series has refuses the file. A later index line that
// starts within a decade holds its first year in its first position, unless fill pairs
// stand before it in the decade's positions. Blank fields inside a series, and the index
// fill value 9990 where a value of the series follows it, are years without a value. The
// A line of another identifier whose year does not go on from the series ends the series
// without its end marker (in the precision of the file's series before it) and starts the
// next. The console gets one note per series for years without a value, retyped years and
// a missing end marker.
// The reader's count-storing switch and header lines live in this object for the
// whole run.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "formats/datar.h"
#include "formats/decade_lines.h"
#include "formats/refusal.h"
#include "recio/session.h"

namespace ringdate {

class Trrw {
 public:
  explicit Trrw(recio::Session& session) : s_(&session), datar_(session) {}

  // One call reads or writes one series; arguments as the format's contract lists them.
  // `vals` and `icnt` are the caller's buffers; nothing is stored past their ends, while
  // `nval` still reports the series' true count. Reading refuses a file whose series is
  // preceded by more than 25 text lines; writing never refuses.
  Refused operator()(std::string& id, int32_t& ifyr, int32_t& nval, std::span<float> vals,
                     std::span<int32_t> icnt, int32_t& nread, int iunit, int iecho,
                     std::string& mode, std::string& title, const std::string& ltag, int32_t maxlen,
                     std::array<std::string, 3>& hdr);

 private:
  // Why a year inside a series has no value: the file has no line for it, its field is
  // blank, or it holds the index layout's fill value 9990.
  enum class NoValue { skipped, blank, fill };
  // The series being read: the caller's fields and buffers, and where its last data line
  // ended.
  struct Series {
    std::span<float> vals;  // cut to what may be stored
    std::span<int32_t> icnt;
    std::string& id;
    int32_t& ifyr;
    int32_t& nval;
    std::string& mode;
    std::string& title;
    std::array<std::string, 3>& hdr;
    int iunit;
    int iecho;
    int32_t maxlen;
    int32_t next_year = 0;  // the year after the last position of the last line
    int32_t held_end = 0;   // the year after its last field that holds a value
    // Years without a value before the next value stored (from..to; empty when to < from)
    // and why they have none.
    int32_t gap_from = 0, gap_to = -1;
    NoValue gap_why = NoValue::skipped;
    // Positions (1-based, from..to) that hold rmiss for years without a value.
    std::vector<std::pair<int32_t, int32_t>> skipped = {};
    struct Gap {
      int32_t from, to;
      NoValue why;
    };
    std::vector<Gap> gap_years = {};                        // for the note
    std::vector<std::pair<int32_t, int32_t>> retyped = {};  // year on the line, year taken
    int64_t unmarked_before = 0;  // the line of another series that ended it without a marker
    bool last_index = false;      // its last line was an index line
  };
  // A data line looked at ahead of its turn: identifier and year.
  struct Ahead {
    std::string id;
    int32_t year = 0;
  };

  recio::Session* s_;
  Datar datar_;
  bool store_counts_ = true;  // the count-storing switch
  bool thousandths_ = false;  // the last end marker of the file was the thousandths one
  std::string record_;        // the line as read, not cut at column 80
  std::string line_ = std::string(80, ' ');
  // Work area: the fields parsed from the current line.
  std::string pid_ = std::string(8, ' ');
  int32_t pyr_ = 0;
  std::array<int32_t, 10> pv_{};
  std::array<int32_t, 10> pc_{};
  ValueFields fields_;  // what parsing line_ as a measurement line saw of its value fields
  // Records read ahead of their turn or split off a glued record, with their line numbers.
  struct Pending {
    std::string record;
    int64_t line_no;
    bool split;  // the second part of a glued record
  };
  std::deque<Pending> pending_;
  int64_t line_no_ = 0;           // of the record being read (1: the file's first line)
  int64_t unit_lines_ = 0;        // records read from the unit
  bool record_from_unit_ = true;  // the record is the unit's last one read

  Refused read(Series& s, int32_t& nread);
  void to_line(std::string_view record);
  static void end_of_file(Series& s, int32_t& nread);
  static std::string_view decade_field(std::string_view line, bool index, int32_t i);
  // Whether field i of the current line is blank: as its parse saw it, or looked at.
  bool field_blank(bool index, int32_t i) const {
    if (!index && fields_.seen) return (fields_.blank >> (i - 1)) & 1u;
    return looked_blank(index, i);
  }
  bool looked_blank(bool index, int32_t i) const;
  void read_block(Series& s);
  bool index_layout(std::string& mode);
  bool parse_decade_line(bool index);
  bool read_loose_line(std::string_view given, std::string& mode);
  void text_line(Series& s, int32_t ntext);
  bool take_values(Series& s, bool index, int32_t lo, int32_t n, int32_t year);
  bool no_marker(int32_t n) const;
  static int32_t index_start(std::string_view line, int32_t year);
  bool held(bool index, int32_t i) const;
  bool next_record(int iunit);
  bool parse_record(const std::array<char, 2>& given, std::string& mode, bool& index);
  bool prefer_fields() const;
  std::optional<Ahead> look_ahead(int iunit, const std::string& mode);
  Refused place_line(Series& s, bool index, int32_t& year);
  bool marker_ends(Series& s, int32_t i, int32_t n, int32_t year);
  bool fill_ends(Series& s, int32_t i);
  static void no_value(Series& s, int32_t year, NoValue why);
  void store_value(Series& s, int32_t& nval, float v, const int32_t* count);
  static void fill_gap(Series& s, int32_t& nval, bool counts);
  static void to_thousandths(Series& s, int32_t nval);
  void note(const Series& s);
  void echo(int iecho, const recio::Layout& layout, std::string_view text);
  void write_records(int iunit, const recio::Records& r);
};

}  // namespace ringdate
