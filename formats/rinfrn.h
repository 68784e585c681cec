// UEA CRU index format: reads one series (header line, then decade lines of value/count
// pairs in hundredths). A blank line where a header is expected is skipped; an end of file
// inside a series' data lines is reported like a read error. Nothing is stored past `vals`
// or `icnt`, while `nval` still reports the series' true count.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/refusal.h"
#include "recio/session.h"

namespace ringdate {

class Rinfrn {
 public:
  explicit Rinfrn(recio::Session& session) : s_(&session) {}
  // Reads one series, or refuses the file.
  [[nodiscard]] Refused operator()(std::string& id, int32_t& ifyr, int32_t& nval,
                                   std::span<float> vals, std::span<int32_t> icnt, int32_t& nread,
                                   int iunit, std::string& title, int32_t maxlen);

 private:
  recio::Session* s_;
  // Work area kept for the whole run.
  std::string line_ = std::string(80, ' ');
  int32_t lastyr_ = 0;
  int32_t p_ = 0;
  std::vector<recio::In> items_;
  float vsink_ = 0.0f;  // pairs skipped or beyond the caller's arrays
  int32_t csink_ = 0;
};

}  // namespace ringdate
