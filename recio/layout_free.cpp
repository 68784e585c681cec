// Free-form (list-directed) reading: one number from an answer, or a run of reals across
// records, with repeat counts ("r*v") and null values as a Fortran runtime reads them.
#include <cstdint>
#include <optional>

#include "recio/layout.h"
#include "recio/number_scan.h"

namespace recio {

namespace {

inline bool free_sep(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/' || c == ';' || c == '\n' || c == '\r';
}

bool strict_int(std::string_view t, int32_t& v) {
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  if (i == t.size()) return false;
  uint64_t acc = 0;
  for (; i < t.size(); ++i) {
    unsigned dgt = static_cast<unsigned char>(t[i]) - '0';
    if (dgt > 9) return false;
    acc = acc * 10 + dgt;
    if (acc > 2147483648ULL) return false;
  }
  if (!neg && acc > 2147483647ULL) return false;
  v = neg ? static_cast<int32_t>(-static_cast<int64_t>(acc)) : static_cast<int32_t>(acc);
  return true;
}

bool strict_real(std::string_view t, float& v) { return scan_real(t, RealText::value, 0, v); }

// One list-directed value "v", "r*v" or "r*" (null). Returns false when malformed;
// `null` marks a null value; `count` is the repeat count.
template <class T, class Parse>
bool free_value(std::string_view tok, Parse parse, T& v, int32_t& count, bool& null) {
  count = 1;
  null = false;
  size_t star = tok.find('*');
  if (star != std::string_view::npos) {
    int32_t r;
    std::string_view rs = tok.substr(0, star);
    if (rs.empty() || rs[0] == '+' || rs[0] == '-' || !strict_int(rs, r) || r <= 0) return false;
    count = r;
    tok = tok.substr(star + 1);
    if (tok.empty()) {
      null = true;
      return true;
    }
  }
  return parse(tok, v);
}

template <class T, class Parse>
std::optional<T> free_first(std::string_view text, Parse parse) {
  size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
    ++i;
  if (i == text.size() || free_sep(text[i])) return std::nullopt;  // empty, null value or "/"
  size_t j = i;
  while (j < text.size() && !free_sep(text[j])) ++j;
  T v{};
  int32_t count;
  bool null;
  if (!free_value(text.substr(i, j - i), parse, v, count, null) || null) return std::nullopt;
  return v;
}

}  // namespace

std::optional<int32_t> read_free_int(std::string_view text) {
  return free_first<int32_t>(text, strict_int);
}

std::optional<float> read_free_real(std::string_view text) {
  return free_first<float>(text, strict_real);
}

Outcome read_free_reals(RecordSource& source, std::span<float> values) {
  size_t k = 0;
  bool pending = false;  // a value was read and its separating comma not yet seen
  std::string_view rec;
  while (k < values.size()) {
    Outcome o = source.next_view(rec);
    if (o != Outcome::ok) return o;
    size_t i = 0;
    while (k < values.size()) {
      while (i < rec.size() && (rec[i] == ' ' || rec[i] == '\t' || rec[i] == '\r')) ++i;
      if (i == rec.size()) break;
      char c = rec[i];
      if (c == '/') return Outcome::ok;
      if (c == ',' || c == ';') {
        if (!pending) ++k;  // null value: the item keeps its value
        pending = false;
        ++i;
        continue;
      }
      size_t j = i;
      while (j < rec.size() && !free_sep(rec[j])) ++j;
      float v = 0.0f;
      int32_t count;
      bool null;
      if (!free_value(rec.substr(i, j - i), strict_real, v, count, null)) return Outcome::error;
      for (int32_t r = 0; r < count && k < values.size(); ++r, ++k)
        if (!null) values[k] = v;
      pending = true;
      i = j;
    }
  }
  return Outcome::ok;
}

}  // namespace recio
