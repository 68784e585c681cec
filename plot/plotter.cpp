#include "plot/plotter.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "plot/plplot_api.h"
#include "recio/outfile.h"

namespace ringdate {

namespace {

// The library's exit and abort handlers take no user data, so the place a guarded call
// returns to is kept here while that call runs (the program is single-threaded).
std::jmp_buf* exit_jump = nullptr;
char exit_text[256] = {};

// Called by the library instead of ending the process: jumps back to the guarded call.
int on_library_exit(const char* msg) {
  std::snprintf(exit_text, sizeof exit_text, "%s", msg ? msg : "");
  if (exit_jump != nullptr) std::longjmp(*exit_jump, 1);
  // Outside a guarded call the library would now end the process; nothing can be done
  // about that here, but every library call of this file is guarded.
  return 1;
}

// The screen device failed to open a window: it keeps the broken connection in its table of
// displays and would hand it to every later window of the process (any plotter), so no
// window is tried again.
bool screen_device_broken = false;

// An aborted library operation: the library goes on; the message goes to the error stream.
void on_library_abort(const char* msg) { std::fprintf(stderr, "plot: %s\n", msg ? msg : ""); }

// The loaded library with the handlers above installed (once: they are the library's, not a
// stream's); null when it cannot be loaded.
const plplot::Api* library() {
  static const plplot::Api* const loaded = [] {
    const plplot::Api* a = plplot::api();
    if (a != nullptr) {
      a->plsexit(on_library_exit);
      a->plsabort(on_library_abort);
    }
    return a;
  }();
  return loaded;
}

// The library's functions; called only once library() has loaded them.
const plplot::Api& pl() { return *library(); }

bool library_has_device(const char* name) {
  if (library() == nullptr) return false;
  // The caller provides the arrays; ndev goes in as their size and comes back as the count.
  constexpr int room = 128;
  const char* menu_store[room] = {};
  const char* dev_store[room] = {};
  const char** menu = menu_store;
  const char** devs = dev_store;
  int ndev = room;
  pl().plgDevs(&menu, &devs, &ndev);
  for (int i = 0; i < ndev && i < room; ++i) {
    if (devs[i] != nullptr && std::strcmp(devs[i], name) == 0) return true;
  }
  return false;
}

// A connection to the display named by DISPLAY, or nullptr when there is none. It is kept
// open for the plotter's life: an X server that loses its last client resets itself, and a
// connection attempted during the reset (the window's own, a moment later) is refused.
void* open_display_probe(bool& reachable) {
  reachable = false;
  const char* d = std::getenv("DISPLAY");
  if (d == nullptr || *d == '\0') return nullptr;
  // Without Xlib the variable is taken at its word.
  const plplot::Xlib* x = plplot::xlib();
  if (x == nullptr) {
    reachable = true;
    return nullptr;
  }
  void* dpy = x->open_display(nullptr);
  reachable = dpy != nullptr;
  return dpy;
}

}  // namespace

// A growing text behind a stdio stream: the library writes, seeks back (the PostScript
// driver rewrites its header at the end) and closes it like a file.
struct PlplotPlotter::MemoryFile {
  std::string data;
  std::size_t pos = 0;
  std::FILE* stream = nullptr;
  bool closed = false;

