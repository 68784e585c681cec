#include "main/cmpplt.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ringedit.h"
#include "recio/fields.h"
#include "recio/layout.h"

namespace ringdate {

namespace {

using recio::padded;
using recio::trimmed;

using recio::Layout;

char up(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

const Layout& menu_layout() {
  static const Layout x = Layout::fixed(
      "(/1X,'So, like enter your option already:'"
      "/2X,'S[H]ift series left or right',T40,'H'"
      "/3X,'[Z]oom in to problem interval',T40,'Z'"
      "/3X,'[R]e-scale series',T40,'R'"
      "/3X,'[U]nzoom back to full series',T40,'U'"
      "/3X,'[I]nsert a missing ring',T40,'I'"
      "/3X,'[D]elete an extra ring',T40,'D'"
      "/3X,'[Q]uit this stuff, okay?',T40,'Q',T45,'==> ',$)");
  return x;
}

}  // namespace

float& Cmpplt::cell(Tsi1& t, int32_t k, int32_t year) {
  const int64_t row = int64_t{year} - r0_ + 1;
  // Every edit is checked against the rows of sel before it gets here; an out-of-range
  // cell would be a fault of the caller's data, and it is kept away from the matrix.
  if (row < 1 || row > static_cast<int64_t>(t.sel.rows()) || k < 1 ||
      static_cast<std::size_t>(k) > t.sel.cols()) {
    sink_ = rmiss;
    return sink_;
  }
  return t.sel(static_cast<std::size_t>(row), static_cast<std::size_t>(k));
}

void Cmpplt::say(const std::string& text) {
  static const Layout x = Layout::fixed("(1X,A)");
  s_->write(x, {text});
}

namespace {

// The answer "/" (blanks around it allowed).
bool is_slash(std::string_view line) {
  const auto b = line.find_first_not_of(' ');
  return b != std::string_view::npos && line[b] == '/' &&
         line.find_first_not_of(' ', b + 1) == std::string_view::npos;
}

}  // namespace

std::optional<int32_t> Cmpplt::read_int() { return recio::read_free_int(s_->answer_line()); }

char Cmpplt::read_char() { return s_->answer(1)[0]; }

void Cmpplt::finish() { drawer_->finish(); }

void Cmpplt::tell(const LoopEdit& edit) { rec_.edits.push_back(edit); }

// Entry: the full span, the names, the window.
void Cmpplt::enter(const Tsi1& t) {
  if (span0_.rows() < t.sel.cols()) {  // a row for every pick the record can hold
    span0_.resize(t.sel.cols(), 2);
    rec_.thenames.cmpnam.resize(t.sel.cols(), std::string(8, ' '));
  }
  f0_ = INT32_MAX;
  l0_ = INT32_MIN;
  for (int32_t k = 1; k <= n_; ++k) {
    f0_ = std::min(f0_, t.syr(k, 1));
    l0_ = std::max(l0_, t.syr(k, 2));
    rec_.thenames.cmpnam[k - 1] = padded(t.sid[k - 1], 8).substr(0, 8);
    span0_(k, 1) = t.syr(k, 1);
    span0_(k, 2) = t.syr(k, 2);
  }
  r0_ = t.syr(n_ + 1, 1);
  isel_ = 0;
  rec_.theinput.winfst = f0_;
  rec_.theinput.winlst = l0_;
  rec_.thedata.ndraw = n_;
  rec_.thedata.yr0 = f0_;
}

Comparison Cmpplt::operator()(Tsi1& t, const std::string& fname, const std::string& fileword,
                              const std::string& yearword, const std::string& units) {
  fname_ = fname;
  fileword_ = fileword;
  yearword_ = yearword;
  units_ = units;
  posted_.reset();
  rec_.edits.clear();
  n_ = t.nsel;
  axis_ = static_cast<int32_t>(t.sel.rows());
  if (n_ < 1 || static_cast<std::size_t>(n_) > std::min(t.sel.cols(), t.sid.size()) ||
      static_cast<std::size_t>(n_) >= t.syr.rows()) {  // nothing to compare
    drawer_->finish();
    return {};
  }
  enter(t);
  for (;;) {
    draw(t);
    if (posted_) {
      drawer_->finish();
      return {CompareOutcome::edit_posted, std::exchange(posted_, std::nullopt)};
    }
    s_->write(menu_layout());
    const char op = up(read_char());
    if (op == 'Z') {
      zoom();
    } else if (op == 'U') {
      rec_.theinput.winfst = f0_;
      rec_.theinput.winlst = l0_;
      rec_.thedata.ndraw = n_;
    } else if (op == 'Q') {
      return {CompareOutcome::quit, {}};  // the plot stays up: the caller finishes
    } else if (op == 'I' || op == 'D' || op == 'M' || op == 'H' || op == 'R') {
      choose(t);
      run_option(t, op);
    } else {
      drawer_->finish();
      return {};
    }
  }
}

void Cmpplt::run_option(Tsi1& t, char op) {
  if (op == 'I')
    insert(t);
  else if (op == 'D')
    remove(t);
  else if (op == 'M')
    merge(t);
  else if (op == 'H')
    shift(t);
  else
    rescale(t);
}

void Cmpplt::post(const RingEdit& edit, int32_t typed_year) {
  posted_ = PostedEdit{edit, isel_, typed_year};
}

// A series of the years f..l is taken by the window unless it lies wholly outside a window
// typed reversed.
bool Cmpplt::takes(int32_t f, int32_t l) const {
  return l > rec_.theinput.winfst || f < rec_.theinput.winlst;
}

void Cmpplt::draw(Tsi1& t) {
  TheData& d = rec_.thedata;
  TheInput& in = rec_.theinput;
  TheNames& nm = rec_.thenames;
  d.xfrom = static_cast<float>(in.winfst);
  d.xto = static_cast<float>(in.winlst);

  // Taken series and their spans clipped to the window; the value range inside it.
  float smallest = 9999.0f, largest = -9999.0f;
  const int32_t nd = std::clamp(d.ndraw, 0, n_);
  std::vector<DrawnSeries> spans;
  for (int32_t k = 1; k <= nd; ++k) {
    const int32_t f = t.syr(k, 1), l = t.syr(k, 2);
    if (!takes(f, l)) continue;
    spans.push_back({k, std::max(f, in.winfst), std::min(l, in.winlst)});
    const int64_t lo = std::max<int64_t>(spans.back().first, r0_);
    const int64_t hi = std::min<int64_t>(spans.back().last, int64_t{r0_} + axis_ - 1);
    for (int64_t y = lo; y <= hi; ++y) {
      const float v = t.sel(static_cast<std::size_t>(y - r0_ + 1), static_cast<std::size_t>(k));
      smallest = std::min(smallest, v);
      largest = std::max(largest, v);
    }
  }
  d.ndraw = static_cast<int32_t>(spans.size());
  d.yfrom = smallest > 0.0f ? smallest : 0.0f;
  d.yto = largest;
  // The plot draws the first ndraw picks that the window takes, the j-th of them over the
  // j-th span taken above.
  in.drawn.clear();
  for (int32_t k = 1; k <= d.ndraw; ++k) {
    if (!takes(t.syr(k, 1), t.syr(k, 2))) continue;
    in.drawn.push_back({k, spans[in.drawn.size()].first, spans[in.drawn.size()].last});
  }

  nm.xlab = padded(std::string(10, ' ') + trimmed(yearword_), 60);
  nm.ylab = padded(units_, 60);
  nm.toplab = padded(std::string(9, ' ') + trimmed(fname_) + " " + fileword_, 80);
  nm.stem = trimmed(fname_);

  drawer_->cmpdrw(rec_, t);
}

void Cmpplt::zoom() {
  static const Layout head = Layout::fixed("(1X,'Zoom in on the',2I6,' period:')");
  static const Layout first = Layout::fixed("(12X,'First year',T45,'==> ',$)");
  static const Layout last = Layout::fixed("(13X,'Last year',T45,'==> ',$)");
  s_->line("");
  for (;;) {
    s_->write(head, {f0_, l0_});
    s_->write(first);
    const auto a = read_int();
    if (!a || *a < f0_ || *a > l0_) continue;
    s_->write(last);
    const auto b = read_int();
    if (!b || *b < f0_ || *b > l0_) continue;
    // A last year before the first year is taken as typed: a reversed window.
    rec_.theinput.winfst = *a;
    rec_.theinput.winlst = *b;
    return;
  }
}

void Cmpplt::choose(const Tsi1& t) {
  static const Layout head = Layout::fixed("(1X,'Enter the series sequence number to adjust:')");
  static const Layout item = Layout::fixed("(3x,i5,2x,a)");
  static const Layout ask = Layout::fixed("(1X,'Okay, so enter the number already!',T45,'==> ',$)");
  s_->line("");
  s_->write(head);
  s_->line("");
  for (int32_t k = 1; k <= n_; ++k) s_->write(item, {k, t.sid[k - 1]});
  s_->line("");
  for (;;) {
    s_->write(ask);
    const auto s = read_int();
    if (!s) continue;
    if (*s < 1 || *s > n_) {
      say("There is no such series: enter 1 to " + std::to_string(n_));
      continue;
    }
    isel_ = *s;
    break;
  }
}

void Cmpplt::rescale(Tsi1& t) {
  static const Layout ask = Layout::fixed("(1X,'Enter multiplier ==> ',$)");
  std::optional<float> c;
  do {
    s_->write(ask);
    c = recio::read_free_real(s_->answer_line());
  } while (!c);
  for (int32_t y = t.syr(isel_, 1); y <= t.syr(isel_, 2); ++y) cell(t, isel_, y) *= *c;
  tell({LoopEdit::Kind::rescale, isel_, 0, {}});
}

void Cmpplt::shift(Tsi1& t) {
  static const Layout ask = Layout::fixed(
      "(1X,'Enter the number of years to shift'//"
      "'a POSITIVE number moves the series RIGHT'/"
      "'a NEGATIVE number moves the series LEFT  ==> ',$)");
  static const Layout i4 = Layout::fixed("(i4)");
  const int32_t f = t.syr(isel_, 1), l = t.syr(isel_, 2), nval = l - f + 1;
  // The series must stay within the rows of sel.
  const int64_t dmin = int64_t{r0_} - f, dmax = int64_t{r0_} + axis_ - 1 - l;
  int32_t d = 0;
  for (;;) {
    s_->write(ask);
    d = 0;
    if (recio::read(i4, s_->answer_line(), {recio::In(d)}) != recio::Outcome::ok) continue;
    if (d < dmin || d > dmax) {
      say("That moves the series off the plot axis: shift by " + std::to_string(dmin) + " to " +
          std::to_string(dmax));
      continue;
    }
    break;
  }
  std::vector<float> moved(static_cast<std::size_t>(std::max(nval, 0)));
  for (int32_t j = 1; j <= nval; ++j) {
    float& c = cell(t, isel_, f + j - 1);
    moved[static_cast<std::size_t>(j - 1)] = c;
    c = rmiss;
  }
  t.syr(isel_, 1) = f + d;
  t.syr(isel_, 2) = l + d;
  for (int32_t j = 1; j <= nval; ++j)
    cell(t, isel_, f + d + j - 1) = moved[static_cast<std::size_t>(j - 1)];
  tell({LoopEdit::Kind::shift, isel_, d, {}});
}

int32_t Cmpplt::edit_lo(const Tsi1& t) const { return std::max(t.syr(isel_, 1), span0_(isel_, 1)); }
int32_t Cmpplt::edit_hi(const Tsi1& t) const { return std::min(t.syr(isel_, 2), span0_(isel_, 2)); }

bool Cmpplt::year_ok(const Tsi1& t, int64_t y) {
  if (y >= edit_lo(t) && y <= edit_hi(t)) return true;
  std::string text = "Year outside the series: " + std::to_string(t.syr(isel_, 1)) + " to " +
                     std::to_string(t.syr(isel_, 2));
  if (t.syr(isel_, 1) != span0_(isel_, 1))
    text += " (as read: " + std::to_string(span0_(isel_, 1)) + " to " +
            std::to_string(span0_(isel_, 2)) + ")";
  say(text);
  return false;
}

// Room for one more year, in sel and (as far as the picks tell) on the store's axis.
bool Cmpplt::room_for_insert(const Tsi1& t, char side) {
  int32_t lmax = INT32_MIN, lmax0 = INT32_MIN, fmin0 = INT32_MAX;
  for (int32_t k = 1; k <= n_; ++k) {
    lmax = std::max(lmax, t.syr(k, 2));
    lmax0 = std::max(lmax0, span0_(k, 2));
    fmin0 = std::min(fmin0, span0_(k, 1));
  }
  bool ok = true;
  if (side == 'B') {
    const int64_t front = std::min<int64_t>(r0_, int64_t{t.syr(isel_, 1)} - 1);
    const int64_t front0 = std::min<int64_t>(fmin0, int64_t{span0_(isel_, 1)} - 1);
    ok = lmax - front + 1 <= axis_ && lmax0 - front0 + 1 <= axis_;
  } else if (side == 'A') {
    const int64_t back = int64_t{t.syr(isel_, 2)} + 1, back0 = int64_t{span0_(isel_, 2)} + 1;
    ok = back - r0_ + 1 <= axis_ && back0 - fmin0 + 1 <= axis_;
  }
  if (!ok) say("No room for another year: the axis holds " + std::to_string(axis_) + " years");
  return ok;
}

// Applies the chosen ring edit to the compared copy. The checks of the loop come first, so
// the edit always fits; a series moved before R0 grows the copy's axis by a row.
bool Cmpplt::apply(Tsi1& t, const RingEdit& edit) {
  int32_t lmax = INT32_MIN;
  for (int32_t k = 1; k <= n_; ++k) lmax = std::max(lmax, t.syr(k, 2));
  Vec<float> series_work{t.sel.rows()};
  const std::array<Matrix<float>*, 1> planes{&t.sel};
  const std::array<Vec<float>*, 1> work{&series_work};
  SeriesAxis axis{planes, work, r0_, lmax - r0_ + 1, n_};
  const std::optional<YearSpan> to =
      apply_ring_edit(edit, {t.syr(isel_, 1), t.syr(isel_, 2)}, isel_, axis);
  if (!to) return false;  // not reached: the loop's checks are stricter than the module's
  t.syr(isel_, 1) = to->first;
  t.syr(isel_, 2) = to->last;
  if (axis.origin != r0_) {
    r0_ = axis.origin;
    t.syr(n_ + 1, 1) = r0_;
    rec_.thedata.yr0 = r0_;
  }
  tell({LoopEdit::Kind::ring, isel_, 0, edit});
  return true;
}

// Asks for a year of the chosen series until one is typed that may be edited; nullopt when
// the answer is "/" (back to the edit menu without an edit).
std::optional<int32_t> Cmpplt::ask_year(const Tsi1& t, const Layout& ask) {
  for (;;) {
    s_->write(ask);
    const std::string line = s_->answer_line();
    if (is_slash(line)) return std::nullopt;
    const auto a = recio::read_free_int(line);
    if (a && year_ok(t, *a)) return *a;
  }
}

// Asks which part of the series moves, in the same words until the answer is A or B
// (either case): any other answer would leave the years as they are and so invent or drop
// a ring at the series' end.
char Cmpplt::ask_side(const Layout& ask) {
  for (;;) {
    s_->line("");
    s_->write(ask);
    const char side = read_char();
    if (up(side) == 'A' || up(side) == 'B') return side;
  }
}

void Cmpplt::insert(Tsi1& t) {
  static const Layout ask = Layout::fixed("(1X,'Enter the year you want to INSERT',T45,'==> ',$)");
  static const Layout side_ask = Layout::fixed(
      "(1X,'Shift series <<== [B]efore or'/1X,'Shift series ==>> [A]fter INSERT?',T45,'==> ',$)");
  if (edit_lo(t) > edit_hi(t)) {
    say("The series lies outside the years it was read with: shift it back first");
    return;
  }
  int32_t y = 0;
  char side = ' ';
  do {
    const std::optional<int32_t> typed = ask_year(t, ask);
    if (!typed) return;
    y = *typed;
    side = ask_side(side_ask);
  } while (!room_for_insert(t, up(side)));
  const RingEdit edit{RingOp::insert, y, side_of(side)};
  if (apply(t, edit)) post(edit, y);
}

void Cmpplt::remove(Tsi1& t) {
  static const Layout ask = Layout::fixed("(1X,'Enter the year you want to DELETE',T45,'==> ',$)");
  static const Layout side_ask = Layout::fixed(
      "(1X,'Shift series ==>> [B]efore or'/1X,'Shift series <<== [A]fter DELETE?',T45,'==> ',$)");
  if (edit_lo(t) > edit_hi(t)) {
    say("The series lies outside the years it was read with: shift it back first");
    return;
  }
  const int32_t nval = t.syr(isel_, 2) - t.syr(isel_, 1) + 1;
  int32_t y = 0;
  char side = ' ';
  for (;;) {
    const std::optional<int32_t> typed = ask_year(t, ask);
    if (!typed) return;
    y = *typed;
    side = ask_side(side_ask);
    if (side_of(side) != Side::keep && nval < 2) {
      say("The series has only one ring: it cannot lose it");
      continue;
    }
    break;
  }
  const RingEdit edit{RingOp::remove, y, side_of(side)};
  if (apply(t, edit)) post(edit, y);
}

void Cmpplt::merge(Tsi1& t) {
  static const Layout ask = Layout::fixed("(1X,'Enter the 2 years you want to MERGE:')");
  static const Layout side_ask = Layout::fixed(
      "(1X,'Shift series ==>> [B]efore or'/1X,'Shift series <<== [A]fter MERGE?',T45,'==> ',$)");
  if (int64_t{edit_hi(t)} - edit_lo(t) < 1) {
    say("The series has no two years to merge");
    return;
  }
  int32_t y1 = 0, y2 = 0;
  for (;;) {
    s_->write(ask);
    const std::string line = s_->answer_line();
    if (is_slash(line)) return;
    const auto a = recio::read_free_int(line);
    if (!a) continue;
    const auto b = read_int();
    if (!b) continue;
    if (std::llabs(int64_t{*a} - *b) != 1) continue;
    if (!year_ok(t, std::min(*a, *b)) || !year_ok(t, std::max(*a, *b))) continue;
    y1 = *a;
    y2 = *b;
    break;
  }
  const char side = ask_side(side_ask);
  const int32_t e = std::min(y1, y2);
  const RingEdit edit{RingOp::merge, e, side_of(side)};
  // Only a merge that moves a side is posted (with the year the side chose).
  if (apply(t, edit) && edit.side != Side::keep) post(edit, edit.side == Side::before ? y1 : y2);
}

}  // namespace ringdate
