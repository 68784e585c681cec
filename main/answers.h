// Console answer routines: preparing a typed number for an integer read and the data-format
// menu. The text-field helpers come from recio/fields.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "recio/fields.h"
#include "recio/session.h"

namespace ringdate {

using recio::blank;
using recio::csr;

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

}  // namespace ringdate
