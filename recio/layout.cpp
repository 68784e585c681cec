// The record-layout interpreter: a layout text is compiled once into a flat list of
// operations (groups as open/close pairs), which one walker drives for writes and reads.
#include "recio/layout.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace recio {

namespace {

constexpr int kMaxDepth = 32;                   // nesting of parentheses
constexpr int32_t kMaxCount = 1 << 20;          // repeat counts
constexpr int32_t kMaxWidth = 1 << 16;          // field widths, X counts, T positions
constexpr int64_t kMaxSteps = 1 << 24;          // operations one pass of a layout may take
constexpr size_t kMaxPos = size_t(1) << 40;     // read positions saturate here
constexpr size_t kMaxRecord = size_t(1) << 20;  // longest record a write builds

}  // namespace

struct Op {
  enum Kind : uint8_t {
    integer,    // Iw[.m]
    fixed,      // Fw.d
    expo,       // Ew.d[Ee], Dw.d
    general,    // Gw.d
    text,       // A, Aw
    skip,       // nX
    tab,        // Tn
    tab_left,   // TLn
    tab_right,  // TRn
    slash,      // n/
    literal,    // 'text', "text", nHtext
    open,       // n(
    close,      // )
    dollar,     // $
    colon,      // :
  };
  Kind kind;
  int32_t repeat = 1;
  int32_t w = 0;  // width (-1: plain A), count for X/T/TL/TR
  int32_t d = 0;  // decimals; for I the minimum digits (-1: none); for E exponent digits in e
  int32_t e = 0;
  uint32_t link = 0;  // open: index of its close; close: index of its open
  uint32_t lit_off = 0, lit_len = 0;

  bool is_data() const { return kind <= text; }
};

struct CompiledLayout {
  std::string text;
  std::vector<Op> ops;
  std::string literals;
  size_t reversion = 0;
  bool open_end = false;
  bool reversion_has_data = false;
};

