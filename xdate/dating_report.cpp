#include "xdate/dating_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "xdate/cells.h"

namespace ringdate::xdate {

namespace {

// "1539-1638"; "-167 to -65" when a year is negative.
std::string span_text(int32_t first, int32_t last) {
  return formatted(first < 0 || last < 0 ? "%d to %d" : "%d-%d", first, last);
}

std::string years(const Position& p) { return span_text(p.first, p.last); }

}  // namespace

std::string chance_text(double p) {
  if (!(p >= 0.0)) return "-";
  if (p >= 0.001) return formatted("%.2g", p);
  if (p < 1e-99) return "<1e-99";
  // One significant digit, the exponent without padding: 2e-9.
  std::string s = formatted("%.0e", p);
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
        s += "; next best " + years(*d.runner_up) + ", t " + formatted("%.1f", d.runner_up->r.t());
      } else {
        s += "; no other position";
      }
      return s + ")";
    }
    case DatingVerdict::not_dated: {
      const Position& b = d.ranked.front();
      return "not dated: best " + years(b) + " (t " + formatted("%.1f", b.r.t()) + ", p " +
             chance_text(b.p) + " over " + std::to_string(d.positions) + " positions)";
    }
    case DatingVerdict::too_short:
      return formatted("not dated: too short for an overlap of %d years with filtered values",
                       settings.overlap);
    case DatingVerdict::not_filtered:
      return d.status == FilterStatus::too_long
                 ? "not dated: too long for the filter"
                 : "not dated: cannot be filtered (a negative or invalid value)";
    case DatingVerdict::no_reference:
      return "not dated: no series of the reference can be filtered";
    case DatingVerdict::no_position:
      return formatted("not dated: no position overlaps the reference by %d years",
                       settings.overlap);
  }
  return "not dated";
}

void write_dating_report(std::ostream& out, const DatingHeader& h, const DatingRun& run) {
  const DatingSettings& s = run.settings;
  out << "Dating of " << fitted(h.samples, 60) << '\n';
  out << "against " << fitted(h.reference, 72) << '\n';
  out << formatted("Samples: format %s (%s%s), %d series", h.samples_format.c_str(),
                   format_name(h.samples_format).c_str(), h.samples_guessed ? ", guessed" : "",
                   static_cast<int>(run.samples.size()))
      << '\n';
  std::string ref = formatted("Reference: format %s (%s%s), %d series", h.reference_format.c_str(),
                              format_name(h.reference_format).c_str(),
                              h.reference_guessed ? ", guessed" : "", run.reference_series);
  if (run.reference_usable > 0) {
    ref += ", " + span_text(run.first_year, run.last_year) +
           formatted(" (%d years)", run.last_year - run.first_year + 1);
  }
  out << ref << '\n';
  out << formatted("Overlap at least %d years; dated when p < %s and the best stands %.1f",
                   s.overlap, chance_text(s.p_max).c_str(), s.margin)
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
    std::string head = formatted("%-8s %6d rings", fitted(d.id, 8).c_str(), d.n);
    if (d.positions > 0) head += formatted(", %d positions", d.positions);
    out << head << '\n';
    if (!d.ranked.empty()) {
      out << formatted("  %4s %6s %6s %7s %6s %6s %6s %6s %6s %8s", "Rank", "First", "Last",
                       "Overlap", "r", "t", "tBP", "tHo", "GLK", "p")
          << '\n';
      for (std::size_t k = 0; k < d.ranked.size(); ++k) {
        const Position& p = d.ranked[k];
        out << formatted("  %4d %6d %6d %7d ", static_cast<int>(k + 1), p.first, p.last, p.r.n)
            << number(p.r.valid, p.r.r, 6, 3) << ' ' << number(p.r.valid, p.r.t(), 6, 1) << ' '
            << number(p.bp.valid, p.bp.t(), 6, 1) << ' ' << number(p.ho.valid, p.ho.t(), 6, 1)
            << ' ' << number(p.glk.valid(), p.glk.value, 6, 3) << ' '
            << formatted("%8s", chance_text(p.p).c_str()) << '\n';
      }
    }
    out << "  " << verdict_text(d, s) << '\n';
  }
  out << '\n'
      << formatted("%d of %d sample series dated.", run.dated(),
                   static_cast<int>(run.samples.size()))
      << '\n';
}

void write_datings_csv(std::ostream& out, const DatingRun& run) {
  out << "id,rank,first,last,overlap,r,t,tBP,tHo,glk,glk_p,p,dated\n";
  for (const SampleDating& d : run.samples) {
    for (std::size_t k = 0; k < d.ranked.size(); ++k) {
      const Position& p = d.ranked[k];
      out << quoted(d.id) << ',' << k + 1 << ',' << p.first << ',' << p.last << ',' << p.r.n << ','
          << csv_number(p.r.valid, p.r.r) << ',' << csv_number(p.r.valid, p.r.t()) << ','
          << csv_number(p.bp.valid, p.bp.t()) << ',' << csv_number(p.ho.valid, p.ho.t()) << ','
          << csv_number(p.glk.valid(), p.glk.value) << ',' << csv_number(p.glk.valid(), p.glk_p())
          << ',' << csv_number(true, p.p) << ',' << (k == 0 && d.dated() ? "TRUE" : "FALSE")
          << '\n';
    }
  }
}

}  // namespace ringdate::xdate
