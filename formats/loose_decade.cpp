#include "formats/loose_decade.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "recio/layout.h"

namespace ringdate {
namespace {

constexpr std::size_t kLine = 80;
constexpr std::size_t kIdWidth = 8;
constexpr std::size_t kValueWidth = 6;

bool separator(char c) { return c == ' ' || c == '\t'; }

bool control(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7f;
}

// An optionally signed integer of at most `width` characters.
std::optional<int32_t> integer(std::string_view f, std::size_t width) {
  if (f.empty() || f.size() > width) return std::nullopt;
  std::size_t i = f[0] == '-' || f[0] == '+' ? 1 : 0;
  if (i == f.size()) return std::nullopt;
  int32_t v = 0;  // at most 6 characters: no overflow
  for (; i < f.size(); ++i) {
    if (f[i] < '0' || f[i] > '9') return std::nullopt;
    v = v * 10 + (f[i] - '0');
  }
  return f[0] == '-' ? -v : v;
}

// The year fits the fixed columns: 4 of them, or 6 for a negative year (the writer's
// widest form).
std::optional<int32_t> year_of(std::string_view f) {
  return integer(f, !f.empty() && f[0] == '-' ? 6 : 4);
}

// The fields of a record: identifier, year and up to ten values.
struct Fields {
  std::array<std::string_view, 12> f;
  std::size_t n = 0;
};

// Splits the record at runs of tabs and blanks; separators at its end are no fields. False
// when a tab-separated field before the last one is empty (a tab at the start, or two tabs
// with nothing but blanks between) or when there are more fields than a decade line has.
bool split(std::string_view record, Fields& out) {
  out.n = 0;
  std::size_t i = 0;
  const std::size_t n = record.size();
  std::size_t tabs = 1;  // a tab at the very start leaves the first field empty
  while (i < n) {
    while (i < n && separator(record[i])) tabs += record[i++] == '\t';
    if (i == n) break;
    if (tabs >= 2 || out.n == out.f.size()) return false;
    const std::size_t from = i;
    while (i < n && !separator(record[i])) ++i;
    out.f[out.n++] = record.substr(from, i - from);
    tabs = 0;
  }
  return true;
}

}  // namespace

std::optional<LooseDecadeLine> read_loose_decade(std::string_view record) {
  Fields fields;
  if (!split(record, fields) || fields.n < 3) return std::nullopt;

  LooseDecadeLine line;
  const std::string_view id = fields.f[0];
  if (id.size() > kIdWidth) return std::nullopt;
  for (char c : id)
    if (control(c)) return std::nullopt;
  const std::optional<int32_t> year = year_of(fields.f[1]);
  if (!year) return std::nullopt;
  for (std::size_t k = 2; k < fields.n; ++k) {
    const std::optional<int32_t> v = integer(fields.f[k], kValueWidth);
    if (!v) return std::nullopt;
    line.values[k - 2] = *v;
  }
  line.id.assign(id);
  line.year = *year;
  line.count = static_cast<int32_t>(fields.n - 2);
  return line;
}

std::string in_fixed_columns(const LooseDecadeLine& line) {
  // The widths of identifier and year as the measurement writer chooses them.
  std::size_t idw = 8, yw = 4;
  if (line.year < -999 && line.year > -10000 && line.year != -1000) {
    idw = 7;
    yw = 5;
  } else if (line.year < -999) {
    idw = 6;
    yw = 6;
  }
  std::string out(kLine, ' ');
  out.replace(0, std::min(idw, line.id.size()), line.id, 0, std::min(idw, line.id.size()));
  auto right = [&out](std::size_t end, std::size_t width, int32_t v) {
    const std::string s = std::to_string(v);
    if (s.size() <= width) out.replace(end - s.size(), s.size(), s);
  };
  right(12, yw, line.year);
  for (int32_t k = 0; k < line.count && k < 10; ++k)
    right(12 + kValueWidth * static_cast<std::size_t>(k + 1), kValueWidth,
          line.values[static_cast<std::size_t>(k)]);
  return out;
}

bool reads_in_fixed_measurement_columns(std::string_view record) {
  static const recio::Layout m4 = recio::Layout::fixed("(A8,I4,10I6)");
  static const recio::Layout m5 = recio::Layout::fixed("(A7,I5,10I6)");
  static const recio::Layout m6 = recio::Layout::fixed("(A6,I6,10I6)");
  std::string line(record.substr(0, std::min(kLine, record.size())));
  line.resize(kLine, ' ');
  std::string id;
  int32_t year = 0;
  std::array<int32_t, 10> v{};
  const recio::In items[] = {recio::In(id),   recio::In(year), recio::In(v[0]), recio::In(v[1]),
                             recio::In(v[2]), recio::In(v[3]), recio::In(v[4]), recio::In(v[5]),
                             recio::In(v[6]), recio::In(v[7]), recio::In(v[8]), recio::In(v[9])};
  const recio::Layout& l = line[7] == '-' ? m5 : line[6] == '-' ? m6 : m4;
  return recio::read(l, line, items) == recio::Outcome::ok;
}

namespace {

// An optionally signed run of digits.
bool all_digits(std::string_view f) {
  std::size_t i = !f.empty() && (f[0] == '-' || f[0] == '+') ? 1 : 0;
  if (i == f.size()) return false;
  for (; i < f.size(); ++i)
    if (f[i] < '0' || f[i] > '9') return false;
  return true;
}

}  // namespace

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080u;
constexpr uint64_t kLowBits = 0x7f7f7f7f7f7f7f7fu;

// The high bit of every byte of x that equals ch.
uint64_t bytes_equal(uint64_t x, unsigned char ch) {
  const uint64_t t = x ^ (0x0101010101010101u * ch);  // 0 where equal
  return ~(((t & kLowBits) + kLowBits) | t | kLowBits);
}

// 8 bytes from p, byte k of the text in byte k from the low end.
uint64_t load8(const char* p) {
  uint64_t x;
  std::memcpy(&x, p, sizeof x);
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
  return x;
}

// Whether "999" occurs in the text: 16 bytes at a time (where the processor compares 16 at
// once), then 8, the windows overlapping by two so that every three consecutive bytes lie
// in one of them.
bool has_999(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i nine = _mm_set1_epi8('9');
  for (; i + 16 <= n; i += 14) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const auto m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, nine)));
    if (m & (m >> 1) & (m >> 2)) return true;
  }
