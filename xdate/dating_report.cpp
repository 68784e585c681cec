#include "xdate/dating_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace ringdate::xdate {

namespace {

template <class... A>
std::string fmt(const char* f, A... a) {
  char buf[256];
  const int n = std::snprintf(buf, sizeof buf, f, a...);
  return std::string(buf,
                     static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
}

// A number in `width` columns, or "-" when there is none; values too large for the width
// are shown at the largest that fits.
std::string number(bool valid, double x, int width, int decimals) {
  if (!valid || !std::isfinite(x)) return fmt("%*s", width, "-");
  const double limit = std::pow(10.0, width - decimals - 2) - std::pow(10.0, -decimals);
  return fmt("%*.*f", width, decimals, std::clamp(x, -limit, limit));
}

std::string format_name(std::string_view code) {
  if (code == "MR") return "Tucson measurements";
  if (code == "IR") return "Tucson indices";
  if (code == "CR") return "UEA CRU indices";
  if (code == "CD") return "compact format";
  if (code == "FH") return "Heidelberg";
  return "unknown format";
}

std::string fitted(const std::string& s, std::size_t width) {
  if (s.size() <= width) return s;
  return "..." + s.substr(s.size() - (width - 3));
}

std::string quoted(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos &&
      (s.empty() || (s.front() != ' ' && s.back() != ' ')))
    return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + '"';
}

std::string num(bool valid, double x) {
  if (!valid || !std::isfinite(x)) return "NA";
  return fmt("%.10g", x);
}

// "1539-1638"; "-167 to -65" when a year is negative.
std::string span_text(int32_t first, int32_t last) {
  return fmt(first < 0 || last < 0 ? "%d to %d" : "%d-%d", first, last);
}

std::string years(const Position& p) { return span_text(p.first, p.last); }

}  // namespace

std::string chance_text(double p) {
  if (!(p >= 0.0)) return "-";
  if (p >= 0.001) return fmt("%.2g", p);
  if (p < 1e-99) return "<1e-99";
  // One significant digit, the exponent without padding: 2e-9.
  std::string s = fmt("%.0e", p);
  const std::size_t e = s.find("e-");
  if (e != std::string::npos) {
    std::size_t k = e + 2;
    while (k + 1 < s.size() && s[k] == '0') s.erase(k, 1);
  }
  return s;
}

std::string verdict_text(const SampleDating& d, const DatingSettings& settings) {
  switch (d.verdict) {
    case DatingVerdict::dated: {
      const Position& b = d.ranked.front();
      std::string s = "dated " + years(b) + " (p " + chance_text(b.p);
      if (d.runner_up) {
        s += "; next best " + years(*d.runner_up) + ", t " + fmt("%.1f", d.runner_up->r.t());
      } else {
        s += "; no other position";
      }
      return s + ")";
    }
    case DatingVerdict::not_dated: {
      const Position& b = d.ranked.front();
      return "not dated: best " + years(b) + " (t " + fmt("%.1f", b.r.t()) + ", p " +
             chance_text(b.p) + " over " + std::to_string(d.positions) + " positions)";
    }
    case DatingVerdict::too_short:
      return fmt("not dated: too short for an overlap of %d years with filtered values",
                 settings.overlap);
    case DatingVerdict::not_filtered:
      return d.status == FilterStatus::too_long
                 ? "not dated: too long for the filter"
                 : "not dated: cannot be filtered (a negative or invalid value)";
    case DatingVerdict::no_reference:
      return "not dated: no series of the reference can be filtered";
    case DatingVerdict::no_position:
      return fmt("not dated: no position overlaps the reference by %d years", settings.overlap);
  }
  return "not dated";
}

void write_dating_report(std::ostream& out, const DatingHeader& h, const DatingRun& run) {
  const DatingSettings& s = run.settings;
  out << "Dating of " << fitted(h.samples, 60) << '\n';
  out << "against " << fitted(h.reference, 72) << '\n';
  out << fmt("Samples: format %s (%s%s), %d series", h.samples_format.c_str(),
             format_name(h.samples_format).c_str(), h.samples_guessed ? ", guessed" : "",
             static_cast<int>(run.samples.size()))
      << '\n';
  std::string ref = fmt("Reference: format %s (%s%s), %d series", h.reference_format.c_str(),
                        format_name(h.reference_format).c_str(),
                        h.reference_guessed ? ", guessed" : "", run.reference_series);
  if (run.reference_usable > 0) {
    ref += ", " + span_text(run.first_year, run.last_year) +
           fmt(" (%d years)", run.last_year - run.first_year + 1);
  }
  out << ref << '\n';
  out << fmt("Overlap at least %d years; dated when p < %s and the best stands %.1f", s.overlap,
             chance_text(s.p_max).c_str(), s.margin)
      << '\n'
      << "standard units above the next (p: chance of the best of all positions)" << '\n';
  if (run.reference_usable == 0) {
    out << '\n'
        << (run.reference_series == 0 ? "The reference holds no series."
                                      : "No series of the reference can be filtered.")
        << '\n';
  }
  for (const SampleDating& d : run.samples) {
    out << '\n';
    std::string head = fmt("%-8s %6d rings", fitted(d.id, 8).c_str(), d.n);
    if (d.positions > 0) head += fmt(", %d positions", d.positions);
    out << head << '\n';
    if (!d.ranked.empty()) {
      out << fmt("  %4s %6s %6s %7s %6s %6s %6s %6s %6s %8s", "Rank", "First", "Last", "Overlap",
                 "r", "t", "tBP", "tHo", "GLK", "p")
          << '\n';
      for (std::size_t k = 0; k < d.ranked.size(); ++k) {
        const Position& p = d.ranked[k];
        out << fmt("  %4d %6d %6d %7d ", static_cast<int>(k + 1), p.first, p.last, p.r.n)
            << number(p.r.valid, p.r.r, 6, 3) << ' ' << number(p.r.valid, p.r.t(), 6, 1) << ' '
            << number(p.bp.valid, p.bp.t(), 6, 1) << ' ' << number(p.ho.valid, p.ho.t(), 6, 1)
            << ' ' << number(p.glk.valid(), p.glk.value, 6, 3) << ' '
            << fmt("%8s", chance_text(p.p).c_str()) << '\n';
      }
    }
    out << "  " << verdict_text(d, s) << '\n';
  }
  out << '\n'
      << fmt("%d of %d sample series dated.", run.dated(), static_cast<int>(run.samples.size()))
      << '\n';
}

void write_datings_csv(std::ostream& out, const DatingRun& run) {
  out << "id,rank,first,last,overlap,r,t,tBP,tHo,glk,glk_p,p,dated\n";
  for (const SampleDating& d : run.samples) {
    for (std::size_t k = 0; k < d.ranked.size(); ++k) {
      const Position& p = d.ranked[k];
      out << quoted(d.id) << ',' << k + 1 << ',' << p.first << ',' << p.last << ',' << p.r.n << ','
          << num(p.r.valid, p.r.r) << ',' << num(p.r.valid, p.r.t()) << ','
          << num(p.bp.valid, p.bp.t()) << ',' << num(p.ho.valid, p.ho.t()) << ','
          << num(p.glk.valid(), p.glk.value) << ',' << num(p.glk.valid(), p.glk_p()) << ','
          << num(true, p.p) << ',' << (k == 0 && d.dated() ? "TRUE" : "FALSE") << '\n';
    }
  }
}

}  // namespace ringdate::xdate
