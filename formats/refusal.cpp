#include "formats/refusal.h"

namespace ringdate {

namespace {

std::string trim(std::string_view s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

}  // namespace

std::string Refusal::text() const {
  std::string out;
  auto add = [&out](std::string_view line) {
    const std::string t = trim(line);
    if (t.empty()) return;
    if (!out.empty()) out += '\n';
    out += t;
  };
  for (const std::string& r : records) add(r);
  add(pause);
  add(error_line);
  return out;
}

std::string_view refusal_name(RefusalKind kind) {
  switch (kind) {
    case RefusalKind::series_too_long:
      return "series_too_long";
    case RefusalKind::too_many_series:
      return "too_many_series";
    case RefusalKind::span_too_wide:
      return "span_too_wide";
    case RefusalKind::no_series:
      return "no_series";
    case RefusalKind::tucson_text_lines:
      return "tucson_text_lines";
    case RefusalKind::tucson_decade_repeated:
      return "tucson_decade_repeated";
    case RefusalKind::cru_text_lines:
      return "cru_text_lines";
    case RefusalKind::cru_data:
      return "cru_data";
    case RefusalKind::compact_header:
      return "compact_header";
    case RefusalKind::compact_too_long:
      return "compact_too_long";
    case RefusalKind::compact_exponent:
      return "compact_exponent";
    case RefusalKind::compact_data:
      return "compact_data";
    case RefusalKind::compact_data_end:
      return "compact_data_end";
    case RefusalKind::heidelberg_data:
      return "heidelberg_data";
  }
  return "unknown";
}

Refusal refusal(RefusalKind kind, const recio::Layout& layout,
                std::initializer_list<recio::Out> items) {
  return Refusal{kind, recio::write(layout, items).lines, " ", {}};
}

void show(recio::Session& session, const Refusal& r) {
  for (const std::string& record : r.records) session.line(record);
  if (!r.pause.empty()) session.pause(r.pause);
}

}  // namespace ringdate
