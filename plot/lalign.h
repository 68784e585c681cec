// Left-justification of a fixed-width text in place.
#pragma once

#include <string>

namespace ringdate {

// Moves the text left so that its first non-blank character comes first and fills the freed
// end with blanks; a text that starts with a non-blank, or is all blank, is left unchanged.
// The width (the string's size) never changes.
void lalign(std::string& text);

}  // namespace ringdate
