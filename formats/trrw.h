// Tucson decadal format: reads one series ("MR" measurements, "IR" indices) or writes one
// ("MW", "IW", or "CR" for the UEA CRU layout). A block marked "#" in column 80 is handed
// to datar. The reader's count-storing switch and header lines live in this object for the
// whole run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "formats/datar.h"
#include "recio/session.h"

namespace ringdate {

class Trrw {
 public:
  explicit Trrw(recio::Session& session) : s_(&session), datar_(session) {}

  // One call reads or writes one series; arguments as the format's contract lists them.
  // `vals` and `icnt` are the caller's buffers; nothing is stored past their ends, while
  // `nval` still reports the series' true count.
  void operator()(std::string& id, int32_t& ifyr, int32_t& nval, std::span<float> vals,
                  std::span<int32_t> icnt, int32_t& nread, int iunit, int iecho,
                  std::string& mode, std::string& title, const std::string& ltag,
                  int32_t maxlen, std::array<std::string, 3>& hdr);

 private:
  recio::Session* s_;
  Datar datar_;
  bool store_counts_ = true;  // the count-storing switch
  std::string line_ = std::string(80, ' ');
  // Work area: the fields parsed from the current line.
  std::string data_line_ = std::string(80, ' ');  // the last data line of the series
  std::string pid_ = std::string(8, ' ');
  int32_t pyr_ = 0;
  std::array<int32_t, 10> pv_{};
  std::array<int32_t, 10> pc_{};
  std::string wid_ = std::string(8, ' ');  // identifier of the series being written

  void read(std::string& id, int32_t& ifyr, int32_t& nval, std::span<float> vals,
            std::span<int32_t> icnt, int32_t& nread, int iunit, int iecho, std::string& mode,
            std::string& title, std::size_t ltitle, int32_t maxlen, std::array<std::string, 3>& hdr);
  void write_mw(const std::string& id, int32_t ifyr, int32_t nval, std::span<const float> vals,
                int iunit, const std::string& ltag);
  void write_iw(const std::string& id, int32_t ifyr, int32_t nval, std::span<const float> vals,
                std::span<const int32_t> icnt, int iunit, const std::string& ltag, bool cru);
  void echo(int iecho, const recio::Layout& layout, std::string_view text);
  void write_records(int iunit, const recio::Records& r);
};

}  // namespace ringdate
