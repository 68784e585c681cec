// UEA CRU index format: reads one series (header line, then decade lines of value/count
// pairs in hundredths).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "recio/session.h"

namespace ringdate {

class Rinfrn {
 public:
  explicit Rinfrn(recio::Session& session) : s_(&session) {}
  void operator()(std::string& id, int32_t& ifyr, int32_t& nval, std::span<float> vals,
                  std::span<int32_t> icnt, int32_t& nread, int iunit, std::string& title,
                  int32_t maxlen);

 private:
  recio::Session* s_;
};

}  // namespace ringdate
