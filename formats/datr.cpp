#include "formats/datr.h"

#include <algorithm>
#include <optional>

namespace ringdate {

namespace compact {

float ten_to(int32_t e) {
  // Repeated squaring, as a run-time integer power of a single-precision base does it.
  uint32_t k = e < 0 ? 0u - static_cast<uint32_t>(e) : static_cast<uint32_t>(e);
  float result = 1.0f;
  float base = 10.0f;
  while (k != 0) {
    if (k & 1u) result *= base;
    k >>= 1;
    if (k != 0) base *= base;
  }
  return e < 0 ? 1.0f / result : result;
}

int last_nonblank(std::string_view text) {
  for (int i = static_cast<int>(text.size()); i >= 1; --i)
    if (text[static_cast<std::size_t>(i - 1)] != ' ') return i;
  return 0;
}

std::string line80(std::string_view record) {
  std::string line(record.substr(0, std::min<std::size_t>(record.size(), 80)));
  line.resize(80, ' ');
  return line;
}

namespace {

// Characters `from` to `to` (1-based, inclusive) of `text`; empty when the range is empty.
std::string_view cols(std::string_view text, int from, int to) {
  from = std::max(from, 1);
  to = std::min(to, static_cast<int>(text.size()));
  if (to < from) return {};
  return text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
}

// An integer read with "(I8)" from a piece of at most 8 characters, left-aligned in the
// field (blanks count as nothing).
bool read_i8(std::string_view piece, int32_t& v) {
  static const recio::Layout i8 = recio::Layout::fixed("(I8)");
  if (piece.empty()) return false;
  std::string field(piece);
  field.resize(8, ' ');
  return recio::read(i8, field, {recio::In(v)}) == recio::Outcome::ok;
}

}  // namespace

bool read_by_equals(std::string_view text, int l, int32_t& n, int32_t& ifyr, std::string& name) {
  std::string line(text);
  std::size_t e1 = line.find('=');
  if (e1 == std::string::npos) return false;
  int p1 = static_cast<int>(e1) + 1;
  int32_t nn = 0;
  if (!read_i8(cols(line, std::max(1, p1 - 8), p1 - 1), nn)) return false;
  line[e1] = ' ';
  std::size_t e2 = line.find('=');
  if (e2 == std::string::npos) return false;
  int p2 = static_cast<int>(e2) + 1;
  int32_t yr = 0;
  if (!read_i8(cols(line, std::max(p1 + 2, p2 - 8), p2 - 1), yr)) return false;
  n = nn;
  ifyr = yr;
  std::string_view nm = cols(line, p2 + 3, l - 11);
  std::size_t width = name.size();
  name.assign(nm.substr(0, std::min(nm.size(), width)));
  name.resize(width, ' ');
  return true;
}

}  // namespace compact

namespace {

// Values read past the caller's array go here; a count above this bound is not read
// further (no tree-ring series comes near it, while a bogus header could claim millions).
constexpr int32_t kMaxItems = 200000;

// Hands out the rest of the bar header line first, then the unit's records.
class AfterHeader : public recio::RecordSource {
 public:
  AfterHeader(std::string rest, recio::RecordSource& next) : rest_(std::move(rest)), next_(&next) {}
  recio::Outcome next(std::string& record) override {
    if (!used_) {
      used_ = true;
      record = rest_;
      return recio::Outcome::ok;
    }
    return next_->next(record);
  }

