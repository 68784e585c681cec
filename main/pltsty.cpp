#include "main/pltsty.h"

#include <functional>
#include <optional>

namespace ringdate {

namespace {

using recio::Layout;

// Answer widths: a free-form number is read from the whole typed line (cut at 80), an
// "(i4)" answer from its first four characters.
constexpr std::size_t free_width = 80;
constexpr std::size_t i4_width = 4;

// Each ask_* writes the question with `ask`, reads the answer and asks again while the
// answer holds no number (an empty line included for the free-form reads).
int32_t ask_free_int(recio::Session& s, const std::function<void()>& ask) {
  for (;;) {
    ask();
    if (auto v = recio::read_free_int(s.answer(free_width))) return *v;
  }
}

float ask_free_real(recio::Session& s, const std::function<void()>& ask) {
  for (;;) {
    ask();
    if (auto v = recio::read_free_real(s.answer(free_width))) return *v;
  }
}

// "(i4)" over the first four characters: a blank field reads 0.
int32_t ask_i4(recio::Session& s, const std::function<void()>& ask) {
  static const Layout i4 = Layout::fixed("(i4)");
  for (;;) {
    ask();
    int32_t v = 0;
    const std::string a = s.answer(i4_width);
    if (recio::read(i4, a, {recio::In(v)}) == recio::Outcome::ok) return v;
  }
}

const Layout& table_end() {
  static const Layout l =
      Layout::fixed("(13x,'___________________________________________________________',/)");
  return l;
}

void colour_table(recio::Session& s) {
  static const Layout t1 =
      Layout::fixed("(/13x,'color table ______________________________________________')");
  static const Layout t2 =
      Layout::fixed("(13x,'white(0) red(1)  yellow(2)  green(3)  aquamarine(4) pink(5) ')");
  static const Layout t3 =
      Layout::fixed("(13x,'wheat(6)  grey(7)  browm(8)  blue(9)  blueviolet(10)')");
  static const Layout t4 =
      Layout::fixed("(13x,'cyan(11)  turquoise(12)  magenta(13)  salmon(14)  black(15)')");
  s.write(t1);
  s.write(t2);
  s.write(t3);
  s.write(t4);
  s.write(table_end());
}

void background_table(recio::Session& s) {
  static const Layout t1 =
      Layout::fixed("(/13x,'color table (background only) ____________________________')");
  static const Layout t2 = Layout::fixed("(13x,'black(0) white(1)  user defined (2)')");
  s.write(t1);
  s.write(t2);
  s.write(table_end());
}

// A prompt written with no items.
std::function<void()> prompt(recio::Session& s, const Layout& l) {
  return [&s, &l] { s.write(l); };
}

// A record showing the current value, then the "to > " prompt.
template <class T>
std::function<void()> change(recio::Session& s, const Layout& l, const T& current) {
  return [&s, &l, &current] {
    static const Layout to = Layout::fixed("(13x,'to > ',$)");
    s.write(l, {recio::Out(current)});
    s.write(to);
  };
}

void background(recio::Session& s, Pltset& p) {
  static const Layout q = Layout::fixed("(/13x,'select new background color [0/1/2] : ',$)");
  static const Layout red = Layout::fixed("(13x,'enter red value [0-255] > ',$)");
  static const Layout green = Layout::fixed("(13x,'enter green value [0-255] > ',$)");
  static const Layout blue = Layout::fixed("(13x,'enter blue value [0-255] > ',$)");
  const int32_t ibg = ask_free_int(s, prompt(s, q));
  if (ibg == 0) {
    p.bgr = 0, p.bgg = 0, p.bgb = 0;
  } else if (ibg == 1) {
    p.bgr = 254, p.bgg = 254, p.bgb = 254;
  } else if (ibg == 2) {
    p.bgr = ask_free_int(s, prompt(s, red));
    p.bgg = ask_free_int(s, prompt(s, green));
    p.bgb = ask_free_int(s, prompt(s, blue));
  }
}

// Options 2 to 7: the frame, text, line and curve colours, the curve's style and width.
void ask_colour_or_style(recio::Session& s, Pltset& p, int32_t opt) {
  static const Layout q2 = Layout::fixed("(13x,'select new frame color [0-15] : ',$)");
  static const Layout q3 = Layout::fixed("(/13x,'select new text color: [0-15] : ',$)");
  static const Layout q4 = Layout::fixed("(13x,'select new line color: [0-15] : ',$)");
  static const Layout q5 = Layout::fixed("(13x,'select new curve color: [0-15] : ',$)");
  static const Layout q6 = Layout::fixed("(/13x,'select new line style: [0-8] : ',$)");
  static const Layout q7 = Layout::fixed("(/13x,'select new curve width: [0-8]  : ',$)");
  switch (opt) {
    case 2:
      p.frmcol = ask_free_int(s, prompt(s, q2));
      break;
    case 3:
      p.txtcol = ask_free_int(s, prompt(s, q3));
      break;
    case 4:
      p.colr(1) = ask_i4(s, prompt(s, q4));
      break;
    case 5:
      p.colr(2) = ask_i4(s, prompt(s, q5));
      break;
    case 6:
      p.sty(1) = ask_i4(s, prompt(s, q6));
      break;
    case 7:
      p.sty(2) = ask_i4(s, prompt(s, q7));
      break;
    default:
      break;
  }
}

// Options 8 to 13: major tick spacing and minor ticks of the x, y and z axes.
void ask_ticks(recio::Session& s, Pltset& p, int32_t opt) {
  static const Layout q8 = Layout::fixed("(/13x,'change x axis major tics from: ',f6.0)");
  static const Layout q9 = Layout::fixed("(/13x,'change x axis minor tics from: ',i4)");
  static const Layout q10 = Layout::fixed("(/13x,'change y axis major tics from: ',f6.0)");
  static const Layout q11 = Layout::fixed("(/13x,'change y axis minor tics from: ',i4)");
  static const Layout q12 = Layout::fixed("(/13x,'change z axis major tics from: ',f6.0)");
  static const Layout q13 = Layout::fixed("(/13x,'change z axis minor tics from: ',i4)");
  switch (opt) {
    case 8:
      p.xtick = ask_free_real(s, change(s, q8, p.xtick));
      break;
    case 9:
      p.nxsub = ask_free_int(s, change(s, q9, p.nxsub));
      break;
    case 10:
      p.ytick = ask_free_real(s, change(s, q10, p.ytick));
      break;
    case 11:
      p.nysub = ask_i4(s, change(s, q11, p.nysub));
      break;
    case 12:
      p.ztick = ask_free_real(s, change(s, q12, p.ztick));
      break;
    case 13:
      p.nzsub = ask_i4(s, change(s, q13, p.nzsub));
      break;
    default:
      break;
  }
}

// Options 14 to 17: the axis limits.
void ask_limit(recio::Session& s, Pltset& p, int32_t opt) {
  static const Layout q14 = Layout::fixed("(/13x,'change x axis max value from: ',f8.3)");
  static const Layout q15 = Layout::fixed("(/13x,'change x axis min value from: ',f8.3)");
  static const Layout q16 = Layout::fixed("(/13x,'change y axis max value from: ',f8.3)");
  static const Layout q17 = Layout::fixed("(/13x,'change y axis min value from: ',f8.3)");
  float* const field[] = {&p.xmax, &p.xmin, &p.ymax, &p.ymin};
  const Layout* const question[] = {&q14, &q15, &q16, &q17};
  if (opt < 14 || opt > 17) return;
  float& f = *field[opt - 14];
  f = ask_free_real(s, change(s, *question[opt - 14], f));
}

}  // namespace

void pltsty(recio::Session& s, Pltset& p, int32_t opt) {
  if (opt >= 2 && opt <= 5) colour_table(s);
  if (opt == 1) background_table(s);
  if (opt == 1) {
    background(s, p);
  } else if (opt >= 2 && opt <= 7) {
    ask_colour_or_style(s, p, opt);
  } else if (opt >= 8 && opt <= 13) {
    ask_ticks(s, p, opt);
  } else if (opt >= 14 && opt <= 17) {
    ask_limit(s, p, opt);
  } else if (opt == 99) {
    // The default style; ticks and axis limits are left to the caller.
    default_style(p);
  }
}

}  // namespace ringdate
