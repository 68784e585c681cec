#include "xdate/cells.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ringdate::xdate {

std::string format_name(std::string_view code) {
  if (code == "MR") return "Tucson measurements";
  if (code == "IR") return "Tucson indices";
  if (code == "CR") return "UEA CRU indices";
  if (code == "CD") return "compact format";
  if (code == "FH") return "Heidelberg";
  return "unknown format";
}

namespace {

// The digits right-aligned in `width` columns (never cut).
std::string right_aligned(const char* digits, std::size_t len, int width) {
  const auto w = static_cast<std::size_t>(std::max(width, 0));
  std::string out(len < w ? w - len : 0, ' ');
  return out.append(digits, len);
}

}  // namespace

// The digits come from to_chars, which writes what printf's %*.*f would, without printf's
// format parsing: a check of many series writes tens of thousands of these.
std::string number(bool valid, double x, int width, int decimals) {
  if (!valid || !std::isfinite(x)) return right_aligned("-", 1, width);
  const double limit = std::pow(10.0, width - decimals - 2) - std::pow(10.0, -decimals);
  char buf[64];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, std::clamp(x, -limit, limit),
                                               std::chars_format::fixed, decimals);
  return right_aligned(buf, static_cast<std::size_t>(r.ptr - buf), width);
}

std::string integer(int64_t v, int width, bool plus) {
  char buf[32];
  char* p = buf;
  if (plus && v >= 0) *p++ = '+';
  const std::to_chars_result r = std::to_chars(p, buf + sizeof buf, v);
  return right_aligned(buf, static_cast<std::size_t>(r.ptr - buf), width);
}

std::string fitted(const std::string& s, std::size_t width) {
  if (s.size() <= width) return s;
  return "..." + s.substr(s.size() - (width - 3));
}

std::string quoted(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos &&
      (s.empty() || (s.front() != ' ' && s.back() != ' ')))
    return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + '"';
}

std::string csv_number(bool valid, double x) {
  if (!valid || !std::isfinite(x)) return "NA";
  // As printf's %.10g writes it (to_chars with a precision is specified so), without the
  // locale and format parsing of printf.
  char buf[40];
  const std::to_chars_result r =
      std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 10);
  return std::string(buf, r.ptr);
}

}  // namespace ringdate::xdate
