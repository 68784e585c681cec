// The built program's crossdating window: on a virtual X server while a missing ring is
// inserted, closed by hand, and with no display at all. The window's text is read from its
// PostScript saves (the library writes the texts as strings).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "session/harness.h"
#include "support/test_support.h"

#ifdef RINGDATE_TEST_X11
#include <X11/Xlib.h>
#endif

namespace {

const std::string menu_prompt = std::string(15, ' ') + " enter option number > ";
const std::string window_name = "ringdate crossdating";

std::size_t count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (auto p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

std::string example() {
  return testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl");
}

// The r shown for a series in a saved picture of the window; -2 when it is not there.
double r_of(const std::string& picture, const std::string& id) {
  std::smatch m;
  if (!std::regex_search(picture, m, std::regex(id + " +r (-?[0-9.]+)"))) return -2.0;
  return std::stod(m[1]);
}

// Asks the window named `name` to close, as a window manager does when the user closes it.
bool close_by_hand(const std::string& display, const std::string& name) {
#ifdef RINGDATE_TEST_X11
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) return false;
  std::vector<Window> todo{DefaultRootWindow(d)};
  Window found = 0;
  while (!todo.empty() && found == 0) {
    const Window w = todo.back();
    todo.pop_back();
    char* title = nullptr;
    if (XFetchName(d, w, &title) != 0 && title != nullptr) {
      if (name == title) found = w;
      XFree(title);
    }
    Window root = 0, parent = 0, *kids = nullptr;
    unsigned int n = 0;
    if (XQueryTree(d, w, &root, &parent, &kids, &n) != 0) {
      for (unsigned int i = 0; i < n; ++i) todo.push_back(kids[i]);
      if (kids != nullptr) XFree(kids);
    }
  }
  if (found != 0) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = found;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, found, False, NoEventMask, &e);
    XFlush(d);
  }
  XCloseDisplay(d);
  return found != 0;
#else
  (void)display, (void)name;
  return false;
#endif
}

// File, Tucson measurements, spline, PIN04A (which misses its ring of 1903) and PIN01A,
// end of the picks, return: the first plot.
const std::vector<std::string> to_the_plot = {"pine.rwl", "", "", "5", "1", "", ""};

// Runs `body` against the program on a fresh virtual server once both windows are on it.
// The test is skipped only when no virtual server can start; a program that draws into its
// fallback files, or whose windows do not come, fails it.
template <class Body>
void on_virtual_display(Body body) {
  testing_support::VirtualDisplay x;
  if (!x.up) GTEST_SKIP() << "no virtual X server (Xvfb) could start";
  session::Workspace w;
  w.write("pine.rwl", example());
  session::Interactive p(w.path(""), x.name);
  for (const auto& a : to_the_plot) p.send(a);
  ASSERT_TRUE(p.wait_for(menu_prompt, 1)) << p.output();
  ASSERT_EQ(p.output().find("SCREEN.ps"), std::string::npos) << p.output();
  ASSERT_FALSE(w.exists("pine.rwl_XDATE_SCREEN.ps"));
  if (std::system("command -v xwininfo >/dev/null") == 0) {
    ASSERT_TRUE(session::wait_for_window(x.name, window_name)) << session::windows(x.name);
    ASSERT_TRUE(session::wait_for_window(x.name, "PLplot")) << session::windows(x.name);
  }
  body(x.name, w, p);
}

