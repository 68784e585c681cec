#include "recio/fields.h"

#include <algorithm>

namespace recio {

void blank(std::string& field, int32_t w) {
  if (w <= 0) return;
  const auto n = static_cast<std::size_t>(w);
  if (field.size() < n) field.resize(n, ' ');
  std::fill(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(n), ' ');
}

void csr(std::string_view text, int32_t& n, int32_t option, int32_t w) {
  n = 0;
  if (option != 2) return;
  for (int32_t i = std::min<int32_t>(w, static_cast<int32_t>(text.size())); i >= 1; --i) {
    if (text[static_cast<std::size_t>(i - 1)] != ' ') {
      n = i;
      return;
    }
  }
}

}  // namespace recio