 private:
  std::string rest_;
  recio::RecordSource* next_;
  bool used_ = false;
};

void put_name(std::string& name, std::string_view id) {
  std::size_t width = name.size();
  name.assign(id.substr(0, std::min(id.size(), width)));
  name.resize(width, ' ');
}

// What datr does after looking at a line: go on to the next line, or return.
enum class Step { next_line, done };

// 8: a bar header, read again from the whole record, and its free-form values.
Step bar_series(recio::Session& session, std::string& name, int32_t& n, std::span<float> vals,
                int32_t& ifyr, int iunit) {
  static const recio::Layout bar = recio::Layout::fixed("(2A,2I8,$)");
  recio::Units& units = session.units();
  std::string record;
  units.backspace(iunit);
  if (units.read_line(iunit, record) != recio::Outcome::ok) {
    session.line(" >> Sbr DATR:  EOF unexpected");
    return Step::done;
  }
  std::string mark(1, ' ');
  std::string id(8, ' ');
  int32_t nb = 0, yb = 0;
  if (recio::read(bar, record, {recio::In(mark), recio::In(id), recio::In(nb), recio::In(yb)}) !=
      recio::Outcome::ok)
    return Step::next_line;
  put_name(name, id);
  if (mark != "|" || nb <= 0) return Step::next_line;
  n = nb;
  ifyr = yb;
  std::vector<float> work(static_cast<std::size_t>(std::min(nb, kMaxItems)), 0.0f);
  std::copy_n(vals.begin(), std::min(work.size(), vals.size()), work.begin());
  AfterHeader src(record.size() > 25 ? record.substr(25) : std::string(), units.source(iunit));
  const recio::Outcome got = recio::read_free_reals(src, work);
  std::copy_n(work.begin(), std::min(work.size(), vals.size()), vals.begin());
  if (got == recio::Outcome::eof)
    session.line(" >> Sbr DATR:  EOF unexpected");
  else if (got != recio::Outcome::ok)
    session.line(" >> Sbr DATR:  Read error");
  return Step::done;
}

// An older compact header (marked "@"): its width and count become a (nnFw.0) layout with
// exponent 0 in the columns of a compact header. False when the line is too short for one.
bool older_header_as_compact(std::string& line, int l) {
  if (l < 12) return false;
  const std::string layout = line.substr(static_cast<std::size_t>(l - 8), 3) + "F" +
                             line[static_cast<std::size_t>(l - 3)] + ".0)";
  line.replace(static_cast<std::size_t>(l - 12), 11, "  0" + layout);
  return true;
}

// 4-7: a compact header read by the positions of its "=" signs, then the values with the
// header's layout, scaled by 10^E.
Step compact_series(recio::Session& session, const std::string& line, int l, std::string& name,
                    int32_t& n, std::span<float> vals, int32_t& ifyr, int iunit) {
  static const recio::Layout ei = recio::Layout::fixed("(I3,A)");
  int32_t nh = 0, yh = 0;
  std::string nm(name.size(), ' ');
  if (l < 12 || !compact::read_by_equals(line, l, nh, yh, nm)) return Step::next_line;
  int32_t e = 0;
  std::string fmt(8, ' ');
  if (recio::read(ei, std::string_view(line).substr(static_cast<std::size_t>(l - 12), 11),
                  {recio::In(e), recio::In(fmt)}) != recio::Outcome::ok)
    return Step::next_line;
  n = nh;
  ifyr = yh;
  name = nm;

  const int32_t count = std::clamp(nh, 0, kMaxItems);
  float sink = 0.0f;
  std::vector<recio::In> items;
  for (int32_t i = 0; i < count; ++i)
    items.emplace_back(static_cast<std::size_t>(i) < vals.size() ? vals[static_cast<std::size_t>(i)]
                                                                 : sink);
  const std::optional<recio::Layout> layout = recio::Layout::compile(fmt);
  const recio::Outcome got =
      layout ? recio::read(*layout, session.units().source(iunit), items) : recio::Outcome::error;
  if (got == recio::Outcome::eof) {
    session.line(" >> Sbr DATR:  EOF unexpected");
    return Step::done;
  }
  if (got != recio::Outcome::ok) {
    session.line(" >> Sbr DATR:  Read error");
    return Step::done;
  }
  const float scale = compact::ten_to(e);
  const std::size_t stored = std::min(static_cast<std::size_t>(count), vals.size());
  for (std::size_t i = 0; i < stored; ++i) vals[i] *= scale;
  return Step::done;
}

}  // namespace

void datr(recio::Session& session, std::string& name, int32_t& n, std::span<float> vals,
          int32_t& ifyr, int iunit) {
  std::string record;
  for (;;) {
    // 1-2: the next line, skipped when shorter than two characters.
    n = 0;
    if (session.units().read_line(iunit, record) != recio::Outcome::ok) return;
    std::string line = compact::line80(record);
    const int l = compact::last_nonblank(line);
    if (l < 2) continue;
    const char last = line[static_cast<std::size_t>(l - 1)];

    // 3: classify.
    if (last != '~' && line[0] == '|') {
      if (bar_series(session, name, n, vals, ifyr, iunit) == Step::done) return;
      continue;
    }
    if (last == '@') {
      if (!older_header_as_compact(line, l)) continue;
    } else if (last != '~') {
      continue;
    }
    if (compact_series(session, line, l, name, n, vals, ifyr, iunit) == Step::done) return;
  }
}

}  // namespace ringdate