TEST(CrossdatingSession, AnInsertThatFixesTheMissingRingShowsAHigherRAndNoSuggestion) {
  on_virtual_display([](const std::string&, session::Workspace& w, session::Interactive& p) {
    p.send("s");
    ASSERT_TRUE(p.wait_for(menu_prompt, 2)) << p.output();
    const std::string before = w.read("pine.rwl_XDATE.PLTS");
    EXPECT_EQ(before.substr(0, 4), "%!PS");
    EXPECT_NE(before.find("missing ring at 1903: in the comparison choose I, year 1904, side B"),
              std::string::npos);
    const double r_before = r_of(before, "PIN04A");
    EXPECT_GT(r_before, 0.0);

    for (const char* a : {"", "I", "1", "1904", "B"}) p.send(a);
    ASSERT_TRUE(p.wait_for(menu_prompt, 3)) << p.output();
    p.send("s");
    ASSERT_TRUE(p.wait_for(menu_prompt, 4)) << p.output();
    const std::string after = w.read("pine.rwl_XDATE.PLTS");
    EXPECT_GT(r_of(after, "PIN04A"), r_before + 0.2);
    EXPECT_EQ(after.find("missing ring"), std::string::npos);
    EXPECT_NE(after.find("flagged 0"), std::string::npos);

    // Continue, end the picks, acknowledge the goodbye.
    for (const char* a : {"", "", ""}) p.send(a);
    EXPECT_EQ(p.finish(), 0) << p.output();
    const std::string out = p.output();
    EXPECT_EQ(out.find("XDATE"), std::string::npos);
    EXPECT_EQ(out.find("rossdating"), std::string::npos);
    EXPECT_FALSE(w.exists("pine.rwl_XDATE_SCREEN.ps"));
    EXPECT_TRUE(w.exists("pine.rwl_COR"));
  });
}

TEST(CrossdatingSession, ClosingTheWindowByHandDoesNotEndTheProgram) {
#ifndef RINGDATE_TEST_X11
  GTEST_SKIP() << "built without Xlib";
#endif
  if (std::system("command -v xwininfo >/dev/null") != 0) GTEST_SKIP() << "no xwininfo";
  on_virtual_display(
      [](const std::string& display, session::Workspace& w, session::Interactive& p) {
        ASSERT_TRUE(close_by_hand(display, window_name)) << session::windows(display);
        ASSERT_TRUE(close_by_hand(display, "PLplot")) << session::windows(display);
        // Redraw: both windows are there again and the dialogue goes on.
        p.send("0");
        ASSERT_TRUE(p.wait_for(menu_prompt, 2)) << p.output();
        EXPECT_TRUE(session::wait_for_window(display, window_name)) << session::windows(display);
        p.send("s");
        ASSERT_TRUE(p.wait_for(menu_prompt, 3)) << p.output();
        EXPECT_NE(w.read("pine.rwl_XDATE.PLTS").find("PIN04A"), std::string::npos);
        for (const char* a : {"", "X", "", ""}) p.send(a);
        EXPECT_EQ(p.finish(), 0) << p.output();
      });
}

TEST(CrossdatingSession, WithoutADisplayEachDrawingGoesToItsFileAndASaveBesideThePlot) {
  session::Workspace w;
  w.write("pine.rwl", example());
  std::vector<std::string> answers = to_the_plot;
  for (const char* a : {"", "I", "1", "1904", "B", "s", "", "", ""}) answers.push_back(a);
  const session::Result r = w.run(answers);
  EXPECT_EQ(r.status, 0) << r.out;
  // The plot's notice of its picture file, once; nothing of the crossdating window.
  EXPECT_EQ(count(r.out, "No plot window can be opened"), 1u) << r.out;
  EXPECT_EQ(r.out.find("XDATE"), std::string::npos);
  const std::string screen = w.read("pine.rwl_XDATE_SCREEN.ps");
  const std::string saved = w.read("pine.rwl_XDATE.PLTS");
  EXPECT_EQ(screen.substr(0, 4), "%!PS");
  EXPECT_EQ(saved.substr(0, 4), "%!PS");
  // The last drawing shows the series as edited.
  EXPECT_EQ(screen.find("missing ring"), std::string::npos);
  EXPECT_GT(r_of(screen, "PIN04A"), 0.7);
  EXPECT_EQ(r_of(saved, "PIN04A"), r_of(screen, "PIN04A"));
  EXPECT_TRUE(w.exists("pine.rwl_DATA_SCREEN.ps"));
  EXPECT_TRUE(w.exists("pine.rwl_DATA.PLTS"));
}

}  // namespace
