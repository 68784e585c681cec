// The comparison plot: draws the compared series through the plotter seam and runs the plot
// options menu (style questions, redraw, reset, save) until the user continues.
#pragma once

#include <string>

#include "core/store.h"
#include "plot/companion.h"
#include "plot/plotter.h"
#include "plot/pltsty.h"
#include "plot/records.h"
#include "recio/session.h"

namespace ringdate {

class Cmpdrw final : public Drawer {
 public:
  Cmpdrw(recio::Session& session, Plotter& plotter) : s_(&session), p_(&plotter) {}

  // Resets the settings, draws, and runs the plot options menu until the user continues.
  void cmpdrw(const PlotRecords& rec, const Tsi1& tsi1) override;
  // Closes the plot window.
  void finish() override;
  // The view told of every drawing and save of the plot, and of its end.
  void set_companion(Companion* companion) { companion_ = companion; }

  const Pltset& pltset() const { return pltset_; }

  // The picture file that takes the place of the screen when there is none: the data
  // file's name with "_DATA_SCREEN.ps" (from datnam, which ends in "_DATA").
  static std::string screen_file(const TheNames& names);

 private:
  void reset(const PlotRecords& rec);
  void draw(const PlotRecords& rec, const Tsi1& tsi1);
  void draw_plot(const PlotRecords& rec, const Tsi1& tsi1);
  void draw_once(const PlotRecords& rec, const Tsi1& tsi1, const std::string& device);
  void after_draw();
  void note(const std::string& text);

  recio::Session* s_;
  Plotter* p_;
  Companion* companion_ = nullptr;
  Pltset pltset_;
  // The labels as drawn (left-justified copies of the loop's labels).
  std::string xlab_ = std::string(60, ' ');
  std::string ylab_ = std::string(60, ' ');
  std::string toplab_ = std::string(80, ' ');
  std::string fallback_told_;  // the picture file last named on the console
};

}  // namespace ringdate
