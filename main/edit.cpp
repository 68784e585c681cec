#include "main/edit.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace ringdate {

namespace {

char up(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string id8(const std::string& s) {
  std::string r = s.substr(0, std::min<std::size_t>(s.size(), 8));
  r.resize(8, ' ');
  return r;
}

// The store series of the pick the edit was made on; 0 when there is none.
int32_t edited_series(const Store& st, const Tsi1& t) {
  if (t.edsel != 0) {
    if (t.edsel < 1 || t.edsel > std::min(t.nsel, mxser)) return 0;
    const int32_t i = st.iseq(t.edsel);
    return i >= 1 && i <= st.nser ? i : 0;
  }
  const std::string want = id8(t.edid);
  for (int32_t i = 1; i <= st.nser; ++i)
    if (id8(st.ids[i - 1]) == want) return i;
  return 0;
}

// Moves every series of wrk and raw one row down, so that row 1 is a year earlier.
void grow_front(Store& st) {
  const int32_t rows = st.iyrmax() - st.iyrmin() + 1;
  for (int32_t c = 1; c <= st.nser; ++c) {
    for (int32_t r = rows; r >= 1; --r) {
      st.wrk(r + 1, c) = st.wrk(r, c);
      st.raw(r + 1, c) = st.raw(r, c);
    }
    st.wrk(1, c) = rmiss;
    st.raw(1, c) = rmiss;
  }
  st.iyr(st.nser + 1, 1) -= 1;
}

}  // namespace

bool apply_edit(Store& st, Tsi1& t) {
  if (t.edyr == no_edit) return true;
  const char op = up(t.edop), side = up(t.edside);
  if (op != 'I' && op != 'D' && op != 'M') return true;  // nothing reaches the store
  if (st.nser < 1 || st.nser > mxser) return false;

  const int32_t i = edited_series(st, t);
  if (i == 0) return false;
  const int32_t f = st.iyr(i, 1), l = st.iyr(i, 2), n = l - f + 1, d = f - st.iyrmin();
  const int64_t axis = int64_t{st.iyrmax()} - st.iyrmin() + 1;
  if (n < 1 || d < 0 || int64_t{d} + n > mxyr || axis > mxyr || l > st.iyrmax()) return false;
  const int32_t y = t.edyr;

  // Checks first: a refused edit changes nothing.
  int32_t e = 0;  // the earlier year of a merge
  if (op == 'I') {
    if (y < f || y > l) return false;
    if (side == 'B' && f - 1 < st.iyrmin() && axis >= mxyr) return false;
    if (side == 'A' && int64_t{l} + 1 - st.iyrmin() + 1 > mxyr) return false;
  } else if (op == 'D') {
    if (y < f || y > l) return false;
    if ((side == 'B' || side == 'A') && n < 2) return false;
  } else {
    e = t.edmrg;
    if (e == no_edit || e < f || int64_t{e} + 1 > l) return false;
  }

  // A in vec (working values), B in curve (measured values), positions 1..n.
  Vec<float>& a = t.vec;
  Vec<float>& b = st.curve;
  for (int32_t k = 1; k <= n; ++k) {
    a(k) = st.wrk(d + k, i);
    b(k) = st.raw(d + k, i);
  }
  int32_t nf = f, nl = l;

  if (op == 'I') {
    const int32_t q = y - f + 1;
    // With the span kept the last value drops out, so it needs no room.
    for (int32_t p = std::min(n, mxyr - 1); p >= q; --p) {
      a(p + 1) = a(p);
      b(p + 1) = b(p);
    }
    a(q) = 0.0f;
    b(q) = 0.0f;
    int32_t from = d + 1, count = n;
    if (side == 'B') {
      nf = f - 1;
      if (nf < st.iyrmin()) grow_front(st);
      from = nf - st.iyrmin() + 1;
      count = n + 1;
    } else if (side == 'A') {
      nl = l + 1;
      if (nl > st.iyrmax()) st.iyr(st.nser + 1, 2) = nl;
      count = n + 1;
    }
    for (int32_t k = 1; k <= count; ++k) {
      st.wrk(from + k - 1, i) = a(k);
      st.raw(from + k - 1, i) = b(k);
    }
  } else {
    int32_t q = y - f + 1;
    if (op == 'M') {
      q = e - f + 1;
      const float sa = a(q) + a(q + 1), sb = b(q) + b(q + 1);
      for (int32_t p = q; p <= n - 1; ++p) {
        a(p) = a(p + 1);
        b(p) = b(p + 1);
      }
      a(q) = sa;
      b(q) = sb;
    } else {
      for (int32_t p = q; p <= n - 1; ++p) {
        a(p) = a(p + 1);
        b(p) = b(p + 1);
      }
    }
    int32_t from = d + 1, count = n;
    if (side == 'B') {
      nf = f + 1;
      st.wrk(d + 1, i) = rmiss;
      st.raw(d + 1, i) = rmiss;
      from = d + 2;
      count = n - 1;
    } else if (side == 'A') {
      nl = l - 1;
      st.wrk(d + n, i) = rmiss;
      st.raw(d + n, i) = rmiss;
      count = n - 1;
    }
    for (int32_t k = 1; k <= count; ++k) {
      st.wrk(from + k - 1, i) = a(k);
      st.raw(from + k - 1, i) = b(k);
    }
  }
  st.iyr(i, 1) = nf;
  st.iyr(i, 2) = nl;
  return true;
}

}  // namespace ringdate
