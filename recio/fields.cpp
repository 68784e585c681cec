#include "recio/fields.h"

#include <algorithm>
#include <cctype>

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

std::string trimmed(std::string_view text) {
  const auto end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string padded(std::string_view text, std::size_t w) {
  std::string s(text);
  if (s.size() < w) s.resize(w, ' ');
  return s;
}

std::string upper(std::string_view text) {
  std::string u(text);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

}  // namespace recio
