// The compiled form of a record layout and the walker that drives a write or a read over
// it. Shared by the layout's compiler (layout.cpp), writer (layout_write.cpp) and fixed-field
// reader (layout_read.cpp); nothing outside recio/ needs it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recio/layout.h"

namespace recio {

namespace layout_limits {

constexpr int kMaxDepth = 32;                   // nesting of parentheses
constexpr int32_t kMaxCount = 1 << 20;          // repeat counts
constexpr int32_t kMaxWidth = 1 << 16;          // field widths, X counts, T positions
constexpr int64_t kMaxSteps = 1 << 24;          // operations one pass of a layout may take
constexpr size_t kMaxPos = size_t(1) << 40;     // read positions saturate here
constexpr size_t kMaxRecord = size_t(1) << 20;  // longest record a write builds

}  // namespace layout_limits

// One operation of a compiled layout: an edit descriptor, or one end of a group.
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

// A layout as a flat list of operations; groups are open/close pairs that link each other.
struct CompiledLayout {
  std::string text;                 // the layout text as given
  std::vector<Op> ops;              // the operations in order
  std::string literals;             // the texts of every literal, one after another
  size_t reversion = 0;             // where a reversion starts again (the last top-level group)
  bool open_end = false;            // the layout has a "$"
  bool reversion_has_data = false;  // a reversion would reach a data edit (else: an error)
};

namespace layout_walk {

// The groups being repeated: where each opened and how many passes it has left.
class Groups {
 public:
  void open(size_t at, int32_t repeat) { stack_[sp_++] = Frame{static_cast<uint32_t>(at), repeat}; }
  // The operation after the close at `at`: the group's first again, or the one after it.
  size_t close(size_t at) {
    Frame& f = stack_[sp_ - 1];
    if (--f.left > 0) return f.open + 1;
    --sp_;
    return at + 1;
  }
  void clear() { sp_ = 0; }

 private:
  struct Frame {
    uint32_t open;
    int32_t left;
  };
  std::array<Frame, layout_limits::kMaxDepth + 1> stack_;
  int sp_ = 0;
};

// A data edit's repeats, one item each; `done` when the items ran out first.
template <class H>
Outcome repeat_data(const Op& op, H& h, bool& done) {
  for (int32_t r = 0; r < op.repeat; ++r) {
    if (!h.more()) {
      done = true;
      return Outcome::ok;
    }
    Outcome o = h.data(op);
    if (o != Outcome::ok) return o;
  }
  return Outcome::ok;
}

}  // namespace layout_walk

// Walks the operations of a layout. The handler provides more() (items left), data(op)
// for one data edit, control(op) for positioning, slashes and literals, and revert() for
// the new record a reversion starts.
template <class H>
Outcome walk(const CompiledLayout& c, H& h) {
  layout_walk::Groups groups;
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
      groups.clear();
      continue;
    }
    const Op& op = ops[idx];
    if (op.kind == Op::open) {
      groups.open(idx++, op.repeat);
    } else if (op.kind == Op::close) {
      idx = groups.close(idx);
    } else if (op.kind == Op::colon) {
      if (!h.more()) return Outcome::ok;
      ++idx;
    } else {
      bool done = false;
      Outcome o = op.is_data() ? layout_walk::repeat_data(op, h, done) : h.control(op);
      if (o != Outcome::ok || done) return o;
      ++idx;
    }
  }
}

}  // namespace recio
