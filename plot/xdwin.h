// The crossdating window: a picture of plain numbers (moving correlations of the compared
// series with their masters, their correlations at small lags, a text block) drawn through a
// plotter of its own, beside the comparison plot. It writes nothing to the console: without
// a display every drawing goes to a picture file, and a drawing the plotting library refuses
// is replaced by a page that says why.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plot/plotter.h"

namespace ringdate {

// An edit still to make on a series, marked over the moving correlations.
struct XdateMark {
  float year = 0;     // where the edit acts
  std::string label;  // what to type, e.g. "2: D 1919 B"
};

// One compared series in the picture.
struct XdateCurve {
  int32_t colour = 15;
  // Moving correlation: x the centre year of each window, y its r.
  std::vector<float> moving_x, moving_r;
  // Correlations at lags: x the lag, y its r (lags without one left out).
  std::vector<float> lag_x, lag_r;
  // Its lines of the text block.
  std::vector<std::string> text;
  // The edits named for it that are still to make, in the order to make them.
  std::vector<XdateMark> marks;
};

struct XdatePicture {
  std::string title;
  std::string note;  // when not empty: this one line instead of the panels
  float xmin = 0, xmax = 1;
  float critical_r = 0.3281f;
  int32_t max_lag = 5;
  std::vector<XdateCurve> series;
  std::vector<std::string> footer;  // lines after the series' lines
  int32_t frame_colour = 15, text_colour = 15;
  int32_t bgr = 254, bgg = 254, bgb = 254;
};

// The picture as plotter calls: one page, the moving correlations on top (x range
// xmin..xmax) with a dotted line at each edit still to make, the lag correlations below
// left, the text block below right.
void draw_xdate(Plotter& p, const XdatePicture& pic, const std::string& device);

class XdateWindow {
 public:
  explicit XdateWindow(Plotter& plotter) : p_(&plotter) {}

  // Draws on the screen, or without one into screen_file(stem). A drawing that fails is
  // replaced by a page naming the error, in the same place.
  void show(const XdatePicture& pic, const std::string& stem);
  // Saves the picture as save_file(stem), PostScript colour.
  void save(const XdatePicture& pic, const std::string& stem);
  void close() { p_->close(); }

  // The error of the last drawing that failed, "" after one that did not.
  const std::string& error() const { return error_; }

  static std::string screen_file(const std::string& stem) { return stem + "_XDATE_SCREEN.ps"; }
  static std::string save_file(const std::string& stem) { return stem + "_XDATE.PLTS"; }

 private:
  Plotter* p_;
  std::string error_;

  // Draws to the device (a file device after plsfnam); false when the library failed.
  bool draw(const XdatePicture& pic, const std::string& device);
  void to_file(const XdatePicture& pic, const std::string& file);
  void failure_page(const XdatePicture& pic, const std::string& device, const std::string& file);
};

}  // namespace ringdate
