// The comparison loop: draws the picked series, offers the edit menu (shift, zoom, rescale,
// unzoom, insert, delete, merge, quit), applies an edit to the compared copy in tsi1 and
// draws again, until the user leaves or an insert, delete or merge is posted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/matrix.h"
#include "core/ringedit.h"
#include "core/store.h"
#include "main/edit.h"
#include "main/records.h"
#include "recio/session.h"

namespace ringdate {

// How the comparison loop ended.
enum class CompareOutcome {
  no_edit_pending,  // the user left the edit menu: nothing for the store
  edit_posted,      // an insert, delete or merge is posted: see Comparison::edit
  quit,             // the user chose Q: the caller ends the program
};

// How the comparison loop ended, and the edit it posted (with edit_posted only).
struct Comparison {
  CompareOutcome outcome = CompareOutcome::no_edit_pending;
  std::optional<PostedEdit> edit;
};

class Cmpplt {
 public:
  Cmpplt(recio::Session& session, Drawer& drawer) : s_(&session), drawer_(&drawer) {}
  // Runs the loop on the picks in tsi1. On no_edit_pending and edit_posted the plot is finished;
  // on quit it stays up, so that it can be seen until the caller has said its last words
  // and calls finish().
  [[nodiscard]] Comparison operator()(Tsi1& tsi1, const std::string& fname,
                                      const std::string& fileword, const std::string& yearword,
                                      const std::string& units);
  // Finishes the plot after a quit.
  void finish();
  const PlotRecords& records() const { return rec_; }
  // The edit posted by the loop now running and not yet returned to the caller (the input
  // may end at the plot questions drawn after the posting); nullopt otherwise.
  const std::optional<PostedEdit>& pending() const { return posted_; }

 private:
  recio::Session* s_;
  Drawer* drawer_;
  PlotRecords rec_;

  // Work area kept for the loop.
  int32_t n_ = 0;   // compared series
  int32_t f0_ = 0;  // full span of the compared set at entry
  int32_t l0_ = 0;
  int32_t r0_ = 0;                    // year of row 1 of sel
  int32_t isel_ = 0;                  // series chosen for adjustment
  int32_t axis_ = 0;                  // rows of sel: the years of the plot axis
  std::optional<PostedEdit> posted_;  // the insert, delete or merge posted, if any
  // Span of each compared series at entry: the years the store holds for it, so that a
  // posted year is one the store can apply.
  Matrix<int32_t> span0_{mxser, 2};
  std::string fname_, fileword_, yearword_, units_;

  void enter(const Tsi1& t);
  void draw(Tsi1& t);
  bool takes(int32_t first, int32_t last) const;
  void zoom();
  void choose(const Tsi1& t);
  void rescale(Tsi1& t);
  void shift(Tsi1& t);
  void insert(Tsi1& t);
  void remove(Tsi1& t);
  void merge(Tsi1& t);

  std::optional<int32_t> read_int();  // free form; nullopt when not a number
  char read_char();                   // "(a)" into one character
  void say(const std::string& text);
  // Records a change made to a compared series (rec_.edits).
  void tell(const LoopEdit& edit);
  // Years at which the chosen series may be edited: inside its span now and as read.
  int32_t edit_lo(const Tsi1& t) const;
  int32_t edit_hi(const Tsi1& t) const;
  bool year_ok(const Tsi1& t, int64_t y);
  bool room_for_insert(const Tsi1& t, char side);
  std::optional<int32_t> ask_year(const Tsi1& t, const recio::Layout& ask);
  char ask_side(const recio::Layout& ask);
  // Applies the ring edit to the compared copy; true when it was applied.
  bool apply(Tsi1& t, const RingEdit& edit);
  void post(const RingEdit& edit, int32_t typed_year);
  void run_option(Tsi1& t, char op);
  float& cell(Tsi1& t, int32_t k, int32_t year);
  float sink_ = 0.0f;  // stands in for a cell outside sel (never reached by a checked edit)
};

}  // namespace ringdate
