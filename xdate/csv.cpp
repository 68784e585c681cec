#include "xdate/csv.h"

#include <charconv>
#include <cmath>
#include <string>

#include "xdate/cells.h"

namespace ringdate::xdate {

namespace {

const char* flag(bool b) { return b ? "TRUE" : "FALSE"; }

const char* status_name(FilterStatus s) {
  switch (s) {
    case FilterStatus::ok:
      return "ok";
    case FilterStatus::too_short:
      return "too short";
    case FilterStatus::too_long:
      return "too long";
    case FilterStatus::invalid:
      return "invalid value";
  }
  return "";
}

}  // namespace

void write_series_csv(std::ostream& out, const CheckResult& result) {
  out << "id,first,last,n,r,p,n_r,tBP,n_BP,tHo,n_Ho,glk,n_glk,ar_order,flagged,status,seq\n";
  std::size_t seq = 0;
  for (const SeriesResult& s : result.series) {
    const bool ok = s.usable();
    out << quoted(s.id) << ',' << s.first << ',' << s.last << ',' << s.n << ','
        << csv_number(ok && s.r.valid, s.r.r) << ',' << csv_number(ok && s.r.valid, s.r.p()) << ','
        << (ok ? s.r.n : 0) << ',' << csv_number(ok && s.bp.t_defined(), s.bp.t()) << ','
        << (ok ? s.bp.n : 0) << ',' << csv_number(ok && s.ho.t_defined(), s.ho.t()) << ','
        << (ok ? s.ho.n : 0) << ',' << csv_number(ok && s.glk.valid(), s.glk.value) << ','
        << (ok ? s.glk.n : 0) << ',' << (ok ? std::to_string(s.ar_order) : "NA") << ',' << s.flagged
        << ',' << quoted(status_name(s.status)) << ',' << ++seq << '\n';
  }
}

void write_segments_csv(std::ostream& out, const CheckResult& result) {
  out << "id,seg_start,seg_end,r,p,flagA,best_lag,r_best,flagB,seq\n";
  std::size_t seq = 0;
  for (const SeriesResult& s : result.series) {
    ++seq;
    for (const SegmentResult& g : s.segments) {
      out << quoted(s.id) << ',' << g.start << ',' << g.end << ',' << csv_number(g.r.valid, g.r.r)
          << ',' << csv_number(g.r.valid, g.p()) << ',' << flag(g.flag_a) << ','
          << (g.best_valid ? std::to_string(g.best_lag) : std::string("NA")) << ','
          << csv_number(g.best_valid, g.r_best) << ',' << flag(g.flag_b) << ',' << seq << '\n';
    }
  }
}

void write_suggestions_csv(std::ostream& out, const CheckResult& result) {
  out << "id,kind,year,type_year,side,r_before,r_after,flagged_before,flagged_after,edit,edits,"
         "seq\n";
  // One row per edit; the figures are those of the whole sequence.
  for (const Suggestion& g : result.suggestions) {
    for (std::size_t k = 0; k < g.edits.size(); ++k) {
      const Edit& e = g.edits[k];
      out << quoted(g.id) << ',' << (e.kind == EditKind::insert ? "insert" : "delete") << ','
          << e.year << ',' << e.type_year() << ',' << g.side << ',' << csv_number(true, g.r_before)
          << ',' << csv_number(true, g.r_after) << ',' << g.flagged_before << ',' << g.flagged_after
          << ',' << k + 1 << ',' << g.edits.size() << ',' << g.series + 1 << '\n';
    }
  }
}

}  // namespace ringdate::xdate
