#include "formats/decade_lines.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/limits.h"

namespace ringdate {

namespace {

// Nearest integer of x * scale, halves away from zero (as lround), kept inside the 32-bit
// range. The fraction is exact: below 2^24 the truncated value converts back exactly, and
// from 2^24 on every float is a whole number (fraction 0).
int32_t scaled(float x, float scale) {
  const float p = x * scale;
  if (std::isnan(p)) return 0;
  if (p >= 2.0e9f) return 2000000000;
  if (p <= -2.0e9f) return -2000000000;
  const auto t = static_cast<int32_t>(p);
  const float frac = p - static_cast<float>(t);
  return t + (frac >= 0.5f ? 1 : 0) - (frac <= -0.5f ? 1 : 0);
}

// scaled(x[i], scale) into out[i] for i < n: the same operations, four values at a time
// where the processor has SSE2.
void scale_values(const float* x, std::size_t n, float scale, int32_t* out) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128 by = _mm_set1_ps(scale);
  const __m128 most = _mm_set1_ps(2.0e9f), least = _mm_set1_ps(-2.0e9f);
  const __m128 half = _mm_set1_ps(0.5f), minus_half = _mm_set1_ps(-0.5f);
  for (; i + 4 <= n; i += 4) {
    __m128 p = _mm_mul_ps(_mm_loadu_ps(x + i), by);
    p = _mm_and_ps(p, _mm_cmpord_ps(p, p));  // NaN: 0
    p = _mm_min_ps(_mm_max_ps(p, least), most);
    const __m128i t = _mm_cvttps_epi32(p);
    const __m128 frac = _mm_sub_ps(p, _mm_cvtepi32_ps(t));
    // The comparisons give -1 where true: subtracting "up" adds one, adding "down" takes one.
    const __m128i up = _mm_castps_si128(_mm_cmpge_ps(frac, half));
    const __m128i down = _mm_castps_si128(_mm_cmple_ps(frac, minus_half));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_add_epi32(_mm_sub_epi32(t, up), down));
  }
#endif
  for (; i < n; ++i) out[i] = scaled(x[i], scale);
}

// "00" to "99": two digits at a time.
constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Iw: `v` right-justified in the w blank columns at p, or w asterisks when it does not fit
// (the minus sign takes a column).
inline void put_int(char* p, int w, int32_t v) {
  static constexpr int64_t limit[] = {1,       10,       100,       1000,       10000,      100000,
                                      1000000, 10000000, 100000000, 1000000000, 10000000000};
  const int64_t x = v;
  const bool fits = w >= 11 || (x >= 0 ? x < limit[w] : w >= 2 && -x < limit[w - 1]);
  if (!fits) {
    std::memset(p, '*', static_cast<std::size_t>(w));
    return;
  }
  uint32_t a = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  char* q = p + w;
  while (a >= 100) {
    q -= 2;
    std::memcpy(q, digit_pairs + 2 * (a % 100), 2);
    a /= 100;
  }
  if (a >= 10) {
    q -= 2;
    std::memcpy(q, digit_pairs + 2 * a, 2);
  } else {
    *--q = static_cast<char>('0' + a);
  }
  if (v < 0) *--q = '-';
}

// The last four columns of an I6 field for 0 to 9999 (its first two stay blank): the
// values of a decade line, written with one copy each.
struct FourColumns {
  char c[10000][4];
};
constexpr FourColumns four_column_table() {
  FourColumns t{};
  for (int v = 0; v < 10000; ++v) {
    int a = v;
    int k = 3;
    do {
      t.c[v][k--] = static_cast<char>('0' + a % 10);
      a /= 10;
    } while (a > 0);
    while (k >= 0) t.c[v][k--] = ' ';
  }
  return t;
}
constexpr FourColumns four_columns = four_column_table();

// I6 at the six blank columns at p.
inline void put_value6(char* p, int32_t v) {
  if (static_cast<uint32_t>(v) < 10000u) {
    std::memcpy(p + 2, four_columns.c[v], 4);
  } else {
    put_int(p, 6, v);
  }
}