  std::FILE* open() {
    cookie_io_functions_t io{};
    io.write = [](void* c, const char* buf, std::size_t n) -> ssize_t {
      auto* m = static_cast<MemoryFile*>(c);
      if (m->data.size() < m->pos + n) m->data.resize(m->pos + n);
      m->data.replace(m->pos, n, buf, n);
      m->pos += n;
      return static_cast<ssize_t>(n);
    };
    io.seek = [](void* c, off64_t* offset, int whence) -> int {
      auto* m = static_cast<MemoryFile*>(c);
      off64_t base = 0;
      if (whence == SEEK_CUR) base = static_cast<off64_t>(m->pos);
      if (whence == SEEK_END) base = static_cast<off64_t>(m->data.size());
      const off64_t to = base + *offset;
      if (to < 0) return -1;
      m->pos = static_cast<std::size_t>(to);
      *offset = to;
      return 0;
    };
    io.close = [](void* c) -> int {
      static_cast<MemoryFile*>(c)->closed = true;
      return 0;
    };
    stream = ::fopencookie(this, "w+", io);
    return stream;
  }
};

PlplotPlotter::PlplotPlotter(std::string window_name, std::string geometry)
    : window_name_(std::move(window_name)), geometry_(std::move(geometry)) {}

PlplotPlotter::~PlplotPlotter() {
  close();
  if (display_probe_ != nullptr) plplot::xlib()->close_display(display_probe_);
}

template <class F>
void PlplotPlotter::guarded(F&& f) {
  std::jmp_buf here;
  std::jmp_buf* const outer = exit_jump;
  exit_jump = &here;
  if (setjmp(here) == 0) {
    f();
    exit_jump = outer;
  } else {
    exit_jump = outer;
    fail(exit_text);
  }
}

void PlplotPlotter::fail(const std::string& why) {
  failed_ = true;
  error_ = why;
  drawing_ = false;
}

bool PlplotPlotter::has_screen() {
  if (!probed_) {
    probed_ = true;
    bool reachable = false;
    if (library_has_device(screen_device)) display_probe_ = open_display_probe(reachable);
    screen_ok_ = reachable;
  }
  return screen_ok_ && !screen_device_broken;
}

double PlplotPlotter::safe_tick(double range, double tick) {
  range = std::fabs(range);
  if (!std::isfinite(range) || !std::isfinite(tick) || tick <= 0) return 0;
  if (range / tick > max_major) return 0;
  return tick;
}

int32_t PlplotPlotter::safe_sub(double range, double tick, int32_t nsub) {
  if (nsub < 0) return 0;
  range = std::fabs(range);
  const double t = safe_tick(range, tick);
  const double majors = (t > 0) ? range / t + 1 : 10;
  if (majors * static_cast<double>(nsub) > max_minor) return 0;
  return nsub;
}

void PlplotPlotter::plsdev(const std::string& dev) { dev_ = dev; }
void PlplotPlotter::plsfnam(const std::string& fnam) { fnam_ = fnam; }

void PlplotPlotter::plscol0(int32_t icol0, int32_t r, int32_t g, int32_t b) {
  cmap0_.push_back({icol0, r, g, b});
}

void PlplotPlotter::plscolbg(int32_t r, int32_t g, int32_t b) { cmap0_.push_back({0, r, g, b}); }

namespace {

// Sets colour map 0 entries as the plot asked for them before plinit.
template <class Colours>
void apply_colours(const Colours& colours) {
  for (const auto& c : colours) pl().c_plscol0(c.i, c.r, c.g, c.b);
}

}  // namespace

void PlplotPlotter::plinit() {
  failed_ = false;
  error_.clear();
  drawing_ = false;
  if (library() == nullptr) {
    fail(std::string("cannot load the plot library: ") + plplot::why());
    return;
  }
  const std::vector<Colour> colours = cmap0_;
  cmap0_.clear();
  const bool opened = dev_ == screen_device ? open_screen(colours) : open_file(colours);
  if (!opened) return;
  wxmin_ = 0, wxmax_ = 1, wymin_ = 0, wymax_ = 1;
  drawing_ = true;
}

bool PlplotPlotter::open_screen(const std::vector<Colour>& colours) {
  if (!has_screen()) {
    fail("no display for the screen device");
    return false;
  }
  // A window closed by hand is ended; a new one takes its place.
  if (screen_open_ && window_closed_by_user()) close();
  if (screen_open_) {
    guarded([&] {
      pl().c_plsstrm(screen_strm_);
      apply_colours(colours);
    });
    to_file_ = false;
    return !failed_;
  }
  PLINT strm = 0;
  guarded([&] {
    pl().c_plmkstrm(&strm);
    screen_strm_ = strm;
    pl().c_plsdev(screen_device);
    pl().c_plspause(0);
    pl().c_plsetopt("geometry", geometry_.c_str());
    if (!window_name_.empty()) pl().c_plsetopt("plwindow", window_name_.c_str());
    // No event thread: the device keeps one switch for all its windows, and the thread
    // of one window runs unguarded beside the drawings of a second one (or, started
    // anew, re-initialises the device's lock under the first one's thread). A window is
    // repainted when it is drawn.
    pl().c_plsetopt("drvopt", "usepth=0");
    apply_colours(colours);
    pl().c_plinit();
  });
  if (failed_) {
    // The window could not be opened: the screen is taken as absent from now on.
    screen_ok_ = false;
    screen_device_broken = true;
    return false;
  }
  screen_open_ = true;
  to_file_ = false;
  return true;
}

bool PlplotPlotter::open_file(const std::vector<Colour>& colours) {
  if (!library_has_device(dev_.c_str())) {
    fail("the plot library has no device " + dev_);
    return false;
  }
  if (fnam_.empty()) {
    fail("no file name for the drawing");
    return false;
  }
  // The drawing goes to memory; the library never opens (nor asks on the console for)
  // a file of its own.
  file_ = std::make_unique<MemoryFile>();
  std::FILE* f = file_->open();
  if (f == nullptr) {
    file_.reset();
    fail("cannot write the file " + fnam_);
    return false;
  }
  PLINT strm = 0;
  guarded([&] {
    pl().c_plmkstrm(&strm);
    pl().c_plsdev(dev_.c_str());
    pl().plsfile(f);
    pl().c_plspause(0);
    apply_colours(colours);
    pl().c_plinit();
  });
  to_file_ = true;
  if (failed_) {
    // Leave the half-made stream and go back to the window's stream.
    const std::string why = error_;
    guarded([] { pl().c_plend1(); });
    finish_file(false);
    if (screen_open_) guarded([this] { pl().c_plsstrm(screen_strm_); });
    fail(why);
    return false;
  }
  return true;
}

void PlplotPlotter::plfontld(int32_t fnt) {
  if (drawing_) guarded([&] { pl().c_plfontld(fnt); });
}
void PlplotPlotter::plfont(int32_t ifont) {
  if (drawing_) guarded([&] { pl().c_plfont(ifont); });
}
void PlplotPlotter::plssub(int32_t nx, int32_t ny) {
  if (drawing_) guarded([&] { pl().c_plssub(nx, ny); });
}
void PlplotPlotter::pladv(int32_t page) {
  if (!drawing_) return;
  // On the window a new page clears the picture of the last drawing, but with the
  // background the window was opened with: the page is painted in colour 0 (the
  // background now set) so that a changed background shows.
  const bool paint = !to_file_;
  guarded([&] {
    pl().c_pladv(page);
    if (paint) {
      static const PLFLT px[4] = {0, 1, 1, 0};
      static const PLFLT py[4] = {0, 0, 1, 1};
      pl().c_plvpor(0, 1, 0, 1);
      pl().c_plwind(0, 1, 0, 1);
      pl().c_plcol0(0);
      pl().c_plfill(4, px, py);
    }
  });
}
void PlplotPlotter::plvpor(float xmin, float xmax, float ymin, float ymax) {
  if (drawing_) guarded([&] { pl().c_plvpor(xmin, xmax, ymin, ymax); });
}

void PlplotPlotter::plwind(float xmin, float xmax, float ymin, float ymax) {
  if (!drawing_) return;
  // Limits typed at the menu that are not finite numbers keep the last usable ones.
  if (std::isfinite(xmin) && std::isfinite(xmax) && std::isfinite(ymin) && std::isfinite(ymax)) {
    wxmin_ = xmin, wxmax_ = xmax, wymin_ = ymin, wymax_ = ymax;
  }
  guarded([&] { pl().c_plwind(wxmin_, wxmax_, wymin_, wymax_); });
}

void PlplotPlotter::plcol(int32_t icol0) {
  if (drawing_) guarded([&] { pl().c_plcol0(icol0); });
}

void PlplotPlotter::plaxes(float x0, float y0, const std::string& xopt, float xtick, int32_t nxsub,
                           const std::string& yopt, float ytick, int32_t nysub) {
  if (!drawing_) return;
  const double xr = wxmax_ - wxmin_;
  const double yr = wymax_ - wymin_;
  const double xt = safe_tick(xr, xtick);
  const double yt = safe_tick(yr, ytick);
  const int32_t nx = safe_sub(xr, xtick, nxsub);
  const int32_t ny = safe_sub(yr, ytick, nysub);
  guarded([&] { pl().c_plaxes(x0, y0, xopt.c_str(), xt, nx, yopt.c_str(), yt, ny); });
}

void PlplotPlotter::pllab(const std::string& xlabel, const std::string& ylabel,
                          const std::string& tlabel) {
  if (drawing_) guarded([&] { pl().c_pllab(xlabel.c_str(), ylabel.c_str(), tlabel.c_str()); });
}

void PlplotPlotter::pllsty(int32_t lin) {
  if (drawing_) guarded([&] { pl().c_pllsty(lin); });
}

void PlplotPlotter::plwid(int32_t width) {
  // Wider than 50 is drawn 50 wide: the window server rasterises a line of any width.
  const double w = std::min<int32_t>(width, 50);
  if (drawing_) guarded([&] { pl().c_plwidth(w); });
}

void PlplotPlotter::plline(std::span<const float> x, std::span<const float> y) {
  if (!drawing_) return;
  const std::size_t n = std::min(x.size(), y.size());
  if (n == 0) return;
  std::vector<PLFLT> xs(x.begin(), x.begin() + n), ys(y.begin(), y.begin() + n);
  guarded([&] { pl().c_plline(static_cast<PLINT>(n), xs.data(), ys.data()); });
}

void PlplotPlotter::plschr(float def, float scale) {
  if (drawing_) guarded([&] { pl().c_plschr(def, scale); });
}

void PlplotPlotter::plmtex(const std::string& side, float disp, float pos, float just,
                           const std::string& text) {
  if (drawing_) guarded([&] { pl().c_plmtex(side.c_str(), disp, pos, just, text.c_str()); });
}

void PlplotPlotter::plptex(float x, float y, float dx, float dy, float just,
                           const std::string& text) {
  if (drawing_) guarded([&] { pl().c_plptex(x, y, dx, dy, just, text.c_str()); });
}

void PlplotPlotter::plend() {
  if (!drawing_) return;
  drawing_ = false;
  if (to_file_) {
    const bool complete = !failed_;
    guarded([] { pl().c_plend1(); });
    if (screen_open_) guarded([this] { pl().c_plsstrm(screen_strm_); });
    // A drawing the library abandoned is not written: the file stays as it was.
    finish_file(complete && !failed_);
  } else {
    // The window stays open with this picture until the next drawing or close().
    guarded([] { pl().c_plflush(); });
  }
}

bool PlplotPlotter::finish_file(bool write) {
  if (!file_) return true;
  std::unique_ptr<MemoryFile> f = std::move(file_);
  if (!f->closed && f->stream != nullptr) std::fclose(f->stream);
  if (!write) return true;
  const recio::WriteResult w = recio::write_whole_file(fnam_, f->data);
  if (!w) fail(w.message);
  return w.ok;
}

bool PlplotPlotter::window_closed_by_user() {
  bool closed = false;
  guarded([&] {
    pl().c_plsstrm(screen_strm_);
    // Lets the device read the window's pending events: a close request among them marks
    // the stream closed.
    pl().pl_cmd(PLESC_EH, nullptr);
    PLStream* pls = nullptr;
    pl().plgpls(&pls);
    closed = pls != nullptr && pls->stream_closed;
  });
  if (failed_) {
    // The device gave up on the window while reading its events (a key that ends the
    // library, a lost window): it is ended and opened anew like a closed one.
    failed_ = false;
    error_.clear();
    return true;
  }
  return closed;
}

void PlplotPlotter::close() {
  drawing_ = false;
  if (!screen_open_) return;
  screen_open_ = false;
  guarded([this] {
    pl().c_plsstrm(screen_strm_);
    pl().c_plend1();
  });
}

void start_page(Plotter& p, const std::string& device, int32_t bgr, int32_t bgg, int32_t bgb) {
  p.plsdev(device);
  p.plscol0(0, 255, 255, 255);
  p.plscol0(15, 0, 0, 0);
  p.plscolbg(bgr, bgg, bgb);
  p.plinit();
  p.plfontld(1);
  p.plfont(1);
  p.plssub(1, 1);
  p.pladv(0);
}

}  // namespace ringdate
