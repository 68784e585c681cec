// Edits of a series that restore its dating: a zero-width ring inserted, or a ring deleted,
// the rings before it moving one year (side B: the outer year stays). Several edits are made
// from the earliest year to the latest: an edit moves only rings before it, so the year of
// every later edit stays the year of the file as read.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/ringedit.h"
#include "xdate/series.h"

namespace ringdate::xdate {

enum class EditKind { insert, remove };

// One edit of a series, side B: the outer year stays.
struct Edit {
  EditKind kind = EditKind::insert;
  // insert: the year of the new zero ring after the edit, every ring dated up to it moving
  // one year earlier; remove: the year of the ring removed, every earlier ring moving one
  // year later.
  int32_t year = 0;

  // What to type in the comparison loop with side B: an insert of year Y puts the zero ring
  // at Y - 1, a delete of year Y removes the ring of Y.
  int32_t type_year() const { return kind == EditKind::insert ? year + 1 : year; }
  // The edit as the comparison loop and the store apply it.
  RingEdit ring_edit() const {
    return RingEdit{kind == EditKind::insert ? RingOp::insert : RingOp::remove, type_year(),
                    Side::before};
  }
  // How the edit moves the rings before it: an insert one year earlier, a delete one later.
  int32_t shift() const { return kind == EditKind::insert ? -1 : +1; }
  bool operator==(const Edit&) const = default;
};

// The series after the edit (an inserted ring has width 0); false when the year is not
// inside the series.
bool apply_edit(const SeriesInput& s, const Edit& e, SeriesInput& out);

// How an inserted ring and a deleted one are taken when a version is scored.
enum class Filling {
  zero,       // as made: the inserted ring 0, the deleted ring gone
  estimated,  // the inserted ring at the mean width of its neighbours (its width is unknown)
  merged,     // as `estimated`, and a deleted ring added to the next one
};

// The series after every edit (earliest year first, each at least two years after the one
// before); `inserted` (when given) receives the years of the inserted rings in the result.
// False when an edit leaves no ring on either side of it or the edits are out of order.
bool apply_edits(const SeriesInput& s, std::span<const Edit> edits, Filling filling,
                 SeriesInput& out, std::vector<int32_t>* inserted = nullptr);

// The offset of the ring dated `year` in the file as read once the edits are made: the year
// it then has less the year it had.
int32_t offset_after(std::span<const Edit> edits, int32_t year);

}  // namespace ringdate::xdate