// The identifier field: the first w characters of the identifier, blank-padded.
void put_id(char* p, std::size_t w, std::string_view id) {
  std::memcpy(p, id.data(), std::min(w, id.size()));
}

// Appends `len` blanks and a line end; returns where the record starts.
char* new_record(recio::Text& out, std::size_t len) {
  const std::size_t at = out.size();
  out.append(len, ' ');
  out.push_back('\n');
  return out.data() + at;
}

// Identifier and year widths of a line by its year: the year field grows to the left.
struct LineForm {
  int idw, yw;
};
LineForm form_for(int32_t year, int idw4) {
  if (year < -999 && year > -10000 && year != -1000) return {idw4 - 1, 5};
  if (year < -999) return {idw4 - 2, 6};
  return {idw4, 4};
}

// The number of eight digits, one in each byte of d (the first column in the lowest byte),
// combined pairwise.
inline int32_t eight_digits(uint64_t d) {
  d = d * 10 + (d >> 8);
  d = (((d & 0x000000FF000000FFull) * 0x000F424000000064ull) +
       (((d >> 16) & 0x000000FF000000FFull) * 0x0000271000000001ull)) >>
      32;
  return static_cast<int32_t>(d);
}

// The common form of a field, blanks and then digits up to its end, in a few operations on
// one word: the eight bytes that end with the field are loaded at once (the caller
// guarantees the 8 - W bytes before the field are there) and those before the field count
// as blanks; blanks must all come before the first digit and turn into zeros, and the
// eight digits are combined pairwise. False for any other field.
template <std::size_t W>
inline bool blanks_then_digits(const char* f, int32_t& v, uint64_t* blank_bytes = nullptr) {
  static_assert(W >= 1 && W <= 8);
  constexpr uint64_t ones = 0x0101010101010101ull;
  uint64_t x;
  std::memcpy(&x, f + W - 8, 8);  // the first column of the field in byte 8 - W
  if constexpr (W < 8) {
    constexpr uint64_t before = ~uint64_t(0) >> (8 * W);  // the bytes before the field
    x = (x & ~before) | ((ones * ' ') & before);
  }
  const uint64_t t = x ^ (ones * ' ');  // 0 in the blank bytes
  const uint64_t marked =
      (((t & (ones * 0x7F)) + ones * 0x7F) | t) & (ones * 0x80);   // 0x80: not blank
  const uint64_t blanks = ((marked ^ (ones * 0x80)) >> 7) * 0xFF;  // 0xFF: blank
  if ((blanks & (blanks + 1)) != 0) return false;                  // a blank after a digit
  if (blank_bytes) *blank_bytes = blanks;
  const uint64_t y = x | (blanks & (ones * 0x10));  // blanks become '0'
  if (((y & (ones * 0xF0)) | (((y + ones * 0x06) & (ones * 0xF0)) >> 4)) != ones * 0x33)
    return false;
  v = eight_digits(y - ones * '0');
  return true;
}

// An integer field of W columns read as the interpreter reads Iw (blanks count as nothing,
// an all-blank field is 0), for fields of blanks, digits and a leading sign; false for
// anything else, which the interpreter is left to judge. At least 8 - W bytes of the line
// stand before the field.
template <std::size_t W>
inline bool simple_int(const char* f, int32_t& v) {
  static_assert(W <= 8, "the value must fit 32 bits");
  if (blanks_then_digits<W>(f, v)) return true;
  std::size_t i = 0;
  while (i < W && f[i] == ' ') ++i;
  if (i == W) {
    v = 0;
    return true;
  }
  const bool neg = f[i] == '-';
  if (neg || f[i] == '+') ++i;
  if (i == W) return false;
  int32_t acc = 0;
  for (; i < W; ++i) {
    const unsigned d = static_cast<unsigned char>(f[i]) - '0';
    if (d > 9) {
      if (f[i] == ' ') continue;
      return false;
    }
    acc = acc * 10 + static_cast<int32_t>(d);
  }
  v = neg ? -acc : acc;
  return true;
}

// The year field, 4, 5 or 6 columns wide.
inline bool simple_year(const char* f, int yw, int32_t& v) {
  switch (yw) {
    case 4:
      return simple_int<4>(f, v);
    case 5:
      return simple_int<5>(f, v);
    case 6:
      return simple_int<6>(f, v);
    default:
      return false;
  }
}