namespace {

inline bool is_digit(int c) { return c >= '0' && c <= '9'; }
inline int upper(int c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

class Parser {
 public:
  Parser(std::string_view s, CompiledLayout& c) : s_(s), c_(c) {}

  bool parse() {
    if (peek() != '(') return false;
    ++i_;
    size_t last_top = SIZE_MAX;
    int64_t steps = 0;
    if (!list(1, last_top, steps)) return false;
    c_.reversion = last_top == SIZE_MAX ? 0 : last_top;
    for (size_t k = c_.reversion; k < c_.ops.size(); ++k)
      if (c_.ops[k].is_data()) c_.reversion_has_data = true;
    return true;
  }

 private:
  std::string_view s_;
  CompiledLayout& c_;
  size_t i_ = 0;

  int peek() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    return i_ < s_.size() ? upper(static_cast<unsigned char>(s_[i_])) : -1;
  }

  // An unsigned number (blanks inside allowed); false when absent or beyond `max`.
  bool number(int32_t& v, int32_t max) {
    if (!is_digit(peek())) return false;
    int64_t x = 0;
    while (is_digit(peek())) {
      x = x * 10 + (s_[i_] - '0');
      if (x > max) return false;
      ++i_;
    }
    v = static_cast<int32_t>(x);
    return true;
  }

  // Parses up to and including the ')' that closes the current level.
  bool list(int depth, size_t& last_top, int64_t& steps) {
    for (;;) {
      int c = peek();
      if (c == -1) return false;
      if (c == ')') {
        ++i_;
        return true;
      }
      if (c == ',') {
        ++i_;
        continue;
      }
      if (!item(depth, last_top, steps)) return false;
      if (steps > kMaxSteps) return false;
    }
  }

  // One item of a list: an optional repeat count, then a group or one edit descriptor.
  bool item(int depth, size_t& last_top, int64_t& steps) {
    int32_t n = -1;
    if (is_digit(peek())) {
      if (!number(n, kMaxCount) || n == 0) return false;
    }
    const int c = peek();
    if (c == '(') return group(n > 0 ? n : 1, depth, last_top, steps);
    Op op{};
    op.repeat = n > 0 ? n : 1;
    if (!descriptor(c, n, op)) return false;
    c_.ops.push_back(op);
    steps += op.is_data() || op.kind == Op::slash ? op.repeat : 1;
    return true;
  }

  // A parenthesised group repeated `repeat` times: an open and a close operation that link
  // to each other. The last group at the top level is where a reversion starts.
  bool group(int32_t repeat, int depth, size_t& last_top, int64_t& steps) {
    if (depth >= kMaxDepth) return false;
    ++i_;
    const size_t open = c_.ops.size();
    Op op{};
    op.kind = Op::open;
    op.repeat = repeat;
    c_.ops.push_back(op);
    size_t inner_top = 0;
    int64_t inner = 0;
    if (!list(depth + 1, inner_top, inner)) return false;
    Op cl{};
    cl.kind = Op::close;
    cl.link = static_cast<uint32_t>(open);
    c_.ops[open].link = static_cast<uint32_t>(c_.ops.size());
    c_.ops.push_back(cl);
    if (depth == 1) last_top = open;
    steps += static_cast<int64_t>(repeat) * (inner + 1);
    return true;
  }

  // One edit descriptor starting with the character c; n is the count before it (-1: none).
  bool descriptor(int c, int32_t n, Op& op) {
    switch (c) {
      case 'I':
        ++i_;
        return integer_edit(op);
      case 'F':
      case 'E':
      case 'D':
      case 'G':
        ++i_;
        return real_edit(c, op);
      case 'A':
        ++i_;
        op.kind = Op::text;
        op.w = -1;
        return !(is_digit(peek()) && (!number(op.w, kMaxWidth) || op.w == 0));
      case 'X':
        ++i_;
        op.kind = Op::skip;
        op.w = n > 0 ? (n > kMaxWidth ? kMaxWidth : n) : 1;
        op.repeat = 1;
        return true;
      case 'T':
        ++i_;
        return tab(n, op);
      case '/':
        ++i_;
        op.kind = Op::slash;
        return true;
      case '$':
      case ':':
        if (n > 0) return false;
        ++i_;
        op.kind = c == '$' ? Op::dollar : Op::colon;
        if (c == '$') c_.open_end = true;
        return true;
      case 'H':
        return hollerith(n, op);
      case '\'':
      case '"':
        return n <= 0 && quoted(static_cast<char>(c), op);
      default:
        return false;
    }
  }

  // Iw or Iw.m (the minimum digits m are kept in d; -1 without).
  bool integer_edit(Op& op) {
    op.kind = Op::integer;
    if (!number(op.w, kMaxWidth)) return false;
    op.d = -1;
    if (peek() == '.') {
      ++i_;
      if (!number(op.d, kMaxWidth)) return false;
    }
    return true;
  }

  // Fw.d, Gw.d, Ew.d (with an optional Ee exponent width) and Dw.d.
  bool real_edit(int c, Op& op) {
    op.kind = c == 'F' ? Op::fixed : c == 'G' ? Op::general : Op::expo;
    if (!number(op.w, kMaxWidth)) return false;
    if (peek() != '.') return false;
    ++i_;
    if (!number(op.d, kMaxWidth)) return false;
    if (c == 'E' && peek() == 'E') {
      ++i_;
      if (!number(op.e, 9) || op.e == 0) return false;
    }
    return !((c == 'E' || c == 'D') && op.d == 0);
  }

  // Tn, TLn and TRn; no count before them.
  bool tab(int32_t n, Op& op) {
    const int c2 = peek();
    op.kind = Op::tab;
    if (c2 == 'L' || c2 == 'R') {
      ++i_;
      op.kind = c2 == 'L' ? Op::tab_left : Op::tab_right;
    }
    if (n > 0) return false;
    if (!number(op.w, kMaxWidth)) return false;
    return !(op.kind == Op::tab && op.w == 0);
  }

  // nH followed by n characters of text.
  bool hollerith(int32_t n, Op& op) {
    if (n <= 0) return false;
    ++i_;
    if (s_.size() - i_ < static_cast<size_t>(n)) return false;
    op.kind = Op::literal;
    op.repeat = 1;
    op.lit_off = static_cast<uint32_t>(c_.literals.size());
    c_.literals.append(s_.substr(i_, n));
    op.lit_len = static_cast<uint32_t>(n);
    i_ += n;
    return true;
  }

  // A text in apostrophes or quotes; a doubled quote character stands for itself.
  bool quoted(char q, Op& op) {
    ++i_;
    op.kind = Op::literal;
    op.lit_off = static_cast<uint32_t>(c_.literals.size());
    for (;;) {
      if (i_ >= s_.size()) return false;
      const char ch = s_[i_++];
      if (ch == q) {
        if (i_ < s_.size() && s_[i_] == q) {
          c_.literals.push_back(q);
          ++i_;
          continue;
        }
        break;
      }
      c_.literals.push_back(ch);
    }
    op.lit_len = static_cast<uint32_t>(c_.literals.size() - op.lit_off);
    return true;
  }
};

// Walks the operations of a layout. The handler provides more() (items left), data(op)
// for one data edit, control(op) for positioning, slashes and literals, and revert() for
// the new record a reversion starts.
template <class H>
Outcome walk(const CompiledLayout& c, H& h) {
  struct Frame {
    uint32_t open;
    int32_t left;
  };
  std::array<Frame, kMaxDepth + 1> stack;
  int sp = 0;
  const Op* ops = c.ops.data();
  const size_t n = c.ops.size();
  size_t idx = 0;
  for (;;) {
    if (idx == n) {
      if (!h.more()) return Outcome::ok;
      if (!c.reversion_has_data) return Outcome::error;
      Outcome o = h.revert();
      if (o != Outcome::ok) return o;
      idx = c.reversion;
      sp = 0;
      continue;
    }
    const Op& op = ops[idx];
    switch (op.kind) {
      case Op::open:
        stack[sp++] = Frame{static_cast<uint32_t>(idx), op.repeat};
        ++idx;
        break;
      case Op::close: {
        Frame& f = stack[sp - 1];
        if (--f.left > 0) {
          idx = f.open + 1;
        } else {
          --sp;
          ++idx;
        }
        break;
      }
      case Op::colon:
        if (!h.more()) return Outcome::ok;
        ++idx;
        break;
      case Op::integer:
      case Op::fixed:
      case Op::expo:
      case Op::general:
      case Op::text:
        for (int32_t r = 0; r < op.repeat; ++r) {
          if (!h.more()) return Outcome::ok;
          Outcome o = h.data(op);
          if (o != Outcome::ok) return o;
        }
        ++idx;
        break;
      default: {
        Outcome o = h.control(op);
        if (o != Outcome::ok) return o;
        ++idx;
      }
    }
  }
}

// ---------------------------------------------------------------- output

void stars(char* p, size_t w) { std::memset(p, '*', w); }

// Right-justifies `body` (with a leading minus when `neg`) in w columns; asterisks when
// it does not fit. w == 0 means the minimal width.
void put_number(std::string& out, bool neg, std::string_view body, int32_t w) {
  size_t len = body.size() + (neg ? 1 : 0);
  size_t width = w == 0 ? len : static_cast<size_t>(w);
  size_t at = out.size();
  out.resize(at + width, ' ');
  char* p = out.data() + at;
  if (len > width) {
    stars(p, width);
    return;
  }
  p += width - len;
  if (neg) *p++ = '-';
  if (!body.empty()) std::memcpy(p, body.data(), body.size());
}

void format_integer(std::string& out, int32_t v, int32_t w, int32_t m) {
  char buf[32];
  bool neg = v < 0;
  uint64_t a = neg ? static_cast<uint64_t>(-static_cast<int64_t>(v)) : static_cast<uint64_t>(v);
  auto r = std::to_chars(buf, buf + sizeof buf, a);
  std::string_view digits(buf, r.ptr - buf);
  std::string padded;
  if (m == 0 && v == 0) {
    digits = {};
  } else if (m > 0 && static_cast<size_t>(m) > digits.size()) {
    padded.assign(m - digits.size(), '0');
    padded += digits;
    digits = padded;
  }
  put_number(out, neg, digits, w);
}

bool special(std::string& out, float v, int32_t w) {
  if (std::isnan(v)) {
    put_number(out, false, "NaN", w);
    return true;
  }
  if (std::isinf(v)) {
    bool neg = std::signbit(v);
    bool long_form = w == 0 || w >= (neg ? 9 : 8);
    put_number(out, neg, long_form ? "Infinity" : "Inf", w);
    return true;
  }
  return false;
}

// Fw.d: the exact binary value rounded to d decimals (ties to even, as printf does).
void format_fixed(std::string& out, float v, int32_t w, int32_t d) {
  if (special(out, v, w)) return;
  double x = std::fabs(static_cast<double>(v));
  std::string body;
  body.resize(64 + static_cast<size_t>(d));
  int len = std::snprintf(body.data(), body.size(), "%.*f", static_cast<int>(d), x);
  body.resize(len > 0 ? static_cast<size_t>(len) : 0);
  if (d == 0) body.push_back('.');
  bool neg = std::signbit(v);
  size_t need = body.size() + (neg ? 1 : 0);
  if (d > 0 && body.size() > 1 && body[0] == '0' && body[1] == '.' &&
      (w == 0 || need > static_cast<size_t>(w)))
    body.erase(0, 1);
  put_number(out, neg, body, w);
}

// Ew.d[Ee]: 0.ddddE+xx.
void format_expo(std::string& out, float v, int32_t w, int32_t d, int32_t e) {
  if (special(out, v, w)) return;
  double x = std::fabs(static_cast<double>(v));
  std::string digits;
  int ex = 0;
  if (x == 0.0) {
    digits.assign(d, '0');
  } else {
    std::string tmp(64 + static_cast<size_t>(d), '\0');
    int len = std::snprintf(tmp.data(), tmp.size(), "%.*e", static_cast<int>(d - 1), x);
    tmp.resize(len > 0 ? static_cast<size_t>(len) : 0);
    size_t epos = tmp.find('e');
    for (size_t k = 0; k < epos; ++k)
      if (tmp[k] != '.') digits.push_back(tmp[k]);
    ex = std::atoi(tmp.c_str() + epos + 1) + 1;
  }
  std::string body = "0." + digits;
  int ed = e > 0 ? e : 2;
  int ae = ex < 0 ? -ex : ex;
  std::string eb = std::to_string(ae);
  std::string expo;
  if (e > 0 || ae <= 99) {
    if (static_cast<int>(eb.size()) < ed) eb.insert(0, ed - eb.size(), '0');
    if (static_cast<int>(eb.size()) <= ed) expo = std::string("E") + (ex < 0 ? '-' : '+') + eb;
  } else {
    if (eb.size() < 3) eb.insert(0, 3 - eb.size(), '0');
    expo = std::string(ex < 0 ? "-" : "+") + eb;
  }
  bool neg = std::signbit(v);
  if (expo.empty()) {
    size_t width = w == 0 ? body.size() : static_cast<size_t>(w);
    out.append(width, '*');
    return;
  }
  body += expo;
  if (w != 0 && body.size() + (neg ? 1 : 0) > static_cast<size_t>(w)) body.erase(0, 1);
  put_number(out, neg, body, w);
}

// Gw.d: F editing with four trailing blanks when the value has 0 to d integer digits,
// E editing otherwise.
void format_general(std::string& out, float v, int32_t w, int32_t d) {
  if (special(out, v, w)) return;
  double x = std::fabs(static_cast<double>(v));
  int k = 0;
  if (x != 0.0 && d > 0) {
    char tmp[64];
    std::snprintf(tmp, sizeof tmp, "%.*e", static_cast<int>(d - 1) > 40 ? 40 : d - 1, x);
    k = std::atoi(std::strchr(tmp, 'e') + 1) + 1;
  } else if (x == 0.0) {
    k = 1;
  }
  if (d > 0 && k >= 0 && k <= d && (w == 0 || w > 4)) {
    format_fixed(out, v, w == 0 ? 0 : w - 4, d - (k == 0 ? 0 : k));
    out.append(4, ' ');
  } else if (d > 0) {
    format_expo(out, v, w, d, 0);
  } else {
    format_fixed(out, v, w, 0);
  }
}

class Writer {
 public:
  Writer(const CompiledLayout& c, std::span<const Out> items) : c_(c), items_(items) {}

