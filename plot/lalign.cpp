#include "plot/lalign.h"

namespace ringdate {

void lalign(std::string& text) {
  if (text.empty() || text[0] != ' ') return;
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return;
  const std::size_t len = text.size();
  text.erase(0, first);
  text.append(len - text.size(), ' ');
}

}  // namespace ringdate
