// The comparison loop: draws the picked series, offers the edit menu (shift, zoom, rescale,
// unzoom, insert, delete, merge, quit), applies an edit to the compared copy in tsi1 and
// draws again, until the user leaves or an insert, delete or merge is posted.
#pragma once

#include <string>

#include "main/store.h"
#include "plot/records.h"
#include "recio/session.h"

namespace ringdate {

class Cmpplt {
 public:
  Cmpplt(recio::Session& session, Drawer& drawer) : s_(&session), drawer_(&drawer) {}
  void operator()(Tsi1& tsi1, const std::string& fname, const std::string& fileword,
                  const std::string& yearword, const std::string& units);
  const PlotRecords& records() const { return rec_; }

 private:
  recio::Session* s_;
  Drawer* drawer_;
  PlotRecords rec_;
};

}  // namespace ringdate
