// Tucson decadal format: reads one series ("MR" measurements, "IR" indices) or writes one
// ("MW", "IW", or "CR" for the UEA CRU layout). A block marked "#" in column 80 is handed
// to datar. A line that does not read in the fixed columns but holds its fields separated
// by tabs or blanks is read as those fields placed in the fixed columns (loose_decade.h).
// The reader's count-storing switch and header lines live in this object for the
// whole run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

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

  Refused read(Series& s, int32_t& nread);
  void end_of_file(Series& s, int32_t& nread);
  static std::string_view decade_field(std::string_view line, bool index, int32_t i);
  void read_block(Series& s);
  bool index_layout(std::string& mode);
  bool parse_decade_line(bool index);
  bool read_loose_line(std::string_view given, std::string& mode);
  void text_line(Series& s, int32_t ntext);
  bool take_values(Series& s, bool index, int32_t n);
  void echo(int iecho, const recio::Layout& layout, std::string_view text);
  void write_records(int iunit, const recio::Records& r);
};

}  // namespace ringdate
