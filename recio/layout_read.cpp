// Reading fixed fields with a compiled layout: I, F, E, D, G and A input over records
// from a source, with the positioning edits, as a Fortran runtime reads them.
#include <algorithm>
#include <cstdint>

#include "recio/layout.h"
#include "recio/layout_ops.h"
#include "recio/number_scan.h"

namespace recio {

namespace {

using layout_limits::kMaxPos;

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

// Real field: F, E, D and G input. Without a typed point the last d digits are decimals.
inline Outcome parse_real(std::string_view f, int32_t d, float& v) {
  return scan_real(f, RealText::field, d, v) ? Outcome::ok : Outcome::error;
}

// A text field of width w into a destination of len characters: the rightmost len columns
// of the field, or the field followed by blanks. `f` holds the columns the record has.
void take_text(std::string_view f, size_t w, std::string& dst) {
  const size_t len = dst.size();
  char* p = dst.data();
  if (w >= len) {
    for (size_t j = 0; j < len; ++j) {
      size_t col = w - len + j;
      p[j] = col < f.size() ? f[col] : ' ';
    }
  } else {
    for (size_t j = 0; j < len; ++j) p[j] = j < f.size() ? f[j] : ' ';
  }
}

// A record source over views (no copy for sources that hold their records).
class Reader {
 public:
  Reader(RecordSource* src, std::string_view first, std::span<const In> items)
      : src_(src), items_(items), rec_(first) {}

  bool more() const { return k_ < items_.size(); }

  Outcome data(const Op& op) {
    const In& it = items_[k_];
    Outcome o = Outcome::ok;
    if (op.kind == Op::integer) {
      if (it.kind() != In::Kind::integer || op.w == 0) return Outcome::error;
      o = numeric(op.w, it.integer(), parse_int);
    } else if (op.kind == Op::text) {
      if (it.kind() != In::Kind::text) return Outcome::error;
      std::string& dst = it.text();
      const size_t w = op.w < 0 ? dst.size() : static_cast<size_t>(op.w);
      take_text(columns(w), w, dst);
      pos_ = std::min(pos_ + w, kMaxPos);
    } else if (op.w == 0) {
      return Outcome::error;
    } else if (it.kind() == In::Kind::real) {
      const int32_t d = op.d;
      auto real = [d](std::string_view f, float& x) { return parse_real(f, d, x); };
      o = numeric(op.w, it.real(), real);
    } else if (it.kind() == In::Kind::integer && op.kind == Op::general) {
      o = numeric(op.w, it.integer(), parse_int);
    } else {
      return Outcome::error;
    }
    if (o != Outcome::ok) return Outcome::error;
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

  // Parses a numeric field into `v` with `parse`; `v` keeps its value when the field is
  // not a number. A comma ends the field early and the next field starts after it. A comma
  // makes the first parse fail, so the common case scans once.
  template <class T, class Parse>
  Outcome numeric(size_t w, T& v, Parse parse) {
    std::string_view f = columns(w);
    T x{};
    Outcome o = parse(f, x);
    if (o != Outcome::ok) {
      size_t comma = f.find(',');
      if (comma == std::string_view::npos) return o;
      o = parse(f.substr(0, comma), x);
      pos_ += comma + 1;
    } else {
      pos_ = std::min(pos_ + w, kMaxPos);
    }
    if (o == Outcome::ok) v = x;
    return o;
  }
};

class SingleRecord : public RecordSource {
 public:
  Outcome next(std::string&) override { return Outcome::eof; }
  Outcome next_view(std::string_view&) override { return Outcome::eof; }
};

}  // namespace

Outcome read(const Layout& layout, RecordSource& source, std::span<const In> items) {
  std::string_view first;
  Outcome o = source.next_view(first);
  if (o != Outcome::ok) return o;
  Reader r(&source, first, items);
  return walk(layout.compiled(), r);
}

Outcome read(const Layout& layout, std::string_view record, std::span<const In> items) {
  SingleRecord none;
  Reader r(&none, record, items);
  return walk(layout.compiled(), r);
}

}  // namespace recio
