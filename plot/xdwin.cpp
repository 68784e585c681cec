#include "plot/xdwin.h"

#include <algorithm>
#include <cmath>

namespace ringdate {

namespace {

// Lowest r shown: at most -0.2, lower when a value is lower, in steps of 0.2, not below -1.
float lowest_r(const XdatePicture& pic) {
  float lo = -0.2f;
  for (const XdateCurve& c : pic.series) {
    for (float r : c.moving_r) lo = std::min(lo, r);
    for (float r : c.lag_r) lo = std::min(lo, r);
  }
  lo = std::floor(lo * 5.0f) / 5.0f;
  return std::max(lo, -1.0f);
}

// Draws the points as lines, broken where x jumps by more than `gap`.
void broken_line(Plotter& p, const std::vector<float>& x, const std::vector<float>& y, float gap) {
  const std::size_t n = std::min(x.size(), y.size());
  std::size_t from = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    if (k < n && std::fabs(x[k] - x[k - 1]) <= gap) continue;
    const std::span<const float> xs(x.data() + from, k - from), ys(y.data() + from, k - from);
    p.plline(xs, ys);
    from = k;
  }
}

void hline(Plotter& p, float x0, float x1, float y) {
  const float xs[2] = {x0, x1}, ys[2] = {y, y};
  p.plline(xs, ys);
}

void vline(Plotter& p, float x, float y0, float y1) {
  const float xs[2] = {x, x}, ys[2] = {y0, y1};
  p.plline(xs, ys);
}

// The edits still to make inside the x range: a dotted line across the panel in the colour
// of the series, labelled what to type (the labels stepped down so that close ones do not
// cover each other).
void edit_marks(Plotter& p, const XdatePicture& pic, float lo) {
  const float x0 = std::min(pic.xmin, pic.xmax), x1 = std::max(pic.xmin, pic.xmax);
  int32_t n = 0;
  for (const XdateCurve& c : pic.series) {
    for (const XdateMark& m : c.marks) {
      if (m.year < x0 || m.year > x1) continue;
      p.plcol(c.colour);
      p.pllsty(3);
      vline(p, m.year, lo, 1.0f);
      p.pllsty(1);
      const float y = 1.0f - (1.0f - lo) * 0.06f * static_cast<float>(1 + n % 4);
      p.plschr(0.0f, 0.7f);
      p.plptex(m.year + 0.005f * (x1 - x0), y, 1.0f, 0.0f, 0.0f, m.label);
      p.plschr(0.0f, 1.0f);
      ++n;
    }
  }
}

void moving_panel(Plotter& p, const XdatePicture& pic, float lo) {
  p.plvpor(0.12f, 0.96f, 0.60f, 0.92f);
  p.plwind(pic.xmin, pic.xmax, lo, 1.0f);
  p.plcol(pic.frame_colour);
  p.plaxes(pic.xmin, lo, "bcnst", 0.0f, 0, "bcnstv", 0.0f, 0);
  p.plcol(pic.text_colour);
  p.pllab("YEARS", "r (50 years)", pic.title);
  p.pllsty(2);
  p.plcol(pic.frame_colour);
  hline(p, std::min(pic.xmin, pic.xmax), std::max(pic.xmin, pic.xmax), pic.critical_r);
  for (std::size_t k = 0; k < pic.series.size(); ++k) {
    const XdateCurve& c = pic.series[k];
    p.plcol(c.colour);
    p.pllsty(1);
    p.plwid(k == 0 ? 2 : 1);
    broken_line(p, c.moving_x, c.moving_r, 1.5f);
  }
  p.plwid(1);
  edit_marks(p, pic, lo);
}

void lag_panel(Plotter& p, const XdatePicture& pic, float lo) {
  const float edge = static_cast<float>(pic.max_lag) + 0.5f;
  p.plvpor(0.12f, 0.34f, 0.08f, 0.46f);
  p.plwind(-edge, edge, lo, 1.0f);
  p.plcol(pic.frame_colour);
  p.plaxes(-edge, lo, "bcnst", 5.0f, 5, "bcnstv", 0.0f, 0);
  p.plcol(pic.text_colour);
  p.pllab("LAG (YEARS)", "r", "");
  // The dated position.
  p.pllsty(2);
  p.plcol(pic.frame_colour);
  vline(p, 0.0f, lo, 1.0f);
  for (std::size_t k = 0; k < pic.series.size(); ++k) {
    const XdateCurve& c = pic.series[k];
    p.plcol(c.colour);
    p.pllsty(1);
    p.plwid(k == 0 ? 2 : 1);
    broken_line(p, c.lag_x, c.lag_r, 1.5f);
  }
  p.plwid(1);
}

void text_block(Plotter& p, const XdatePicture& pic) {
  p.plvpor(0.39f, 0.99f, 0.02f, 0.47f);
  p.plwind(0.0f, 1.0f, 0.0f, 1.0f);
  p.plschr(0.0f, 0.5f);
  float line = 0.0f;
  auto put = [&](const std::string& text) {
    line += 1.0f;
    p.plmtex("t", -1.4f * line, 0.0f, 0.0f, text);
  };
  for (const XdateCurve& c : pic.series) {
    p.plcol(c.colour);
    for (const std::string& t : c.text) put(t);
  }
  p.plcol(pic.text_colour);
  for (const std::string& t : pic.footer) put(t);
}

}  // namespace