#if defined(__SSE2__)
// Bit k of `blank` and `digit`: byte k of the 64 from p is a blank, a digit.
inline void classify64(const char* p, uint64_t& blank, uint64_t& digit) {
  const __m128i sp = _mm_set1_epi8(' ');
  const __m128i below = _mm_set1_epi8('0' - 1);
  const __m128i above = _mm_set1_epi8('9' + 1);
  blank = digit = 0;
  for (int k = 0; k < 4; ++k) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i is_digit = _mm_and_si128(_mm_cmpgt_epi8(x, below), _mm_cmpgt_epi8(above, x));
    blank |= uint64_t(static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, sp)))) << (16 * k);
    digit |= uint64_t(static_cast<uint16_t>(_mm_movemask_epi8(is_digit))) << (16 * k);
  }
}

// The ten value fields of a measurement line at once, when every one of them is blanks then
// digits (as blanks_then_digits reads each): their values, which are blank, and whether each
// starts with a blank. `p` is column 13; the 64 bytes from p and the 2 before it are
// readable. False, nothing set, when a field is of another form.
bool plain_value_fields(const char* p, std::array<int32_t, 10>& values, ValueFields& seen) {
  constexpr uint64_t ones = 0x0101010101010101ull;
  constexpr uint64_t columns = (uint64_t(1) << 60) - 1;  // the 60 columns of the fields
  constexpr uint64_t starts = 0x041041041041041ull;      // the first column of each field
  uint64_t blank = 0, digit = 0;
  classify64(p, blank, digit);
  if (((blank | digit) & columns) != columns) return false;    // neither blank nor digit
  if ((digit << 1) & blank & columns & ~starts) return false;  // a blank after a digit
  seen = {true, 0, (blank & starts) == starts};
  for (std::size_t i = 0; i < 10; ++i) {
    uint64_t x;
    std::memcpy(&x, p + 6 * i - 2, 8);                        // the field in bytes 2-7
    x = ((x | (ones * 0x10)) & ~uint64_t(0xFFFF)) | 0x3030u;  // blanks and bytes 0-1 as '0'
    values[i] = eight_digits(x - ones * '0');
    if (((blank >> (6 * i)) & 0x3F) == 0x3F)
      seen.blank = static_cast<uint16_t>(seen.blank | (1u << i));
  }
  return true;
}
#endif

// The ten value fields one by one, each as simple_int reads it (`seen` says nothing when
// one of them is not blanks then digits). False at the first field of another form.
bool value_fields_one_by_one(const char* p, std::array<int32_t, 10>& values, ValueFields& seen) {
  seen = {true, 0, true};
  for (std::size_t i = 0; i < 10; ++i) {
    const char* f = p + 6 * i;
    uint64_t blanks = 0;  // 0xFF in the bytes that are blank; the field from byte 2 on
    if (blanks_then_digits<6>(f, values[i], &blanks)) {
      if (blanks == ~uint64_t(0)) seen.blank = static_cast<uint16_t>(seen.blank | (1u << i));
      if ((blanks & 0xFF0000u) == 0) seen.plain = false;
    } else {
      seen.seen = false;
      if (!simple_int<6>(f, values[i])) return false;
    }
  }
  if (!seen.seen) seen = {};
  return true;
}

// The value fields of a measurement line of at least 72 columns.
bool value_fields(std::string_view line, std::array<int32_t, 10>& values, ValueFields& seen) {
#if defined(__SSE2__)
  if (line.size() >= 76) {
    if (plain_value_fields(line.data() + 12, values, seen)) return true;
  } else {
    char padded[2 + 64];  // columns 11-76, blanks past the line's end
    std::memset(padded, ' ', sizeof padded);
    std::memcpy(padded, line.data() + 10, line.size() - 10);
    if (plain_value_fields(padded + 2, values, seen)) return true;
  }
#endif
  return value_fields_one_by_one(line.data() + 12, values, seen);
}

