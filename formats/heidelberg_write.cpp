#include "formats/heidelberg_write.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ringdate::fh {

namespace {

constexpr std::string_view eol = "\r\n";

bool is_key(std::string_view line, std::string_view key) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  std::string_view k = line.substr(0, eq);
  while (!k.empty() && (k.back() == ' ' || k.back() == '\t')) k.remove_suffix(1);
  while (!k.empty() && (k.front() == ' ' || k.front() == '\t')) k.remove_prefix(1);
  return k.size() == key.size() && std::equal(k.begin(), k.end(), key.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

std::string_view key_of(std::string_view line) { return line.substr(0, line.find('=')); }

bool dated(const Series& s) {
  const auto d = s.header("Dated");
  if (!d) return true;
  std::string l;
  for (char c : *d) l += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l != "undated" && l != "reldated";
}

std::string unit_text(double unit) {
  if (unit == 1.0) return "mm";
  if (unit == 0.1) return "1/10 mm";
  if (unit == 0.001) return "1/1000 mm";
  return "1/100 mm";
}

// The header lines of a series as written: its own, with the years and the kind updated,
// and the keys every written block carries.
std::vector<std::string> header_lines(const Series& s) {
  const bool d = dated(s);
  const int64_t begin = d ? to_heidelberg_year(s.first) : s.first;
  const int64_t end = d ? to_heidelberg_year(s.last()) : s.last();
  const std::string kind = s.kind == DataKind::measurement  ? "Tree"
                           : s.kind == DataKind::mean_curve ? "HalfChrono"
                                                            : "Chrono";
  struct Set {
    std::string_view key;
    std::string value;
    bool replace;  // the series' own value gives way
    bool seen = false;
  };
  std::vector<Set> sets = {{"KeyCode", s.keycode, false},
                           {"DataFormat", kind, false},
                           {"Unit", unit_text(s.unit), true},
                           {"Length", std::to_string(s.values.size()), true},
                           {"DateBegin", std::to_string(begin), true},
                           {"DateEnd", std::to_string(end), true}};
  std::vector<std::string> out;
  for (const std::string& h : s.headers) {
    std::string line = h;
    for (Set& set : sets) {
      if (!is_key(h, set.key)) continue;
      if (set.replace) line = std::string(key_of(h)) + "=" + set.value;
      set.seen = true;
    }
    // The numbers written are ring widths whatever the early and late wood were.
    if (is_key(h, "DataType") && s.kind == DataKind::measurement) {
      const auto t = s.header("DataType");
      if (t && t->size() == 13 &&
          std::equal(t->begin(), t->end(), "EarlyLateWood", [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) ==
                   std::tolower(static_cast<unsigned char>(b));
          }))
        line = std::string(key_of(h)) + "=Ringwidth";
    }
    out.push_back(std::move(line));
  }
  for (const Set& set : sets)
    if (!set.seen && !set.value.empty()) out.push_back(std::string(set.key) + "=" + set.value);
  return out;
}

void field(std::string& out, int64_t v, std::size_t width) {
  const std::string t = std::to_string(v);
  if (t.size() < width) out.append(width - t.size(), ' ');
  out += t;
}

// The numbers of each year, in the order of the data kind.
std::vector<int64_t> numbers(const Series& s, std::size_t per) {
  std::vector<int64_t> nums;
  nums.reserve(s.values.size() * per);
  for (std::size_t y = 0; y < s.values.size(); ++y) {
    const double scaled = s.values[y] / s.unit;
    nums.push_back(std::isfinite(scaled) ? std::llround(std::clamp(scaled, -2e9, 2e9)) : 0);
    if (per >= 2) nums.push_back(y < s.counts.size() ? s.counts[y] : 1);
    if (per == 4) {
      nums.push_back(y < s.ups.size() ? s.ups[y] : 0);
      nums.push_back(y < s.downs.size() ? s.downs[y] : 0);
    }
  }
  return nums;
}

}  // namespace

std::string write(std::span<const Series> series) {
  std::string out;
  for (const Series& s : series) {
    out += "HEADER:";
    out += eol;
    for (const std::string& h : header_lines(s)) {
      out += h;
      out += eol;
    }
    const std::size_t per = s.kind == DataKind::measurement  ? 1
                            : s.kind == DataKind::mean_curve ? 2
                                                             : 4;
    out += s.kind == DataKind::measurement  ? "DATA:Tree"
           : s.kind == DataKind::mean_curve ? "DATA:Double"
                                            : "DATA:Chrono";
    out += eol;
    const std::vector<int64_t> nums = numbers(s, per);
    const std::size_t width = per == 4 ? 5 : 6;
    const std::size_t per_line = per == 4 ? 16 : 10;
    const int64_t top = per == 4 ? 9999 : 99999;
    const bool block = std::all_of(nums.begin(), nums.end(),
                                   [top](int64_t v) { return v <= top && v >= -top / 10; });
    if (!block) {
      for (int64_t v : nums) {
        out += std::to_string(v);
        out += eol;
      }
      continue;
    }
    for (std::size_t at = 0; at < nums.size(); at += per_line) {
      for (std::size_t k = at; k < at + per_line; ++k)
        field(out, k < nums.size() ? nums[k] : 0, width);
      out += eol;
    }
  }
  return out;
}

}  // namespace ringdate::fh
