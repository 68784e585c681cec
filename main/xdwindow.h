// The crossdating window of a comparison: at every drawing of the comparison plot it shows,
// for each compared series as it stands, its moving correlation with the master of the
// file's other series, its correlations at lags -5..+5, and its statistics and suggested
// edits as the crossdating check reports them. A compared series is the store's measured
// values with the comparison loop's changes made, so the numbers are those of the series as
// edited, whatever the plot shows (indices after the spline, a rescaled series). A sequence
// of edits named for a series stays in view while it is made: once its first edits are made
// (in the comparison, or carried into the store), the window names the rest.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/store.h"
#include "main/companion.h"
#include "plot/plotter.h"
#include "plot/xdwin.h"
#include "xdate/dataset.h"
#include "xdate/live.h"
#include "xdate/location.h"

namespace ringdate {

// Store series `series` (1..nser), its measured values, with the loop's changes to compared
// series `pick` made in order: a shift moves the years, a ring edit changes the rings and
// the span as the loop changes them (through the same ring edit module), a rescale changes
// nothing; a ring inserted in the loop is marked inserted. A change that does not fit the
// series is left out. An empty version for a series the store does not hold.
xdate::Version edited_version(const Store& store, int32_t series, std::span<const LoopEdit> edits,
                              int32_t pick);

class CrossdatingWindow final : public Companion {
 public:
  // `store` is read at every drawing (its revision tells when the file's data must be
  // prepared again); `plotter` draws the window.
  CrossdatingWindow(const Store& store, Plotter& plotter);
  ~CrossdatingWindow() override;

  void drawn(const ComparedView& view) override;
  void saved(const ComparedView& view) override;
  std::string save_error() const override { return save_error_; }
  void finish() override;

  // The picture of the view's compared series as they stand (what drawn() shows).
  XdatePicture picture(const ComparedView& view);
  const std::string& window_error() const { return window_.error(); }

 private:
  // A sequence of edits named for a store series: the series as it was named for
  // (steps[0]) and after each of its first edits (steps[j]: the first j made).
  struct Sequence {
    std::string id;
    xdate::Suggestion named;
    std::vector<xdate::Version> steps;
  };

  const Store* store_;
  XdateWindow window_;
  std::string save_error_;  // why the last save failed, empty when it was written
  // The store's revision and the picks (store series) the statistics were prepared for.
  std::optional<std::pair<uint64_t, std::vector<int32_t>>> prepared_;
  uint64_t data_revision_ = 0;  // the store's revision data_ was built from
  std::unique_ptr<xdate::Dataset> data_;
  std::unique_ptr<xdate::LiveComparison> live_;
  std::string failure_;                    // why the statistics could not be prepared, or ""
  std::map<int32_t, Sequence> sequences_;  // by store series

  void prepare(const std::vector<int32_t>& picks);
  XdateCurve curve(const ComparedView& view, std::size_t k, int32_t series);
  // Names (in lines of text and marks) the edits that restore store series `series` as it
  // stands (`v`, with changes of the loop when `changed`), and remembers a sequence named
  // for it.
  void add_edits(XdateCurve& c, int32_t series, bool changed, const xdate::Version& v,
                 const xdate::LiveSeries& s);
  XdatePicture picture_or_note(const ComparedView& view);
};

}  // namespace ringdate