#endif
  for (; i + 8 <= n; i += 6) {
    const uint64_t nines = bytes_equal(load8(p + i), '9');
    if (nines & (nines >> 8) & (nines >> 16)) return true;
  }
  for (; i + 3 <= n; ++i) {
    if (p[i] == '9' && p[i + 1] == '9' && p[i + 2] == '9') return true;
  }
  return false;
}

}  // namespace

std::optional<std::size_t> glued_line_start(std::string_view record) {
  // Both markers hold "999": a record without it (nearly every one) is no glued record.
  if (!has_999(record)) return std::nullopt;
  // The first fields and where each starts; a glued record has few.
  constexpr std::size_t kMax = 40;
  std::array<std::size_t, kMax> from{};
  std::array<std::string_view, kMax> f;
  std::size_t n = 0;
  for (std::size_t i = 0; i < record.size() && n < kMax;) {
    while (i < record.size() && separator(record[i])) ++i;
    if (i == record.size()) break;
    const std::size_t start = i;
    while (i < record.size() && !separator(record[i])) ++i;
    from[n] = start;
    f[n++] = record.substr(start, i - start);
  }
  for (std::size_t k = 2; k + 1 < n && k < 12; ++k) {
    if (f[k] != "999" && f[k] != "-9999") continue;
    if (!all_digits(f[k - 1]) || all_digits(f[k + 1])) continue;
    return from[k + 1];
  }
  return std::nullopt;
}

bool off_fixed_columns(std::string_view line, int yw) {
  (void)yw;  // identifier and year may share their twelve columns as they like
  const std::size_t n = std::min<std::size_t>(line.size(), 72);
  // The fields: columns 1-12 (identifier and year) and the value fields of six columns.
  // A number is cut by a field boundary when the characters on both sides of it are no
  // separators; two numbers share a value field when a second number starts in it (no
  // separator after a separator; its first column starts one when it is no separator,
  // the column before being one unless a number was cut). Each field is looked at as 8
  // bytes at once: the column before it, its six and the one after, the columns from n
  // on read as blanks.
  char c[72 + 8];
  std::memset(c, ' ', sizeof c);
  std::memcpy(c, line.data(), n);
  constexpr uint64_t field = 0x0080808080808000u;  // bytes 1 to 6: the field's columns
  for (std::size_t f = 12; f < n; f += kValueWidth) {
    const uint64_t x = load8(c + f - 1);  // byte k: column f - 1 + k
    const uint64_t number = ~(bytes_equal(x, ' ') | bytes_equal(x, '\t')) & kHighBits;
    if (number & (number >> 8) & 0x80u) return true;  // columns f - 1 and f: cut
    const uint64_t starts = number & ~(number << 8) & field;
    if (starts & (starts - 1)) return true;  // more than one start
  }
  return false;
}

}  // namespace ringdate
