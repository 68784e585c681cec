// Layout compiler, reader and writer over arbitrary layout texts and records.
// Input: line 1 the layout text; line 2 the item kinds ("i" integer, "f" real, "a" text,
// a text optionally followed by its width, 8 by default); the rest are the records.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recio/layout.h"
#include "recio/units.h"

namespace {

// Splits the input at its first line feed: head before it, rest after it (rest is empty
// when there is no line feed).
void split_first_line(const uint8_t* data, std::size_t size, std::string& head, std::string& rest) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  const auto nl = all.find('\n');
  if (nl == std::string_view::npos) {
    head.assign(all);
    rest.clear();
  } else {
    head.assign(all.substr(0, nl));
    rest.assign(all.substr(nl + 1));
  }
}

class VectorSource final : public recio::RecordSource {
 public:
  explicit VectorSource(const std::vector<std::string>& recs) : recs_(&recs) {}
  recio::Outcome next(std::string& record) override {
    if (pos_ >= recs_->size()) return recio::Outcome::eof;
    record = (*recs_)[pos_++];
    return recio::Outcome::ok;
  }

 private:
  const std::vector<std::string>* recs_;
  std::size_t pos_ = 0;
};

struct Items {
  std::vector<char> kinds;
  std::vector<int32_t> ints;
  std::vector<float> reals;
  std::vector<std::string> texts;
  std::vector<recio::In> in;

  explicit Items(const std::string& items_text) {
    for (std::size_t i = 0; i < items_text.size() && kinds.size() < 32; ++i) {
      char c = static_cast<char>(std::tolower(static_cast<unsigned char>(items_text[i])));
      if (c == 'i' || c == 'f') {
        kinds.push_back(c);
      } else if (c == 'a') {
        std::size_t w = 0, j = i + 1;
        while (j < items_text.size() && j < i + 4 &&
               std::isdigit(static_cast<unsigned char>(items_text[j])))
          w = w * 10 + static_cast<std::size_t>(items_text[j++] - '0');
        if (j == i + 1) w = 8;
        i = j - 1;
        kinds.push_back('a');
        texts.emplace_back(w, ' ');
      }
    }
    ints.assign(kinds.size(), 0);
    reals.assign(kinds.size(), 0.0f);
    std::size_t t = 0;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      if (kinds[k] == 'i')
        in.emplace_back(ints[k]);
      else if (kinds[k] == 'f')
        in.emplace_back(reals[k]);
      else
        in.emplace_back(texts[t++]);
    }
  }

  std::vector<recio::Out> out() const {
    std::vector<recio::Out> o;
    std::size_t t = 0;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      if (kinds[k] == 'i')
        o.emplace_back(ints[k]);
      else if (kinds[k] == 'f')
        o.emplace_back(reals[k]);
      else
        o.emplace_back(texts[t++]);
    }
    return o;
  }

  std::size_t text_width(std::size_t t) const { return texts[t].size(); }
};

void check_text_widths(const Items& items, const std::vector<std::size_t>& widths) {
  // A read never changes the width of a text field.
  for (std::size_t t = 0; t < widths.size(); ++t)
    if (items.text_width(t) != widths[t]) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string layout_text, rest, kinds, records_text;
  split_first_line(data, size, layout_text, rest);
  split_first_line(reinterpret_cast<const uint8_t*>(rest.data()), rest.size(), kinds, records_text);
  const std::vector<std::string> records = recio::split_records(records_text);
  for (const auto& r : records)
    if (r.find('\n') != std::string::npos || r.find('\r') != std::string::npos) __builtin_trap();

  // Free-form reads never depend on a layout.
  const std::string first = records.empty() ? std::string() : records.front();
  (void)recio::read_free_int(first);
  (void)recio::read_free_real(first);
  {
    VectorSource src(records);
    float vals[16] = {};
    (void)recio::read_free_reals(src, vals);
  }

  auto layout = recio::Layout::compile(layout_text);
  if (!layout) return 0;
  (void)layout->text();
  (void)layout->open_end();

  Items items(kinds);
  std::vector<std::size_t> widths;
  for (const auto& t : items.texts) widths.push_back(t.size());

  {
    VectorSource src(records);
    (void)recio::read(*layout, src, items.in);
    check_text_widths(items, widths);
  }
  (void)recio::read(*layout, first, items.in);
  check_text_widths(items, widths);

  const auto outs = items.out();
  recio::Records written = recio::write(*layout, outs);
  for (const auto& l : written.lines)
    if (l.find('\n') != std::string::npos) __builtin_trap();

  // What was written reads back with the same layout without harm.
  {
    VectorSource src(written.lines);
    Items again(kinds);
    (void)recio::read(*layout, src, again.in);
  }
  return 0;
}
