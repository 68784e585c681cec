// Fixed-width text fields as the dialogue and the readers keep them: clearing a field,
// finding where its text ends and padding one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace recio {

// Sets positions 1 to w of the field to blanks (the field grows to w when shorter);
// nothing happens for w <= 0.
void blank(std::string& field, int32_t w);

// Option 2: n = the position of the last non-blank character among the first w characters
// of the text (w beyond the text's size counts as blanks), 0 when they are all blank.
// Other options leave n at 0.
void csr(std::string_view text, int32_t& n, int32_t option, int32_t w);

// The text without its trailing blanks.
std::string trimmed(std::string_view text);

// The text blank-padded to at least w characters; a longer text is kept whole.
std::string padded(std::string_view text, std::size_t w);

// The text in capitals (ASCII letters only).
std::string upper(std::string_view text);

}  // namespace recio
