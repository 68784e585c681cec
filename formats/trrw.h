// Tucson decadal format: reads one series ("MR" measurements, "IR" indices) or writes one
// ("MW", "IW", or "CR" for the UEA CRU layout). A block marked "#" in column 80 is handed
// to datar. A line that does not read in the fixed columns but holds its fields separated
// by tabs or blanks is read as those fields placed in the fixed columns (loose_decade.h);
// so is a line whose blank-separated fields do not fall on the fixed columns, whose year
// field is blank or whose identifier field holds a control character, when its fields read
// as a decade line. A record that holds an end marker followed by another line is read as
// two lines. Within a series the year of each line is the truth: years a line skips have
// no value (rmiss), a line whose year is a typing error (the next line follows on from
// the year expected) is taken as that year, and a line that goes back to a decade the
// series has refuses the file. The console gets one note per series for skipped or
// retyped years.
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
    // Fields lo..hi of data_line_ held values; last_index: it was an index line.
    int32_t lo = 0, hi = 0;
    bool last_index = false;
    int32_t next_year = 0;  // the year after the last position of the last line
    int32_t held_end = 0;   // the year after its last field that is not blank
    // Years without a value before the next value stored (from..to; empty when to < from).
    int32_t gap_from = 0, gap_to = -1;
    // Positions (1-based, from..to) that hold rmiss for years the file skips.
    std::vector<std::pair<int32_t, int32_t>> skipped = {};
    std::vector<std::pair<int32_t, int32_t>> gap_years = {};  // for the note
    std::vector<std::pair<int32_t, int32_t>> retyped = {};    // year on the line, year taken
  };
  // A data line looked at ahead of its turn: identifier and year.
  struct Ahead {
    std::string id;
    int32_t year = 0;
  };

  recio::Session* s_;
  Datar datar_;
  bool store_counts_ = true;  // the count-storing switch
  std::string record_;        // the line as read, not cut at column 80
  std::string line_ = std::string(80, ' ');
  // Work area: the fields parsed from the current line.
  std::string data_line_ = std::string(80, ' ');  // the last data line of the series
  std::string pid_ = std::string(8, ' ');
  int32_t pyr_ = 0;
  std::array<int32_t, 10> pv_{};
  std::array<int32_t, 10> pc_{};
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
  void end_of_file(Series& s, int32_t& nread);
  static std::string_view decade_field(std::string_view line, bool index, int32_t i);
  void read_block(Series& s);
  bool index_layout(std::string& mode);
  bool parse_decade_line(bool index);
  bool read_loose_line(std::string_view given, std::string& mode);
  void text_line(Series& s, int32_t ntext);
  bool take_values(Series& s, bool index, int32_t n, int32_t year);
  bool next_record(int iunit);
  bool parse_record(const std::array<char, 2>& given, std::string& mode, bool& index);
  bool prefer_fields() const;
  std::optional<Ahead> look_ahead(int iunit, const std::string& mode);
  Refused place_line(Series& s, int32_t& year);
  bool marker_ends(Series& s, int32_t i, int32_t n, int32_t year);
  void store_value(Series& s, int32_t& nval, float v);
  void note(const Series& s);
  void echo(int iecho, const recio::Layout& layout, std::string_view text);
  void write_records(int iunit, const recio::Records& r);
};

}  // namespace ringdate