  bool more() const { return k_ < items_.size(); }

  Outcome data(const Op& op) {
    const Out& it = items_[k_];
    field_.clear();
    switch (op.kind) {
      case Op::integer:
        if (it.kind() != Out::Kind::integer) return Outcome::error;
        format_integer(field_, it.integer(), op.w, op.d);
        break;
      case Op::fixed:
      case Op::expo:
      case Op::general:
        if (it.kind() != Out::Kind::real) return Outcome::error;
        if (op.kind == Op::fixed)
          format_fixed(field_, it.real(), op.w, op.d);
        else if (op.kind == Op::expo)
          format_expo(field_, it.real(), op.w, op.d, op.e);
        else
          format_general(field_, it.real(), op.w, op.d);
        break;
      default: {  // text
        if (it.kind() != Out::Kind::text) return Outcome::error;
        std::string_view t = it.text();
        if (op.w < 0) {
          field_.assign(t);
        } else if (static_cast<size_t>(op.w) <= t.size()) {
          field_.assign(t.substr(0, op.w));
        } else {
          field_.assign(op.w - t.size(), ' ');
          field_.append(t);
        }
      }
    }
    ++k_;
    return place(field_);
  }

  Outcome control(const Op& op) {
    switch (op.kind) {
      case Op::skip:
      case Op::tab_right:
        pos_ += op.w;
        break;
      case Op::tab:
        pos_ = op.w - 1;
        break;
      case Op::tab_left:
        pos_ = pos_ > static_cast<size_t>(op.w) ? pos_ - op.w : 0;
        break;
      case Op::slash:
        for (int32_t r = 0; r < op.repeat; ++r) new_record();
        break;
      case Op::literal:
        return place(std::string_view(c_.literals).substr(op.lit_off, op.lit_len));
      default:
        break;
    }
    if (pos_ > kMaxRecord) return Outcome::error;
    return Outcome::ok;
  }

