#include "app/checkplot.h"

#include <cstdio>

#include "xdate/correlation.h"
#include "xdate/report.h"

namespace ringdate::app {

namespace {

const char* note_of(xdate::FilterStatus s) {
  switch (s) {
    case xdate::FilterStatus::ok:
      return "";
    case xdate::FilterStatus::too_short:
      return "too short";
    case xdate::FilterStatus::too_long:
      return "too long";
    case xdate::FilterStatus::invalid:
      return "negative or invalid value";
  }
  return "";
}

}  // namespace

SegmentChart segment_chart(const xdate::CheckResult& result, const std::string& file) {
  SegmentChart c;
  c.title = "Crossdating check of " + file;
  char sub[160];
  std::snprintf(
      sub, sizeof sub, "%zu series; segments of %d years lagged %d, critical p %g (r %.4f)",
      result.series.size(), result.settings.segment, result.settings.segment / 2,
      result.settings.pcrit, xdate::critical_r(result.settings.segment, result.settings.pcrit));
  c.subtitle = sub;
  c.first_year = result.first_year;
  c.last_year = result.last_year;
  c.critical_r =
      static_cast<float>(xdate::critical_r(result.settings.segment, result.settings.pcrit));
  const std::vector<std::string> labels = xdate::series_labels(result);
  for (std::size_t i = 0; i < result.series.size(); ++i) {
    const xdate::SeriesResult& s = result.series[i];
    ChartRow row;
    row.id = labels[i];
    row.first = s.first;
    row.last = s.last;
    row.note = note_of(s.status);
    for (const xdate::SegmentResult& g : s.segments) {
      row.segments.push_back(
          {g.start, g.end, static_cast<float>(g.r.r), g.r.valid, g.flag_a, g.flag_b});
    }
    c.rows.push_back(std::move(row));
  }
  for (const xdate::Suggestion& g : result.suggestions) {
    if (g.series < 0 || static_cast<std::size_t>(g.series) >= c.rows.size()) continue;
    // Every edit of a sequence, numbered in the order to make them.
    for (std::size_t k = 0; k < g.edits.size(); ++k) {
      const xdate::Edit& e = g.edits[k];
      char label[48];
      if (g.edits.size() == 1)
        std::snprintf(label, sizeof label, "%c %d %c",
                      e.kind == xdate::EditKind::insert ? 'I' : 'D', e.type_year(), g.side);
      else
        std::snprintf(label, sizeof label, "%zu: %c %d %c", k + 1,
                      e.kind == xdate::EditKind::insert ? 'I' : 'D', e.type_year(), g.side);
      c.rows[static_cast<std::size_t>(g.series)].edits.push_back({e.year, label});
    }
  }
  return c;
}

}  // namespace ringdate::app
