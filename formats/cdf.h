// Compact format reader: one series per call (header with count, first year, name,
// exponent and the layout of the data lines; then the scaled integers).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "recio/session.h"

namespace ringdate {

class Cdf {
 public:
  explicit Cdf(recio::Session& session) : s_(&session) {}
  void operator()(std::string& id, std::span<float> vals, int32_t& ifyr, int32_t& nval,
                  int32_t& nread, int iunit, int32_t maxlen, std::string& title);

 private:
  recio::Session* s_;
};

}  // namespace ringdate