void draw_xdate(Plotter& p, const XdatePicture& pic, const std::string& device) {
  start_page(p, device, pic.bgr, pic.bgg, pic.bgb);
  if (!pic.note.empty()) {
    p.plvpor(0.05f, 0.95f, 0.05f, 0.92f);
    p.plwind(0.0f, 1.0f, 0.0f, 1.0f);
    p.plcol(pic.text_colour);
    p.plmtex("t", 1.0f, 0.0f, 0.0f, pic.title);
    p.plmtex("t", -2.0f, 0.0f, 0.0f, pic.note);
    p.plend();
    return;
  }
  const float lo = lowest_r(pic);
  moving_panel(p, pic, lo);
  lag_panel(p, pic, lo);
  text_block(p, pic);
  p.plend();
}

bool XdateWindow::draw(const XdatePicture& pic, const std::string& device) {
  draw_xdate(*p_, pic, device);
  if (!p_->failed()) return true;
  error_ = p_->error();
  return false;
}

void XdateWindow::failure_page(const XdatePicture& pic, const std::string& device,
                               const std::string& file) {
  XdatePicture page;
  page.title = pic.title;
  page.note = "The crossdating window could not be drawn: " + error_;
  page.frame_colour = pic.frame_colour;
  page.text_colour = pic.text_colour;
  page.bgr = pic.bgr, page.bgg = pic.bgg, page.bgb = pic.bgb;
  if (!file.empty()) p_->plsfnam(file);
  draw_xdate(*p_, page, device);  // should this fail too, there is no other place to say it
}

void XdateWindow::to_file(const XdatePicture& pic, const std::string& file) {
  p_->plsfnam(file);
  if (!draw(pic, file_device)) failure_page(pic, file_device, file);
}

void XdateWindow::show(const XdatePicture& pic, const std::string& stem) {
  error_.clear();
  if (p_->has_screen()) {
    if (draw(pic, screen_device)) return;
    // The window is open but the drawing failed: the window says so.
    if (p_->has_screen()) {
      failure_page(pic, screen_device, "");
      return;
    }
    // The window could not be opened: the picture file takes its place from now on.
  }
  to_file(pic, screen_file(stem));
}

void XdateWindow::save(const XdatePicture& pic, const std::string& stem) {
  error_.clear();
  to_file(pic, save_file(stem));
}

}  // namespace ringdate
