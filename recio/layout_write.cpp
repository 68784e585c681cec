// Writing records with a compiled layout: I, F, E and G output, text, literals and the
// positioning edits, with the results a Fortran runtime gives.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "recio/layout.h"
#include "recio/layout_ops.h"

namespace recio {

namespace {

using layout_limits::kMaxRecord;

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

}  // namespace

Records write(const Layout& layout, std::span<const Out> items) {
  Writer w(layout.compiled(), items);
  Outcome o = walk(layout.compiled(), w);
  return w.finish(o);
}

}  // namespace recio
