#include "formats/heidelberg.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace ringdate::fh {

namespace {

std::string_view trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\f\v\r\n");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\f\v\r\n") - b + 1);
}

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

bool istarts(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

// A whole number, an optional sign before its digits; nothing else.
std::optional<int64_t> whole(std::string_view s) {
  s = trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  int64_t v = 0;
  const auto got = std::from_chars(s.data(), s.data() + s.size(), v);
  if (got.ec != std::errc{} || got.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

// The text as single bytes: a UTF-8 byte-order mark dropped, UTF-16 (marked by its
// byte-order mark) narrowed, characters beyond ASCII becoming '?'.
std::string narrowed(std::string_view text) {
  auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
    return std::string(text.substr(3));
  const bool le = text.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
  const bool be = text.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
  if (!le && !be) return std::string(text);
  std::string out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    const unsigned unit = le ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1);
    out += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return out;
}

// The lines of the text, whatever their ends (LF, CR LF, CR); a last line without an end
// counts.
std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

Refusal refused(const std::string& message) {
  return Refusal{RefusalKind::heidelberg_data, {" *** " + message}, " ", {}};
}

// One block of the file as found: its header lines, its data kind and its data lines.
struct Block {
  std::vector<std::string> headers;
  std::string kind;  // the text after "DATA:"
  bool has_data = false;
  std::vector<std::pair<std::size_t, std::string_view>> data;  // line number, text
  std::size_t line = 0;                                        // where the block starts
};

std::optional<std::string> header_value(const std::vector<std::string>& headers,
                                        std::string_view key) {
  for (const std::string& h : headers) {
    const auto eq = h.find('=');
    if (eq == std::string::npos) continue;
    if (iequals(trim(std::string_view(h).substr(0, eq)), key))
      return std::string(trim(std::string_view(h).substr(eq + 1)));
  }
  return std::nullopt;
}

// Numbers per year of a data kind's layout: 1, 2 or 4; 0 for a kind not known.
int per_year(std::string_view kind) {
  kind = trim(kind);
  if (iequals(kind, "Tree") || iequals(kind, "Single")) return 1;
  if (iequals(kind, "Double") || iequals(kind, "HalfChrono")) return 2;
  if (iequals(kind, "Chrono") || iequals(kind, "Quadro")) return 4;
  return 0;
}

std::optional<double> unit_of(std::string_view text) {
  std::string u;
  for (char c : text)
    if (c != ' ' && c != '\t') u += lower(c);
  if (u == "mm") return 1.0;
  if (u == "1/10mm") return 0.1;
  if (u == "1/100mm") return 0.01;
  if (u == "1/1000mm") return 0.001;
  return std::nullopt;
}

std::size_t tokens(std::string_view line) {
  std::size_t n = 0;
  bool in = false;
  for (char c : line) {
    const bool blank = c == ' ' || c == '\t';
    if (!blank && !in) ++n;
    in = !blank;
  }
  return n;
}

// Reads the numbers of one data line in the block layout: fields of `width` characters, or,
// when a field does not read, the numbers separated by blanks. False when neither reads.
bool block_numbers(std::string_view line, std::size_t width, std::vector<int64_t>& out) {
  line = line.substr(0, line.find_last_not_of(" \t") + 1);
  const std::size_t before = out.size();
  bool ok = true;
  for (std::size_t at = 0; at < line.size() && ok; at += width) {
    const auto v = whole(line.substr(at, width));
    if (v) out.push_back(*v);
    ok = v.has_value();
  }
  if (ok) return true;
  out.resize(before);
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) break;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    const auto v = whole(line.substr(at, end - at));
    if (!v) return false;
    out.push_back(*v);
    at = end;
  }
  return true;
}

class SeriesReader {
 public:
  SeriesReader(const Block& b, std::size_t index) : b_(b), index_(index) {}
  std::optional<Refusal> operator()(Series& s);

 private:
  const Block& b_;
  std::size_t index_;
  std::string name_;

  Refusal fail(const std::string& what) const {
    return refused("Heidelberg series " + name_ + ": " + what);
  }
  std::optional<Refusal> numbers(int per, std::vector<int64_t>& out) const;
  std::optional<Refusal> year(std::string_view key, bool dated, std::optional<int64_t>& y) const;
};

