// The chart of a dating run: one page per sample series, the decision's statistic (in
// standard units of the other positions) against the end year of every position tried, the
// level the best position must reach to be dated, and the dated position marked. Drawn from
// plain numbers through the plotter seam.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plot/plotter.h"

namespace ringdate {

struct DatingPanel {
  std::string id;
  std::string verdict;           // the report's verdict line
  std::vector<float> end_years;  // of every position, ascending
  std::vector<float> z;          // the statistic at each position
  float threshold = 0.0f;        // the z the best position needs
  bool dated = false;
  float dated_end = 0.0f;  // end year of the dated position
  float best_end = 0.0f;   // end year of the best position (when any)
};

struct DatingChart {
  std::string title, subtitle;
  std::vector<DatingPanel> panels;
};

inline constexpr int32_t dating_curve_colour = 9;      // blue
inline constexpr int32_t dating_threshold_colour = 1;  // red
inline constexpr int32_t dating_mark_colour = 3;       // green
inline constexpr int32_t dating_best_colour = 13;      // magenta: best but not dated

// Draws the chart on `device` (after plsfnam for a file device): one page per panel; a
// chart without panels gives one page with the title and a note.
void draw_dating_chart(Plotter& p, const DatingChart& chart, const std::string& device);

// Writes the chart as a PostScript colour file; the library's error when that failed, "" if
// it did not.
std::string write_dating_chart(Plotter& p, const DatingChart& chart, const std::string& file);

}  // namespace ringdate
