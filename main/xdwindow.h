// The crossdating window of a comparison: after every drawing of the comparison plot it
// shows, for each compared series as it stands, its moving correlation with the master of
// the file's other series, its correlations at lags -5..+5, and its statistics and suggested
// edit as the crossdating check reports them. The check's data are built once per
// comparison from the store's measured values; the loop's edits are mirrored on them, so
// that the numbers are those of the series as edited, whatever the plot shows (indices after
// the spline, a rescaled series).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/store.h"
#include "main/companion.h"
#include "plot/plotter.h"
#include "plot/xdwin.h"
#include "xdate/dataset.h"
#include "xdate/live.h"

namespace ringdate {

// A compared series in measured values as the loop's edits left it: `marks` holds 1 for a
// ring as measured and 0 for one inserted in the comparison (a merge adds the two marks).
struct MirroredSeries {
  int32_t first = 0;
  std::vector<float> raw;
  std::vector<float> marks;

  int32_t last() const { return first + static_cast<int32_t>(raw.size()) - 1; }
  // The values as written in the data file, inserted rings marked.
  xdate::Version version() const;
};

class CrossdatingWindow final : public Companion {
 public:
  // `store` is read at the start of every comparison; `plotter` draws the window.
  CrossdatingWindow(const Store& store, Plotter& plotter);
  ~CrossdatingWindow() override;

  void begin(const Tsi1& tsi1) override;
  void edited(const LoopEdit& edit) override;
  void drawn(const ComparedView& view) override;
  void saved(const ComparedView& view) override;
  std::string save_error() const override { return save_error_; }
  void finish() override;

  // The picture of the compared set as it stands, for the view (what drawn() shows).
  XdatePicture picture(const ComparedView& view);
  // Compared series k (1..nsel) as it stands, in measured values.
  const xdate::Version& version(int32_t k) const {
    return versions_.at(static_cast<std::size_t>(k - 1));
  }
  const MirroredSeries& mirrored(int32_t k) const {
    return mirrored_.at(static_cast<std::size_t>(k - 1));
  }
  const std::string& window_error() const { return window_.error(); }

 private:
  const Store* store_;
  XdateWindow window_;
  std::string save_error_;  // why the last save failed, empty when it was written
  uint64_t seen_ = 0;       // the store's revision the data were built from
  std::unique_ptr<xdate::Dataset> data_;
  std::unique_ptr<xdate::LiveComparison> live_;
  std::vector<MirroredSeries> mirrored_;
  std::vector<xdate::Version> versions_;  // of mirrored_, as the statistics take them
  std::vector<std::string> names_;
  std::string failure_;  // why the statistics could not be prepared, or ""

  void prepare(const Tsi1& tsi1);
  XdatePicture picture_or_note(const ComparedView& view);
};

// Mirrors one edit of the comparison loop on the series, through the same ring edit module
// as the loop: a shift moves the years, a ring edit changes the rings and the span alike, a
// rescale changes nothing. An edit that does not fit the series changes nothing.
void mirror_edit(MirroredSeries& s, const LoopEdit& edit);

}  // namespace ringdate