// The identifier field: the first w columns, blank-padded to the destination's width.
void take_id(std::string_view line, std::size_t w, std::string& id) {
  const std::size_t n = std::min({id.size(), w, line.size()});
  std::copy_n(line.data(), n, id.data());
  std::fill(id.begin() + static_cast<std::ptrdiff_t>(n), id.end(), ' ');
}

}  // namespace

recio::Outcome read_measurement_line(std::string_view line, int yw, std::string& id, int32_t& year,
                                     std::array<int32_t, 10>& values, ValueFields* fields) {
  static const recio::Layout forms[] = {recio::Layout::fixed("(A8,I4,10I6)"),
                                        recio::Layout::fixed("(A7,I5,10I6)"),
                                        recio::Layout::fixed("(A6,I6,10I6)")};
  const std::size_t idw = static_cast<std::size_t>(12 - yw);
  ValueFields seen;
  if (line.size() >= 72 && simple_year(line.data() + idw, yw, year) &&
      value_fields(line, values, seen)) {
    take_id(line, idw, id);
    if (fields) *fields = seen;
    return recio::Outcome::ok;
  }
  if (fields) *fields = ValueFields{};
  const std::array<recio::In, 12> items{id,        year,      values[0], values[1],
                                        values[2], values[3], values[4], values[5],
                                        values[6], values[7], values[8], values[9]};
  return recio::read(forms[std::clamp(yw, 4, 6) - 4], line, items);
}

recio::Outcome read_index_line(std::string_view line, int yw, std::string& id, int32_t& year,
                               std::array<int32_t, 10>& values, std::array<int32_t, 10>& counts) {
  static const recio::Layout forms[] = {recio::Layout::fixed("(A6,T7,I4,10(I4,I3))"),
                                        recio::Layout::fixed("(A5,T6,I5,10(I4,I3))"),
                                        recio::Layout::fixed("(A4,T5,I6,10(I4,I3))")};
  const std::size_t idw = static_cast<std::size_t>(10 - yw);
  if (line.size() >= 80 && simple_year(line.data() + idw, yw, year)) {
    bool simple = true;
    for (std::size_t i = 0; i < 10 && simple; ++i)
      simple = simple_int<4>(line.data() + 10 + 7 * i, values[i]) &&
               simple_int<3>(line.data() + 14 + 7 * i, counts[i]);
    if (simple) {
      take_id(line, idw, id);
      return recio::Outcome::ok;
    }
  }
  std::array<recio::In, 22> items{id,        year,      values[0], counts[0], values[1], counts[1],
                                  values[2], counts[2], values[3], counts[3], values[4], counts[4],
                                  values[5], counts[5], values[6], counts[6], values[7], counts[7],
                                  values[8], counts[8], values[9], counts[9]};
  return recio::read(forms[std::clamp(yw, 4, 6) - 4], line, items);
}

int32_t first_line_count(int32_t year) {
  if (year >= 0) return 10 - year % 10;
  const int32_t r = std::abs(year % 10);
  return r == 0 ? 10 : r;
}

void put_measurement_line(recio::Text& out, std::string_view id, int32_t year,
                          std::span<const int32_t> values, std::string_view ltag) {
  const std::size_t n = std::min<std::size_t>(values.size(), 10);
  const bool tagged = n == 10;  // "T75,A"
  char* p = new_record(out, tagged ? 74 + ltag.size() : 12 + 6 * n);
  const LineForm f = form_for(year, 8);
  put_id(p, static_cast<std::size_t>(f.idw), id);
  put_int(p + f.idw, f.yw, year);
  for (std::size_t i = 0; i < n; ++i) put_value6(p + 12 + 6 * i, values[i]);
  if (tagged && !ltag.empty()) std::memcpy(p + 74, ltag.data(), ltag.size());
}

void put_index_line(recio::Text& out, std::string_view id, int32_t year,
                    const std::array<int32_t, 10>& values, const std::array<int32_t, 10>& counts,
                    std::string_view ltag) {
  char* p = new_record(out, 82 + ltag.size());  // "2X,A" after column 80
  const LineForm f = form_for(year, 6);
  put_id(p, static_cast<std::size_t>(f.idw), id);
  put_int(p + f.idw, f.yw, year);
  for (std::size_t i = 0; i < 10; ++i) {
    put_int(p + 10 + 7 * i, 4, values[i]);
    put_int(p + 14 + 7 * i, 3, counts[i]);
  }
  if (!ltag.empty()) std::memcpy(p + 82, ltag.data(), ltag.size());
}

