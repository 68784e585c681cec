// The seam between the renderer and the plotting library: one method per library call the
// renderer makes, plus what the screen window needs. PlplotPlotter drives PLplot.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ringdate {

// Device names the renderer hands to plsdev.
inline constexpr const char* screen_device = "xwin";
inline constexpr const char* file_device = "psc";

class Plotter {
 public:
  virtual ~Plotter() = default;

  // True when drawings to the screen device can be shown (a display is reachable and the
  // library has the device). Otherwise the renderer draws to a file instead.
  virtual bool has_screen() = 0;
  // True when the last drawing (plinit to plend) failed; `error()` says why.
  virtual bool failed() const = 0;
  virtual std::string error() const = 0;
  // Closes the screen window, if one is open.
  virtual void close() = 0;

  // One drawing runs plsdev (and plsfnam for a file) ... plinit ... plend. For the screen
  // device the window opened by the first drawing stays open after plend and the next
  // drawing replaces its picture; a file drawing never disturbs the window.
  virtual void plsdev(const std::string& dev) = 0;
  virtual void plsfnam(const std::string& fnam) = 0;
  virtual void plscol0(int32_t icol0, int32_t r, int32_t g, int32_t b) = 0;
  virtual void plscolbg(int32_t r, int32_t g, int32_t b) = 0;
  virtual void plinit() = 0;
  virtual void plfontld(int32_t fnt) = 0;
  virtual void plfont(int32_t ifont) = 0;
  virtual void plssub(int32_t nx, int32_t ny) = 0;
  virtual void pladv(int32_t page) = 0;
  virtual void plvpor(float xmin, float xmax, float ymin, float ymax) = 0;
  virtual void plwind(float xmin, float xmax, float ymin, float ymax) = 0;
  virtual void plcol(int32_t icol0) = 0;
  virtual void plaxes(float x0, float y0, const std::string& xopt, float xtick, int32_t nxsub,
                      const std::string& yopt, float ytick, int32_t nysub) = 0;
  virtual void pllab(const std::string& xlabel, const std::string& ylabel,
                     const std::string& tlabel) = 0;
  virtual void pllsty(int32_t lin) = 0;
  virtual void plwid(int32_t width) = 0;
  virtual void plline(std::span<const float> x, std::span<const float> y) = 0;
  virtual void plschr(float def, float scale) = 0;
  virtual void plmtex(const std::string& side, float disp, float pos, float just,
                      const std::string& text) = 0;
  // Text at a point of the window, along the direction (dx, dy) (used by the check's chart).
  virtual void plptex(float x, float y, float dx, float dy, float just,
                      const std::string& text) = 0;
  virtual void plend() = 0;
};

// Drives PLplot. The screen is the "xwin" device on its own stream, opened by the first
// screen drawing and closed by close() (a window the user closed is opened anew by the next
// screen drawing); each file drawing gets a stream of its own that is
// ended with the drawing. Library errors that would end the process are caught: the drawing
// is abandoned and failed() reports it.
class PlplotPlotter final : public Plotter {
 public:
  // The screen window gets the title `window_name` (the library's own when empty) and the
  // size and place `geometry` (an X geometry such as "900x675" or "760x675+920+20").
  explicit PlplotPlotter(std::string window_name = {}, std::string geometry = "900x675");
  ~PlplotPlotter() override;
  PlplotPlotter(const PlplotPlotter&) = delete;
  PlplotPlotter& operator=(const PlplotPlotter&) = delete;

  bool has_screen() override;
  bool failed() const override { return failed_; }
  std::string error() const override { return error_; }
  void close() override;

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

  // Tick interval and minor count as handed to the library for an axis of `range` world
  // units: an interval that is not a positive finite number, or that would give more than
  // max_major ticks, becomes 0 (the library chooses); likewise a minor count that is
  // negative or would give more than max_minor minor ticks.
  static constexpr double max_major = 1000;
  static constexpr double max_minor = 20000;
  static double safe_tick(double range, double tick);
  static int32_t safe_sub(double range, double tick, int32_t nsub);

 private:
  struct Colour {
    int32_t i, r, g, b;
  };
  std::string window_name_, geometry_;
  bool probed_ = false;
  bool screen_ok_ = false;
  // The connection that found the display, kept open while the plotter lives (an X server
  // left without clients resets, and refuses the window's connection meanwhile).
  void* display_probe_ = nullptr;
  bool screen_open_ = false;
  int32_t screen_strm_ = -1;
  bool drawing_ = false;  // between a successful plinit and plend
  bool to_file_ = false;  // the current drawing goes to a file stream
  // A file drawing goes to memory; plend writes it whole to its file (recio/outfile.h), so
  // that a file is never left half-written and a failed write is reported.
  struct MemoryFile;
  std::unique_ptr<MemoryFile> file_;
  bool failed_ = false;
  std::string error_;
  std::string dev_, fnam_;
  std::vector<Colour> cmap0_;
  bool bg_set_ = false;
  Colour bg_{0, 0, 0, 0};
  double wxmin_ = 0, wxmax_ = 1, wymin_ = 0, wymax_ = 1;

  template <class F>
  void guarded(F&& f);
  // Ends the memory file of a file drawing (the library may have closed it already) and,
  // with `write`, writes what it holds to the named file; false with error() when that fails.
  bool finish_file(bool write);
  // The window manager asked the screen window to close (the user closed it): the library
  // then ignores every drawing on that stream.
  bool window_closed_by_user();
  void fail(const std::string& why);
  // The stream of a plinit: the screen window (opened, or opened anew after a close by hand)
  // or a file stream. False when it cannot be had (failed() tells why).
  bool open_screen(const std::vector<Colour>& colours);
  bool open_file(const std::vector<Colour>& colours);
};

// Starts a page on `device` as every picture of the program starts one: white and black in
// colour map 0, the background colour, the library started, font 1, one subpage, the page
// advanced.
void start_page(Plotter& plotter, const std::string& device, int32_t bgr, int32_t bgg, int32_t bgb);

}  // namespace ringdate
