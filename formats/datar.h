// Self-formatted series block inside a Tucson file: a marker line ("#" in column 80), a
// header with count, first year and the record layout of the values, then the values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recio/session.h"

namespace ringdate {

class Datar {
 public:
  explicit Datar(recio::Session& session) : s_(&session) {}
  // `line` (80 characters) receives the lines read as the block's contract says; nval is
  // -999 when no header is found before the end of the file.
  void operator()(std::string& line, int32_t& nval, std::span<float> vals, int32_t& ifyr, int iunit,
                  int32_t maxlen);

 private:
  recio::Session* s_;
  // Work area: the line just read and the layout text of the header.
  std::string rec_;
  std::string fmt_ = std::string(8, ' ');
  std::vector<recio::In> items_;
};

}  // namespace ringdate
