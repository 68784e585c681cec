#include "support/recording_plotter.h"

#include <sstream>

namespace ringdate {

namespace {

std::string num(double v) {
  std::ostringstream o;
  o << v;
  return o.str();
}

}  // namespace

void RecordingPlotter::plsdev(const std::string& dev) { calls.push_back("plsdev " + dev); }
void RecordingPlotter::plsfnam(const std::string& f) { calls.push_back("plsfnam " + f); }
void RecordingPlotter::plscol0(int32_t i, int32_t r, int32_t g, int32_t b) {
  calls.push_back("plscol0 " + num(i) + " " + num(r) + " " + num(g) + " " + num(b));
}
void RecordingPlotter::plscolbg(int32_t r, int32_t g, int32_t b) {
  calls.push_back("plscolbg " + num(r) + " " + num(g) + " " + num(b));
}
void RecordingPlotter::plinit() {
  failed_ = failing > 0;
  if (failed_) --failing;
  calls.push_back("plinit");
}
void RecordingPlotter::plfontld(int32_t f) { calls.push_back("plfontld " + num(f)); }
void RecordingPlotter::plfont(int32_t f) { calls.push_back("plfont " + num(f)); }
void RecordingPlotter::plssub(int32_t nx, int32_t ny) {
  calls.push_back("plssub " + num(nx) + " " + num(ny));
}
void RecordingPlotter::pladv(int32_t p) { calls.push_back("pladv " + num(p)); }
void RecordingPlotter::plvpor(float a, float b, float c, float d) {
  calls.push_back("plvpor " + num(a) + " " + num(b) + " " + num(c) + " " + num(d));
}
void RecordingPlotter::plwind(float a, float b, float c, float d) {
  calls.push_back("plwind " + num(a) + " " + num(b) + " " + num(c) + " " + num(d));
}
void RecordingPlotter::plcol(int32_t i) { calls.push_back("plcol " + num(i)); }
void RecordingPlotter::plaxes(float x0, float y0, const std::string& xopt, float xtick,
                              int32_t nxsub, const std::string& yopt, float ytick, int32_t nysub) {
  calls.push_back("plaxes " + num(x0) + " " + num(y0) + " " + xopt + " " + num(xtick) + " " +
                  num(nxsub) + " " + yopt + " " + num(ytick) + " " + num(nysub));
}
void RecordingPlotter::pllab(const std::string& x, const std::string& y, const std::string& t) {
  calls.push_back("pllab [" + x + "] [" + y + "] [" + t + "]");
}
void RecordingPlotter::pllsty(int32_t l) { calls.push_back("pllsty " + num(l)); }
void RecordingPlotter::plwid(int32_t w) { calls.push_back("plwid " + num(w)); }
void RecordingPlotter::plline(std::span<const float> x, std::span<const float> y) {
  std::string s = "plline " + num(static_cast<double>(x.size()));
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    s += ' ';
    s += num(x[i]);
    s += ':';
    s += num(y[i]);
  }
  calls.push_back(s);
}
void RecordingPlotter::plschr(float d, float s) {
  calls.push_back("plschr " + num(d) + " " + num(s));
}
void RecordingPlotter::plmtex(const std::string& side, float disp, float pos, float just,
                              const std::string& text) {
  calls.push_back("plmtex " + side + " " + num(disp) + " " + num(pos) + " " + num(just) + " [" +
                  text + "]");
}
void RecordingPlotter::plptex(float x, float y, float dx, float dy, float just,
                              const std::string& text) {
  calls.push_back("plptex " + num(x) + " " + num(y) + " " + num(dx) + " " + num(dy) + " " +
                  num(just) + " [" + text + "]");
}
void RecordingPlotter::plend() { calls.push_back("plend"); }

}  // namespace ringdate