  Outcome revert() {
    if (!c_.open_end) new_record();
    return Outcome::ok;
  }

  Records finish(Outcome o) {
    if (o == Outcome::ok) {
      out_.lines.push_back(std::move(rec_));
      out_.open_end = c_.open_end;
    }
    return std::move(out_);
  }

 private:
  const CompiledLayout& c_;
  std::span<const Out> items_;
  size_t k_ = 0;
  std::string rec_;
  size_t pos_ = 0;
  std::string field_;
  Records out_;

  void new_record() {
    out_.lines.push_back(std::move(rec_));
    rec_.clear();
    pos_ = 0;
  }

  // Puts text at the current position: blanks fill a gap before it, and it overwrites
  // what an earlier backward tab left there.
  Outcome place(std::string_view t) {
    if (pos_ + t.size() > kMaxRecord) return Outcome::error;
    if (rec_.size() < pos_) rec_.resize(pos_, ' ');
    if (t.empty()) return Outcome::ok;
    size_t over = std::min(t.size(), rec_.size() - pos_);
    rec_.replace(pos_, over, t.data(), over);
    rec_.append(t.data() + over, t.size() - over);
    pos_ += t.size();
    return Outcome::ok;
  }
};

// ---------------------------------------------------------------- input

// Integer field (blanks count as nothing). `f` holds only the columns the record has.
inline Outcome parse_int(std::string_view f, int32_t& v) {
  size_t i = 0;
  const size_t n = f.size();
  while (i < n && f[i] == ' ') ++i;
  if (i == n) {
    v = 0;
    return Outcome::ok;
  }
  bool neg = false;
  if (f[i] == '-' || f[i] == '+') {
    neg = f[i] == '-';
    ++i;
    if (i == n) return Outcome::error;  // a sign as the last column of the field
  }
  uint64_t acc = 0;
  for (; i < n; ++i) {
    char c = f[i];
    if (c == ' ') continue;
    unsigned dgt = static_cast<unsigned char>(c) - '0';
    if (dgt > 9) return Outcome::error;
    acc = acc * 10 + dgt;
    if (acc > 2147483648ULL) return Outcome::error;
  }
  if (!neg && acc > 2147483647ULL) return Outcome::error;
  v = neg ? static_cast<int32_t>(-static_cast<int64_t>(acc)) : static_cast<int32_t>(acc);
  return Outcome::ok;
}

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

// Real field: F, E, D and G input. Without a typed point the last d digits are decimals.
Outcome parse_real(std::string_view f, int32_t d, float& v) {
  size_t i = 0;
  const size_t n = f.size();
  while (i < n && f[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (f[i] == '-' || f[i] == '+')) {
    neg = f[i] == '-';
    ++i;
    while (i < n && f[i] == ' ') ++i;
  }
  if (i == n) {  // blank field, or a lone sign
    v = 0.0f;
    return Outcome::ok;
  }
  if (int c = upper(static_cast<unsigned char>(f[i])); c == 'I' || c == 'N') {
    return parse_infnan(f.substr(i), neg, v) ? Outcome::ok : Outcome::error;
  }
  uint64_t m = 0;
  int nd = 0;
  int64_t drop = 0, frac = 0;
  bool point = false, any = false;
  for (; i < n; ++i) {
    char c = f[i];
    if (c == ' ') continue;
    if (c == '.') {
      if (point) return Outcome::error;
      point = true;
      continue;
    }
    unsigned dgt = static_cast<unsigned char>(c) - '0';
    if (dgt > 9) break;
    any = true;
    if (m == 0 && dgt == 0) {
      if (point) ++frac;
    } else if (nd < 19) {
      m = m * 10 + dgt;
      ++nd;
      if (point) ++frac;
    } else if (!point) {
      ++drop;
    }
  }
  int64_t ex = 0;
  if (i < n) {
    char c = f[i];
    int u = upper(static_cast<unsigned char>(c));
    bool eneg = false;
    bool sign = false;
    if (u == 'E' || u == 'D' || u == 'Q') {
      ++i;
      while (i < n && f[i] == ' ') ++i;
      if (i < n && (f[i] == '+' || f[i] == '-')) {
        eneg = f[i] == '-';
        sign = true;
        ++i;
      }
    } else if (c == '+' || c == '-') {
      eneg = c == '-';
      sign = true;
      ++i;
    } else {
      return Outcome::error;
    }
    // As gfortran does: a sign in the last column is an error; a blank right after the
    // sign makes the exponent 0 (digits after it are not taken, anything else is an
    // error); otherwise at least one digit must follow.
    if (sign && i == n) return Outcome::error;
    if (sign && f[i] == ' ') {
      for (; i < n; ++i)
        if (f[i] != ' ' && !is_digit(static_cast<unsigned char>(f[i]))) return Outcome::error;
    } else {
      bool digit = false;
      for (; i < n; ++i) {
        if (f[i] == ' ') continue;
        unsigned dgt = static_cast<unsigned char>(f[i]) - '0';
        if (dgt > 9) return Outcome::error;
        digit = true;
        if (ex < 100000) ex = ex * 10 + dgt;
      }
      if (!digit) return Outcome::error;
    }
    if (eneg) ex = -ex;
  }
  if (!any) {  // "-.", "E2": zero (with the sign typed)
    v = neg ? -0.0f : 0.0f;
    return Outcome::ok;
  }
  int64_t e10 = ex + drop - (point ? frac : d);
  v = scale(m, e10, neg);
  return Outcome::ok;
}

// A record source over views (no copy for sources that hold their records).
class Reader {
 public:
  Reader(RecordSource* src, std::string_view first, std::span<const In> items,
         const CompiledLayout& c)
      : src_(src), items_(items), rec_(first), c_(c) {}

  bool more() const { return k_ < items_.size(); }

  Outcome data(const Op& op) {
    const In& it = items_[k_];
    switch (op.kind) {
      case Op::integer: {
        if (it.kind() != In::Kind::integer || op.w == 0) return Outcome::error;
        int32_t v;
        if (numeric(op.w, v, parse_int) != Outcome::ok) return Outcome::error;
        it.integer() = v;
        break;
      }
      case Op::fixed:
      case Op::expo:
      case Op::general: {
        if (op.w == 0) return Outcome::error;
        if (it.kind() == In::Kind::real) {
          float v;
          const int32_t d = op.d;
          auto real = [d](std::string_view f, float& x) { return parse_real(f, d, x); };
          if (numeric(op.w, v, real) != Outcome::ok) return Outcome::error;
          it.real() = v;
        } else if (it.kind() == In::Kind::integer && op.kind == Op::general) {
          int32_t v;
          if (numeric(op.w, v, parse_int) != Outcome::ok) return Outcome::error;
          it.integer() = v;
        } else {
          return Outcome::error;
        }
        break;
      }
      default: {  // text
        if (it.kind() != In::Kind::text) return Outcome::error;
        std::string& dst = it.text();
        const size_t len = dst.size();
        const size_t w = op.w < 0 ? len : static_cast<size_t>(op.w);
        std::string_view f = columns(w);
        pos_ = std::min(pos_ + w, kMaxPos);
        char* p = dst.data();
        if (w >= len) {  // the rightmost len columns of the field
          for (size_t j = 0; j < len; ++j) {
            size_t col = w - len + j;
            p[j] = col < f.size() ? f[col] : ' ';
          }
        } else {  // the field, then blanks
          for (size_t j = 0; j < len; ++j) p[j] = j < f.size() ? f[j] : ' ';
        }
      }
    }
    ++k_;
    return Outcome::ok;
  }

  Outcome control(const Op& op) {
    switch (op.kind) {
      case Op::skip:
      case Op::tab_right:
        pos_ = std::min(pos_ + op.w, kMaxPos);
        break;
      case Op::tab:
        pos_ = op.w - 1;
        break;
      case Op::tab_left:
        pos_ = pos_ > static_cast<size_t>(op.w) ? pos_ - op.w : 0;
        break;
      case Op::slash:
        for (int32_t r = 0; r < op.repeat; ++r) {
          Outcome o = next_record();
          if (o != Outcome::ok) return o;
        }
        break;
      case Op::literal:
        return Outcome::error;  // a literal cannot be read
      default:
        break;
    }
    return Outcome::ok;
  }

  Outcome revert() { return next_record(); }

 private:
  RecordSource* src_;
  std::span<const In> items_;
  size_t k_ = 0;
  std::string_view rec_;
  size_t pos_ = 0;
  [[maybe_unused]] const CompiledLayout& c_;

  Outcome next_record() {
    pos_ = 0;
    if (!src_) return Outcome::eof;
    Outcome o = src_->next_view(rec_);
    if (o != Outcome::ok) rec_ = {};
    return o;
  }

  // The columns of the next w that the record has (a shorter record reads as blanks).
  std::string_view columns(size_t w) const {
    if (pos_ >= rec_.size()) return {};
    return rec_.substr(pos_, std::min(w, rec_.size() - pos_));
  }

  // Parses a numeric field with `parse`; a comma ends the field early and the next field
  // starts after it. A comma makes the first parse fail, so the common case scans once.
  template <class T, class Parse>
  Outcome numeric(size_t w, T& v, Parse parse) {
    std::string_view f = columns(w);
    Outcome o = parse(f, v);
    if (o != Outcome::ok) {
      size_t comma = f.find(',');
      if (comma == std::string_view::npos) return o;
      o = parse(f.substr(0, comma), v);
      pos_ += comma + 1;
      return o;
    }
    pos_ = std::min(pos_ + w, kMaxPos);
    return o;
  }
};

// ---------------------------------------------------------------- free form

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

bool strict_real(std::string_view t, float& v) {
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  if (i == t.size()) return false;
  if (int c = upper(static_cast<unsigned char>(t[i])); c == 'I' || c == 'N')
    return parse_infnan(t.substr(i), neg, v);
  uint64_t m = 0;
  int nd = 0;
  int64_t drop = 0, frac = 0, ex = 0;
  bool point = false, any = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c == '.') {
      if (point) return false;
      point = true;
      continue;
    }
    unsigned dgt = static_cast<unsigned char>(c) - '0';
    if (dgt > 9) break;
    any = true;
    if (m == 0 && dgt == 0) {
      if (point) ++frac;
    } else if (nd < 19) {
      m = m * 10 + dgt;
      ++nd;
      if (point) ++frac;
    } else if (!point) {
      ++drop;
    }
  }
  if (!any) return false;
  if (i < t.size()) {
    int u = upper(static_cast<unsigned char>(t[i]));
    if (u == 'E' || u == 'D' || u == 'Q')
      ++i;
    else if (t[i] != '+' && t[i] != '-')
      return false;
    bool eneg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) eneg = t[i++] == '-';
    if (i == t.size()) return false;
    for (; i < t.size(); ++i) {
      unsigned dgt = static_cast<unsigned char>(t[i]) - '0';
      if (dgt > 9) return false;
      if (ex < 100000) ex = ex * 10 + dgt;
    }
    if (eneg) ex = -ex;
  }
  v = scale(m, ex + drop - frac, neg);
  return true;
}

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

