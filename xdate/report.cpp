#include "xdate/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <string_view>
#include <vector>

#include "xdate/cells.h"
#include "xdate/correlation.h"

namespace ringdate::xdate {

namespace {

const char* status_text(FilterStatus s) {
  switch (s) {
    case FilterStatus::ok:
      return "";
    case FilterStatus::too_short:
      return "too short";
    case FilterStatus::too_long:
      return "too long";
    case FilterStatus::invalid:
      return "negative or invalid value";
  }
  return "";
}

// Words joined into lines of at most report_width columns, continuation lines indented.
void write_wrapped(std::ostream& out, const std::string& first,
                   const std::vector<std::string>& words, std::size_t indent,
                   bool space_after_first = false) {
  std::string line = first;
  bool fresh = !space_after_first;
  for (const std::string& w : words) {
    if (!fresh && line.size() + 1 + w.size() > static_cast<std::size_t>(report_width)) {
      out << line << '\n';
      line = std::string(indent, ' ');
      fresh = true;
    }
    if (!fresh) line += ' ';
    line += w;
    fresh = false;
  }
  out << line << '\n';
}

std::string padded_id(const std::string& id) { return formatted("%-8s", fitted(id, 8).c_str()); }

void write_header(std::ostream& out, const ReportHeader& h, const CheckResult& r) {
  const Settings& s = r.settings;
  out << "Crossdating check of " << fitted(h.file, report_width - 21) << '\n';
  std::string line =
      formatted("Format %s (%s%s), %d series", h.format.c_str(), format_name(h.format).c_str(),
                h.guessed ? ", guessed" : "", static_cast<int>(r.series.size()));
  if (!r.series.empty() && r.last_year >= r.first_year) {
    line +=
        formatted(", %d-%d (%d years)", r.first_year, r.last_year, r.last_year - r.first_year + 1);
  }
  out << line << '\n';
  out << formatted("Segments of %d years lagged %d, lags -%d..+%d, critical p %g (r %.4f)",
                   s.segment, s.segment / 2, s.lag, s.lag, s.pcrit, critical_r(s.segment, s.pcrit))
      << '\n';
}

void write_series(std::ostream& out, const CheckResult& r) {
  out << '\n'
      << formatted("%-8s  %6s %6s %6s  %6s %7s %7s %6s %8s", "Series", "First", "Last", "Years",
                   "r", "tBP", "tHo", "GLK", "Flagged")
      << '\n';
  for (const SeriesResult& s : r.series) {
    std::string line = padded_id(s.id) + formatted("  %6d %6d %6d", s.first, s.last, s.n);
    if (!s.usable()) {
      line += "  ";
      line += status_text(s.status);
    } else {
      line += "  " + number(s.r.valid, s.r.r, 6, 3);
      line += " " + number(s.bp.t_defined(), s.bp.t(), 7, 1);
      line += " " + number(s.ho.t_defined(), s.ho.t(), 7, 1);
      line += " " + number(s.glk.valid(), s.glk.value, 6, 3);
      line += formatted(" %8d", s.flagged);
    }
    out << line << '\n';
  }
}

// A segment as "1850  0.25AB -1": start, r at lag 0, flags, best lag.
std::string segment_cell(const SegmentResult& g) {
  const std::string flags = std::string(g.flag_a ? "A" : " ") + (g.flag_b ? "B" : " ");
  return integer(g.start, 5) + " " + number(g.r.valid, g.r.r, 5, 2) + flags +
         (g.best_valid ? integer(g.best_lag, 3, true) : std::string("  -"));
}

void write_segments(std::ostream& out, const CheckResult& r) {
  if (r.flagged_series() == 0) return;
  out << '\n'
      << "Segments of the flagged series: start year, r, flags, best lag" << '\n'
      << formatted("(A: not significant at p %g; B: correlates best at another lag)",
                   r.settings.pcrit)
      << '\n';
  const std::vector<std::string> labels = series_labels(r);
  for (std::size_t i = 0; i < r.series.size(); ++i) {
    const SeriesResult& s = r.series[i];
    if (s.flagged == 0) continue;
    std::vector<std::string> cells;
    for (const SegmentResult& g : s.segments) cells.push_back(segment_cell(g));
    write_wrapped(out, labels[i] == s.id ? padded_id(s.id) : labels[i], cells, 8);
  }
}

void write_suggestions(std::ostream& out, const CheckResult& r) {
  if (r.flagged_series() == 0) return;
  out << '\n';
  if (!r.suggestions.empty()) out << "Suggested edits, strongest first" << '\n';
  const std::vector<std::string> labels = series_labels(r);
  for (const Suggestion& g : r.suggestions) {
    const bool known = g.series >= 0 && static_cast<std::size_t>(g.series) < labels.size();
    const std::string name = known && labels[static_cast<std::size_t>(g.series)] != g.id
                                 ? labels[static_cast<std::size_t>(g.series)]
                                 : fitted(g.id, 8);
    const std::string figures = formatted("r %.2f -> %.2f, flagged segments %d -> %d", g.r_before,
                                          g.r_after, g.flagged_before, g.flagged_after);
    if (g.edits.size() > 1) {
      // A sequence: its figures on the first line, then one line per edit in its order.
      out << name << "  "
          << formatted("%d edits restore the dating (%s):", static_cast<int>(g.edits.size()),
                       figures.c_str())
          << '\n';
      for (const std::string& line : suggestion_lines(g))
        out << std::string(10, ' ') << line << '\n';
      continue;
    }
    const std::string head = name + "  " + suggestion_text(g);
    const std::string tail = "(" + figures + ")";
    if (head.size() + 1 + tail.size() <= static_cast<std::size_t>(report_width)) {
      out << head << ' ' << tail << '\n';
    } else {
      out << head << '\n' << std::string(10, ' ') << tail << '\n';
    }
  }
  std::vector<std::string> without;
  for (std::size_t i = 0; i < r.series.size(); ++i) {
    if (r.series[i].flagged == 0) continue;
    const bool has =
        std::any_of(r.suggestions.begin(), r.suggestions.end(),
                    [&](const Suggestion& g) { return g.series == static_cast<int32_t>(i); });
    if (!has) without.push_back(labels[i] == r.series[i].id ? fitted(labels[i], 8) : labels[i]);
  }
  // A comma after every name but the last; the list wrapped.
  for (std::size_t k = 0; k + 1 < without.size(); ++k) without[k] += ',';
  if (!without.empty())
    write_wrapped(out,
                  formatted("No sequence of up to %d edits restores the dating of:",
                            static_cast<int>(r.max_edits)),
                  without, 2, true);
}

std::string ordinal(int n) {
  const int tens = n % 100, ones = n % 10;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    if (ones == 1) suffix = "st";
    if (ones == 2) suffix = "nd";
    if (ones == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

}  // namespace

std::vector<std::string> series_labels(const CheckResult& result) {
  std::map<std::string, int> total, seen;
  for (const SeriesResult& s : result.series) ++total[s.id];
  std::vector<std::string> labels;
  labels.reserve(result.series.size());
  for (const SeriesResult& s : result.series) {
    const int k = ++seen[s.id];
    labels.push_back(total[s.id] > 1 ? s.id + " (" + ordinal(k) + ")" : s.id);
  }
  return labels;
}

std::string nothing_tested(const CheckResult& r) {
  if (r.series.size() < 2 || r.usable < 2) return "Nothing could be tested.";
  if (r.tested_segments() > 0) return {};
  const bool any_segment = std::any_of(r.series.begin(), r.series.end(),
                                       [](const SeriesResult& s) { return !s.segments.empty(); });
  // Flags counted without their segments (a result made elsewhere) stand as tested.
  if (!any_segment && r.flagged_segments() > 0) return {};
  if (any_segment)
    return formatted("Nothing could be tested: no %d-year segment and its master both vary.",
                     r.settings.segment);
  return formatted("Nothing could be tested: no %d-year segment overlaps its master.",
                   r.settings.segment);
}

std::string suggestion_text(const Suggestion& s) {
  if (s.edits.empty()) return "";
  return edit_text(s.edits.front(), s.side, true);
}

std::string edit_text(const Edit& e, char side, bool first) {
  const char* what = e.kind == EditKind::insert ? "missing ring" : "false ring";
  const char op = e.kind == EditKind::insert ? 'I' : 'D';
  if (first)
    return formatted("%s at %d: in the comparison choose %c, year %d, side %c", what, e.year, op,
                     e.type_year(), side);
  return formatted("then %s at %d: choose %c, year %d, side %c", what, e.year, op, e.type_year(),
                   side);
}

std::vector<std::string> suggestion_lines(const Suggestion& s) {
  std::vector<std::string> out;
  for (std::size_t k = 0; k < s.edits.size(); ++k)
    out.push_back(edit_text(s.edits[k], s.side, k == 0));
  return out;
}

void write_report(std::ostream& out, const ReportHeader& header, const CheckResult& result) {
  write_header(out, header, result);
  if (result.series.size() < 2) {
    out << '\n'
        << "Crossdating needs at least two series; this file has "
        << (result.series.empty() ? "none." : "one.") << '\n'
        << nothing_tested(result) << '\n';
    return;
  }
  write_series(out, result);
  if (result.usable < 2) {
    out << '\n'
        << "Crossdating needs at least two series long enough for the filter." << '\n'
        << nothing_tested(result) << '\n';
    return;
  }
  if (const std::string why = nothing_tested(result); !why.empty()) {
    out << '\n' << why << '\n';
    return;
  }
  write_segments(out, result);
  write_suggestions(out, result);
  if (result.flagged_series() == 0) out << '\n' << "No segment is flagged." << '\n';
}

}  // namespace ringdate::xdate
