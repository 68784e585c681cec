// The plot options menu of the comparison: draws the compared series (through the
// renderer, plot/cmpdrw.h) and asks for style changes, redraws, resets and saves until the
// user continues.
#pragma once

#include <string>

#include "core/store.h"
#include "main/companion.h"
#include "main/records.h"
#include "plot/cmpdrw.h"
#include "plot/plotter.h"
#include "plot/pltset.h"
#include "recio/session.h"

namespace ringdate {

class PlotMenu final : public Drawer {
 public:
  PlotMenu(recio::Session& session, Plotter& plotter) : s_(&session), p_(&plotter) {}

  // Resets the settings, draws, and runs the plot options menu until the user continues.
  void cmpdrw(const PlotRecords& rec, const Tsi1& tsi1) override;
  // Closes the plot window.
  void finish() override;
  // The view told of every drawing and save of the plot, and of its end.
  void set_companion(Companion* companion) { companion_ = companion; }

  const Pltset& pltset() const { return pltset_; }

  // The picture of the compared series as the settings draw it now.
  ComparisonPicture picture(const PlotRecords& rec, const Tsi1& tsi1) const;

  // The picture file that takes the place of the screen when there is none: the data
  // file's name with "_DATA_SCREEN.ps".
  static std::string screen_file(const TheNames& names);
  // The file a save writes: the data file's name with "_DATA.PLTS".
  static std::string save_file(const TheNames& names);

 private:
  void reset(const PlotRecords& rec);
  void draw(const PlotRecords& rec, const Tsi1& tsi1, bool save);
  void draw_plot(const PlotRecords& rec, const Tsi1& tsi1, bool save);
  void note(const std::string& text);
  bool run_option(const std::string& ans, const PlotRecords& rec, const Tsi1& tsi1);

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