class SingleRecord : public RecordSource {
 public:
  Outcome next(std::string&) override { return Outcome::eof; }
  Outcome next_view(std::string_view&) override { return Outcome::eof; }
};

}  // namespace

// ---------------------------------------------------------------- public

std::optional<Layout> Layout::compile(std::string_view text) {
  auto c = std::make_shared<CompiledLayout>();
  c->text = std::string(text);
  Parser p(text, *c);
  if (!p.parse()) return std::nullopt;
  Layout l;
  l.impl_ = std::move(c);
  return l;
}

Layout Layout::fixed(std::string_view text) {
  auto l = compile(text);
  if (!l) throw std::invalid_argument("invalid record layout: " + std::string(text));
  return *l;
}

const std::string& Layout::text() const { return impl_->text; }
bool Layout::open_end() const { return impl_->open_end; }

Records write(const Layout& layout, std::span<const Out> items) {
  Writer w(layout.compiled(), items);
  Outcome o = walk(layout.compiled(), w);
  return w.finish(o);
}

Outcome read(const Layout& layout, RecordSource& source, std::span<const In> items) {
  std::string_view first;
  Outcome o = source.next_view(first);
  if (o != Outcome::ok) return o;
  Reader r(&source, first, items, layout.compiled());
  return walk(layout.compiled(), r);
}

Outcome read(const Layout& layout, std::string_view record, std::span<const In> items) {
  SingleRecord none;
  Reader r(&none, record, items, layout.compiled());
  return walk(layout.compiled(), r);
}

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
