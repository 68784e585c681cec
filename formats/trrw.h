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
};

}  // namespace ringdate
