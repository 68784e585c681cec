// Console answer routines: clearing and measuring text fields, preparing a typed number for
// an integer read, the data-format menu, and the format guess for a newly opened file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "recio/session.h"

namespace ringdate {

// Sets positions 1 to w of the field to blanks (the field grows to w when shorter);
// nothing happens for w <= 0.
void blank(std::string& field, int32_t w);

// Option 2: n = the position of the last non-blank character among the first w characters
// of the text (w beyond the text's size counts as blanks), 0 when they are all blank.
// Other options leave n at 0.
void csr(std::string_view text, int32_t& n, int32_t option, int32_t w);

// Left-justifies the number in `text` (its size is its width) and puts "(In)" into
// `layout` (its size is its width, at least 5), n being the count of non-blank characters.
void intfrm(std::string& text, std::string& layout);

// Reads an integer from an answer prepared by intfrm; false when it is not a number.
bool read_intfrm(const std::string& text, const std::string& layout, int32_t& value);

// The data-format menu. True with a choice from 1 to 4; false when the user typed "/" (the
// caller ends the program).
class Query {
 public:
  explicit Query(recio::Session& session) : s_(&session) {}
  [[nodiscard]] bool operator()(int32_t& choice);

 private:
  recio::Session* s_;
  std::string answer_ = std::string(10, ' ');
  std::string layout_ = std::string(10, ' ');
};

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