std::optional<Refusal> SeriesReader::numbers(int per, std::vector<int64_t>& out) const {
  if (b_.data.empty()) return std::nullopt;
  const std::string_view first = b_.data.front().second;
  const bool column = first.find(';') != std::string_view::npos || tokens(first) == 1;
  const std::size_t width = per == 4 ? 5 : 6;
  for (const auto& [no, line] : b_.data) {
    bool ok = true;
    if (column) {
      const auto v = whole(line.substr(0, line.find(';')));
      if (v) out.push_back(*v);
      ok = v.has_value();
    } else {
      ok = block_numbers(line, width, out);
    }
    if (!ok) return fail("line " + std::to_string(no) + " holds something that is not a number");
  }
  return std::nullopt;
}

std::optional<Refusal> SeriesReader::year(std::string_view key, bool dated,
                                          std::optional<int64_t>& y) const {
  const auto text = header_value(b_.headers, key);
  if (!text || text->empty()) return std::nullopt;
  const auto v = whole(*text);
  if (!v || *v < -max_abs_year || *v > max_abs_year)
    return fail(std::string(key) + "=" + *text + " is not a year");
  if (dated && *v == 0) return fail(std::string(key) + "=0: the format has no year 0");
  y = dated ? from_heidelberg_year(*v) : *v;
  return std::nullopt;
}

