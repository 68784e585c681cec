// A plotter for tests, fuzz harnesses and benchmarks: it draws nothing and keeps every call
// as one line of text, so that a picture can be checked call by call.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plot/plotter.h"

namespace ringdate {

// Keeps every call as one line of text ("plcol 15", "plline 3 1900:1.5 1901:2 1902:0.5").
class RecordingPlotter final : public Plotter {
 public:
  bool screen = true;
  std::vector<std::string> calls;
  // The next `failing` drawings fail (failed() from their plinit on).
  int32_t failing = 0;

  bool has_screen() override { return screen; }
  bool failed() const override { return failed_; }
  std::string error() const override { return failed_ ? "recorded failure" : ""; }
  void close() override { calls.push_back("close"); }

  void plsdev(const std::string& dev) override;
  void plsfnam(const std::string& fnam) override;
  void plscol0(int32_t icol0, int32_t r, int32_t g, int32_t b) override;
  void plscolbg(int32_t r, int32_t g, int32_t b) override;
  void plinit() override;
  void plfontld(int32_t fnt) override;
  void plfont(int32_t ifont) override;
  void plssub(int32_t nx, int32_t ny) override;
  void pladv(int32_t page) override;
  void plvpor(float xmin, float xmax, float ymin, float ymax) override;
  void plwind(float xmin, float xmax, float ymin, float ymax) override;
  void plcol(int32_t icol0) override;
  void plaxes(float x0, float y0, const std::string& xopt, float xtick, int32_t nxsub,
              const std::string& yopt, float ytick, int32_t nysub) override;
  void pllab(const std::string& xlabel, const std::string& ylabel,
             const std::string& tlabel) override;
  void pllsty(int32_t lin) override;
  void plwid(int32_t width) override;
  void plline(std::span<const float> x, std::span<const float> y) override;
  void plschr(float def, float scale) override;
  void plmtex(const std::string& side, float disp, float pos, float just,
              const std::string& text) override;
  void plptex(float x, float y, float dx, float dy, float just, const std::string& text) override;
  void plend() override;

 private:
  bool failed_ = false;
};

}  // namespace ringdate