void put_cru_header(recio::Text& out, std::string_view id, int32_t first, int32_t last) {
  const int yw = (first <= -1000 || last <= -1000) ? 5 : 4;
  char* p = new_record(out, 6 + 2 * static_cast<std::size_t>(yw));
  put_id(p, 6, id);
  put_int(p + 6, yw, first);
  put_int(p + 6 + yw, yw, last);
}

void write_measurement_series(recio::Text& out, std::string_view id, int32_t ifyr, int32_t nval,
                              std::span<const float> vals, std::string_view ltag) {
  if (nval <= 0) return;
  const std::size_t nv = std::min(static_cast<std::size_t>(nval), vals.size());
  int32_t lyr = ifyr;
  int32_t k = 0;
  int32_t n = first_line_count(ifyr);
  std::array<int32_t, 10> iv{};
  for (;;) {
    // The line's values, as many of the n as the series has left; after its last value,
    // the end marker.
    const auto left = static_cast<int32_t>(nv) - k;
    const int32_t take = std::min(n, left);
    scale_values(vals.data() + k, static_cast<std::size_t>(take), 1000.0f, iv.data());
    for (int32_t i = 0; i < take; ++i)
      if (iv[static_cast<std::size_t>(i)] == end_hundredths) iv[static_cast<std::size_t>(i)] = 1000;
    const bool finished = take < n;
    if (finished) {
      iv[static_cast<std::size_t>(take)] = end_thousandths;
      n = take + 1;
    }
    k += take;
    put_measurement_line(out, id, lyr,
                         std::span<const int32_t>(iv.data(), static_cast<std::size_t>(n)), ltag);
    if (finished) return;
    lyr += n;
    n = 10;
  }
}

void write_index_series(recio::Text& out, std::string_view id, int32_t ifyr, int32_t nval,
                        std::span<const float> vals, std::span<const int32_t> icnt,
                        std::string_view ltag, bool cru) {
  if (nval <= 0) return;
  // The index writer keeps thousandths; the CRU reader takes hundredths (F4.2), so the CRU
  // layout is written in hundredths to read back to the same values.
  const float scale = cru ? 100.0f : 1000.0f;
  const std::size_t nv = std::min(static_cast<std::size_t>(nval), vals.size());
  const bool ones = icnt.empty() || icnt[0] <= 0;
  if (cru) put_cru_header(out, id, ifyr, ifyr + nval - 1);

  int32_t s;  // position of the first value on the line
  if (ifyr >= 0) {
    s = ifyr % 10 + 1;
  } else {
    const int32_t r = std::abs(ifyr % 10);
    s = r == 0 ? 1 : 11 - r;
  }
  int32_t lyr = ifyr;
  int32_t k = 0;
  std::array<int32_t, 10> iv{}, ic{};
  for (;;) {
    if (cru && k == nval) return;
    iv.fill(9990);
    ic.fill(0);
    bool finished = false;
    for (int32_t i = s; i <= 10; ++i) {
      ++k;
      if (k > nval || static_cast<std::size_t>(k) > nv) {
        finished = true;
        break;
      }
      if (!cru && vals[k - 1] == rmiss) continue;  // no value: the fill pair stays
      iv[i - 1] = scaled(vals[k - 1], scale);
      ic[i - 1] = (ones || static_cast<std::size_t>(k) > icnt.size()) ? 1 : icnt[k - 1];
    }
    put_index_line(out, id, lyr, iv, ic, ltag);
    if (finished) return;
    lyr = lyr - s + 11;
    s = 1;
  }
}

std::size_t series_text_bound(int32_t nval, std::string_view ltag) {
  if (nval <= 0) return 0;
  // A header, a partial first line, the full lines and a line for the end marker.
  return (static_cast<std::size_t>(nval) / 10 + 3) * (83 + ltag.size());
}

}  // namespace ringdate