std::optional<Refusal> SeriesReader::operator()(Series& s) {
  s.headers = b_.headers;
  const auto key = header_value(b_.headers, "KeyCode");
  s.keycode_given = key && !key->empty();
  s.keycode = s.keycode_given ? *key : "S" + std::to_string(index_ + 1);
  name_ = s.keycode_given ? s.keycode : "number " + std::to_string(index_ + 1);
  if (!b_.has_data) return fail("HEADER block without DATA");

  std::string kind = b_.kind;
  if (trim(kind).empty()) kind = header_value(b_.headers, "DataFormat").value_or("Tree");
  const int per = per_year(kind);
  if (per == 0) return fail("data kind \"" + std::string(trim(kind)) + "\" is not known");
  const auto data_type = header_value(b_.headers, "DataType");
  const bool early_late = per == 2 && data_type && iequals(*data_type, "EarlyLateWood");
  s.kind = early_late ? DataKind::measurement
           : per == 1 ? DataKind::measurement
           : per == 2 ? DataKind::mean_curve
                      : DataKind::chronology;

  if (const auto u = header_value(b_.headers, "Unit"); u && !u->empty()) {
    const auto mm = unit_of(*u);
    if (!mm) return fail("Unit=" + *u + " is not mm, 1/10 mm, 1/100 mm or 1/1000 mm");
    s.unit = *mm;
  }

  std::vector<int64_t> nums;
  if (auto r = numbers(per, nums)) return r;
  const auto p = static_cast<std::size_t>(per);
  if (nums.size() % p != 0)
    return fail(std::to_string(nums.size()) + " numbers do not make whole years of " +
                std::to_string(per) + " numbers");
  const std::size_t in_data = nums.size() / p;
  auto zero_year = [&](std::size_t y) {
    return std::all_of(nums.begin() + static_cast<std::ptrdiff_t>(y * p),
                       nums.begin() + static_cast<std::ptrdiff_t>((y + 1) * p),
                       [](int64_t v) { return v == 0; });
  };
  std::size_t n = in_data;
  if (const auto len = header_value(b_.headers, "Length"); len && !len->empty()) {
    const auto l = whole(*len);
    if (!l || *l < 0) return fail("Length=" + *len + " is not a count of years");
    if (static_cast<uint64_t>(*l) > in_data)
      return fail("Length=" + *len + " but the data hold " + std::to_string(in_data) + " years");
    n = static_cast<std::size_t>(*l);
    for (std::size_t y = n; y < in_data; ++y) {
      if (!zero_year(y))
        return fail("values past the end: Length=" + *len + " but year " + std::to_string(y + 1) +
                    " of the data holds " + std::to_string(nums[y * p]));
    }
  } else {
    while (n > 0 && zero_year(n - 1)) --n;
  }
  if (n == 0) return fail("no values");

  const auto dated_text = header_value(b_.headers, "Dated");
  const bool dated =
      !(dated_text && (iequals(*dated_text, "Undated") || iequals(*dated_text, "RelDated")));
  std::optional<int64_t> begin, end;
  if (auto r = year("DateBegin", dated, begin)) return r;
  if (auto r = year("DateEnd", dated, end)) return r;
  const auto count = static_cast<int64_t>(n);
  if (begin && end && *end - *begin + 1 != count) {
    return fail("DateBegin=" + *header_value(b_.headers, "DateBegin") +
                " and DateEnd=" + *header_value(b_.headers, "DateEnd") + " span " +
                std::to_string(*end - *begin + 1) + " years but the series holds " +
                std::to_string(count));
  }
  const int64_t first = begin ? *begin : end ? *end - count + 1 : 1;
  if (first < -max_abs_year || first + count - 1 > max_abs_year)
    return fail("its years run past " + std::to_string(max_abs_year));
  s.first = static_cast<int32_t>(first);

  for (std::size_t y = 0; y < n; ++y) {
    for (std::size_t k = 0; k < p; ++k) {
      const int64_t v = nums[y * p + k];
      if (v < INT32_MIN || v > INT32_MAX)
        return fail("the number " + std::to_string(v) + " is too large");
    }
  }
  s.values.resize(n);
  for (std::size_t y = 0; y < n; ++y) {
    const int64_t v = early_late ? nums[y * p] + nums[y * p + 1] : nums[y * p];
    s.values[y] = static_cast<double>(v) * s.unit;
  }
  if (s.kind != DataKind::measurement) {
    s.counts.resize(n);
    for (std::size_t y = 0; y < n; ++y) s.counts[y] = static_cast<int32_t>(nums[y * p + 1]);
  }
  if (s.kind == DataKind::chronology) {
    s.ups.resize(n);
    s.downs.resize(n);
    for (std::size_t y = 0; y < n; ++y) {
      s.ups[y] = static_cast<int32_t>(nums[y * p + 2]);
      s.downs[y] = static_cast<int32_t>(nums[y * p + 3]);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> Series::header(std::string_view key) const {
  return header_value(headers, key);
}

int64_t to_heidelberg_year(int64_t astronomical) {
  return astronomical <= 0 ? astronomical - 1 : astronomical;
}

int64_t from_heidelberg_year(int64_t heidelberg) {
  return heidelberg < 0 ? heidelberg + 1 : heidelberg;
}

bool looks_like(std::string_view first_line) {
  // A byte-order mark before the line, and the zero bytes of UTF-16, do not count.
  std::string narrow;
  for (char c : first_line)
    if (c != '\0') narrow += c;
  std::string_view t = narrow;
  for (std::string_view bom : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
    if (t.starts_with(bom)) t.remove_prefix(bom.size());
  t = trim(t);
  // "DATA:" opens a file only with a data kind the format knows, or none.
  return iequals(t, "HEADER:") ||
         (istarts(t, "DATA:") && (trim(t.substr(5)).empty() || per_year(t.substr(5)) != 0));
}

Reading read(std::string_view raw) {
  Reading out;
  const std::string text = narrowed(raw);
  const std::vector<std::string_view> lines = lines_of(text);
  std::vector<Block> blocks;
  bool in_data = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t no = i + 1;
    if (lines[i].size() > max_line) {
      out.refusal = refused("Heidelberg file: line " + std::to_string(no) + " is longer than " +
                            std::to_string(max_line) + " characters");
      return out;
    }
    const std::string_view t = trim(lines[i]);
    if (t.empty()) continue;
    if (iequals(t, "HEADER:")) {
      blocks.emplace_back();
      blocks.back().line = no;
      in_data = false;
    } else if (istarts(t, "DATA:")) {
      if (blocks.empty() || in_data || blocks.back().has_data) {
        blocks.emplace_back();
        blocks.back().line = no;
      }
      blocks.back().kind = std::string(t.substr(5));
      blocks.back().has_data = true;
      in_data = true;
    } else if (blocks.empty()) {
      out.refusal = refused("Heidelberg file: line " + std::to_string(no) +
                            " comes before any HEADER: or DATA: line");
      return out;
    } else if (in_data) {
      blocks.back().data.emplace_back(no, lines[i]);
    } else {
      blocks.back().headers.emplace_back(t);
    }
  }
  if (blocks.empty()) {
    out.refusal = refused("Heidelberg file: no series (no HEADER: or DATA: line)");
    return out;
  }
  std::vector<Series> series(blocks.size());
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    if (auto r = SeriesReader(blocks[k], k)(series[k])) {
      out.refusal = std::move(r);
      return out;
    }
  }
  out.series = std::move(series);
  return out;
}

}  // namespace ringdate::fh
