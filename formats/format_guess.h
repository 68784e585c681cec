// The guess of a data file's format from its first lines, made before the dialogue asks for
// the format and by the readings without a dialogue.
#pragma once

#include <cstdint>
#include <string>

#include "recio/session.h"

namespace ringdate {

// Guesses the data format of the file open on a unit from up to eight lines: 'H' Heidelberg
// (the first line with more than blanks opens a Heidelberg block), 'C' compact, 'I' Tucson
// indices, 'M' Tucson measurements, ' ' when no rule decides. An eighth line that
// is a decade line only with its fields separated by tabs or blanks is judged with them
// placed in the fixed columns. The unit is left after the lines read.
class Qforma {
 public:
  explicit Qforma(recio::Session& session) : s_(&session) {}
  void operator()(int unit, char& guess);

 private:
  recio::Session* s_;
  std::string line_ = std::string(80, ' ');
  std::string rec_;
  int32_t nline_ = 0, icol_ = 0, len_ = 0;

  bool value_columns_blank();
};

}  // namespace ringdate
