// The record-layout compiler: a layout text is compiled once into a flat list of
// operations (groups as open/close pairs, see layout_ops.h), which the writer
// (layout_write.cpp) and the fixed-field reader (layout_read.cpp) walk.
#include "recio/layout.h"

#include <stdexcept>

#include "recio/layout_ops.h"

namespace recio {

namespace {

using layout_limits::kMaxCount;
using layout_limits::kMaxDepth;
using layout_limits::kMaxSteps;
using layout_limits::kMaxWidth;

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

}  // namespace

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

}  // namespace recio
