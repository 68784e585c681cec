// Reals in text: a sign, digits with at most one decimal point, and an exponent (a letter
// E, D or Q with an optional sign, or a sign alone), or Inf/Infinity/NaN. Fixed fields
// ignore blanks, as gfortran does with blanks as nulls.
#include "recio/number_scan.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace recio {

namespace {

inline int upper(int c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }
inline bool is_sign(char c) { return c == '+' || c == '-'; }

constexpr float kPow10f[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// m x 10^e10 correctly rounded to single precision.
float scale(uint64_t m, int64_t e10, bool neg) {
  float r;
  if (m == 0) {
    r = 0.0f;
  } else if (m < (1u << 24) && e10 >= -10 && e10 <= 10) {
    r = e10 >= 0 ? static_cast<float>(m) * kPow10f[e10] : static_cast<float>(m) / kPow10f[-e10];
  } else if (e10 > 100) {
    r = INFINITY;
  } else if (e10 < -100) {
    r = 0.0f;
  } else {
    char buf[48];
    auto t = std::to_chars(buf, buf + 24, m);
    *t.ptr++ = 'e';
    t = std::to_chars(t.ptr, buf + sizeof buf, e10);
    auto res = std::from_chars(buf, t.ptr, r);
    if (res.ec == std::errc::result_out_of_range) {
      int digits = 0;
      for (uint64_t x = m; x; x /= 10) ++digits;
      r = e10 + digits > 0 ? INFINITY : 0.0f;
    } else if (res.ec != std::errc()) {
      r = 0.0f;
    }
  }
  return neg ? -r : r;
}

inline bool ieq(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    char c = a[k];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[k]) return false;
  }
  return true;
}

// Inf, Infinity, NaN, NaN(...) followed by blanks only.
bool parse_infnan(std::string_view t, bool neg, float& v) {
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (ieq(t, "inf") || ieq(t, "infinity")) {
    v = neg ? -INFINITY : INFINITY;
    return true;
  }
  if (ieq(t, "nan") || (t.size() >= 5 && ieq(t.substr(0, 4), "nan(") && t.back() == ')')) {
    v = NAN;
    return true;
  }
  return false;
}

// A position in the text; `blanks` when blanks are skipped (fixed fields).
struct Cursor {
  std::string_view t;
  size_t i = 0;
  bool blanks = false;

  bool at_end() const { return i == t.size(); }
  void skip_blanks() {
    if (blanks)
      while (i < t.size() && t[i] == ' ') ++i;
  }
};

// The digits before the exponent: the first 19 significant ones in m, the integer digits
// beyond them in `drop`, the significant decimals taken in `frac`.
struct Mantissa {
  uint64_t m = 0;
  int nd = 0;
  int64_t drop = 0, frac = 0;
  bool point = false, any = false;
};

// Scans digits and one point up to the first other character; false at a second point.
bool scan_mantissa(Cursor& c, Mantissa& s) {
  for (; c.i < c.t.size(); ++c.i) {
    const char ch = c.t[c.i];
    if (ch == ' ' && c.blanks) continue;
    if (ch == '.') {
      if (s.point) return false;
      s.point = true;
      continue;
    }
    const unsigned dgt = static_cast<unsigned char>(ch) - '0';
    if (dgt > 9) break;
    s.any = true;
    if (s.m == 0 && dgt == 0) {
      if (s.point) ++s.frac;
    } else if (s.nd < 19) {
      s.m = s.m * 10 + dgt;
      ++s.nd;
      if (s.point) ++s.frac;
    } else if (!s.point) {
      ++s.drop;
    }
  }
  return true;
}

// The exponent from the character after the mantissa to the end; false when malformed.
// As gfortran does: a sign in the last column is an error; a blank right after the sign
// makes the exponent 0 (digits after it are not taken, anything else is an error);
// otherwise at least one digit must follow.
bool scan_exponent(Cursor& c, int64_t& ex) {
  const char first = c.t[c.i];
  const int u = upper(static_cast<unsigned char>(first));
  if (u == 'E' || u == 'D' || u == 'Q') {
    ++c.i;
    c.skip_blanks();
  } else if (!is_sign(first)) {
    return false;
  }
  const bool sign = !c.at_end() && is_sign(c.t[c.i]);
  const bool neg = sign && c.t[c.i++] == '-';
  if (sign && c.at_end()) return false;
  if (sign && c.blanks && c.t[c.i] == ' ') {
    for (; c.i < c.t.size(); ++c.i)
      if (c.t[c.i] != ' ' && !is_digit(c.t[c.i])) return false;
    ex = 0;
    return true;
  }
  bool digit = false;
  for (; c.i < c.t.size(); ++c.i) {
    if (c.t[c.i] == ' ' && c.blanks) continue;
    const unsigned dgt = static_cast<unsigned char>(c.t[c.i]) - '0';
    if (dgt > 9) return false;
    digit = true;
    if (ex < 100000) ex = ex * 10 + dgt;
  }
  if (!digit) return false;
  if (neg) ex = -ex;
  return true;
}

}  // namespace

bool scan_real(std::string_view t, RealText kind, int32_t implied, float& v) {
  Cursor c{t, 0, kind == RealText::field};
  c.skip_blanks();
  bool neg = false;
  if (!c.at_end() && is_sign(t[c.i])) {
    neg = t[c.i++] == '-';
    c.skip_blanks();
  }
  if (c.at_end()) {  // a blank field or a lone sign reads as zero; a value needs digits
    if (!c.blanks) return false;
    v = 0.0f;
    return true;
  }
  if (int u = upper(static_cast<unsigned char>(t[c.i])); u == 'I' || u == 'N')
    return parse_infnan(t.substr(c.i), neg, v);
  Mantissa s;
  if (!scan_mantissa(c, s)) return false;
  if (!s.any && !c.blanks) return false;
  int64_t ex = 0;
  if (!c.at_end() && !scan_exponent(c, ex)) return false;
  if (!s.any) {  // a field "-." or "E2": zero, with the sign typed
    v = neg ? -0.0f : 0.0f;
    return true;
  }
  v = scale(s.m, ex + s.drop - (s.point ? s.frac : implied), neg);
  return true;
}

}  // namespace recio
