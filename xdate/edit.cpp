#include "xdate/edit.h"

namespace ringdate::xdate {

bool apply_edit(const SeriesInput& s, const Edit& e, SeriesInput& out) {
  const int64_t k = static_cast<int64_t>(e.year) - s.first;
  const auto n = static_cast<int64_t>(s.values.size());
  out.id = s.id;
  out.values.clear();
  if (k < 0 || k >= n || (e.kind == EditKind::remove && n < 2)) return false;
  // The years follow the rules of the comparison loop's edits.
  out.first = edited_span(e.ring_edit(), YearSpan{s.first, s.last()}).first;
  if (e.kind == EditKind::insert) {
    // The rings up to the year move one year earlier; the zero ring takes the year.
    out.values.reserve(s.values.size() + 1);
    out.values.insert(out.values.end(), s.values.begin(), s.values.begin() + k + 1);
    out.values.push_back(0.0);
    out.values.insert(out.values.end(), s.values.begin() + k + 1, s.values.end());
  } else {
    // The ring of the year goes; the earlier rings move one year later.
    out.values.reserve(s.values.size() - 1);
    out.values.insert(out.values.end(), s.values.begin(), s.values.begin() + k);
    out.values.insert(out.values.end(), s.values.begin() + k + 1, s.values.end());
  }
  return true;
}

bool apply_edits(const SeriesInput& s, std::span<const Edit> edits, Filling filling,
                 SeriesInput& out, std::vector<int32_t>* inserted) {
  out = s;
  if (inserted) inserted->clear();
  SeriesInput next;
  for (std::size_t j = 0; j < edits.size(); ++j) {
    const Edit& e = edits[j];
    if (j > 0 && e.year < edits[j - 1].year + 2) return false;
    // Earlier edits moved only the rings before them: the year is still the year as read.
    const int64_t k = static_cast<int64_t>(e.year) - out.first;
    const auto n = static_cast<int64_t>(out.values.size());
    if (k < 1 || k + 2 >= n) return false;
    const auto uk = static_cast<std::size_t>(k);
    const double here = out.values[uk], after = out.values[uk + 1];
    if (!apply_edit(out, e, next)) return false;
    if (e.kind == EditKind::insert && filling != Filling::zero)
      next.values[uk + 1] = (here + after) / 2.0;
    if (e.kind == EditKind::remove && filling == Filling::merged) next.values[uk] += here;
    // The rings inserted so far lie before this edit and move with the rest.
    if (inserted) {
      for (int32_t& y : *inserted) y += e.shift();
      if (e.kind == EditKind::insert) inserted->push_back(e.year);
    }
    std::swap(out, next);
  }
  return true;
}

int32_t offset_after(std::span<const Edit> edits, int32_t year) {
  int32_t d = 0;
  for (const Edit& e : edits) {
    if (e.kind == EditKind::insert ? year <= e.year : year < e.year) d += e.shift();
  }
  return d;
}

}  // namespace ringdate::xdate
