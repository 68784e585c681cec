#include "formats/datafile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <new>
#include <span>

#include "formats/fhstore.h"
#include "formats/format_guess.h"
#include "formats/heidelberg.h"
#include "recio/fields.h"
#include "recio/session.h"

namespace ringdate {

namespace {

using recio::upper;

// Keeps what is written, reads nothing. The readers never end the program.
class CaptureConsole final : public recio::Console {
 public:
  void out(std::string_view text) override { written += text; }
  void flush() override {}
  recio::Outcome in(std::string&) override { return recio::Outcome::eof; }
  void err(std::string_view line) override {
    written += line;
    written += '\n';
  }
  [[noreturn]] void exit(int) override { std::abort(); }

  std::string written;
};

// The format the dialogue settles on from its guess when the user accepts it; empty when
// it would have to ask.
std::string settled(char guess) {
  if (guess == 'M') return "MR";
  if (guess == 'I') return "IR";
  if (guess == 'C') return "CD";
  if (guess == 'H') return "FH";
  return {};
}

}  // namespace

void fit_work_areas(Store& store) { store.iseq.resize(store.wrk.cols()); }

bool align(Store& store) {
  const int32_t iyrmin = store.iyrmin();
  const auto rows = static_cast<int64_t>(store.wrk.rows());
  if (store.nser < 1 || static_cast<std::size_t>(store.nser) > store.wrk.cols()) return false;
  if (static_cast<int64_t>(store.iyrmax()) - iyrmin + 1 > rows) return false;
  for (int32_t i = 1; i <= store.nser; ++i) {
    const int32_t n = store.iyr(i, 2) - store.iyr(i, 1) + 1;
    const int32_t d = store.iyr(i, 1) - iyrmin;
    if (n < 0 || d < 0 || int64_t{n} + d > rows) return false;
  }
  for (int32_t i = 1; i <= store.nser; ++i) {
    const int32_t n = store.iyr(i, 2) - store.iyr(i, 1) + 1;
    const int32_t d = store.iyr(i, 1) - iyrmin;
    if (d == 0) continue;
    // From the last value backwards, so that the move is safe in place (n + d <= rows above).
    const auto col = store.wrk.column(static_cast<std::size_t>(i));
    std::copy_backward(col.begin(), col.begin() + n, col.begin() + n + d);
    std::fill(col.begin(), col.begin() + d, rmiss);
  }
  store.changed();
  return true;
}

void snapshot(Store& store) {
  store.raw = store.wrk;
  store.changed();
}

Refused load_store(Trread& trread, Store& store) {
  store.changed();  // the reader fills the series, also when it refuses the file
  // The reader's buffer for one series, zeros: from calloc, which hands out fresh memory
  // without writing it, so that only the pages the longest series reaches are touched.
  const std::size_t years = static_cast<std::size_t>(max_span_years);
  const std::unique_ptr<float, decltype(&std::free)> series(
      static_cast<float*>(std::calloc(years, sizeof(float))), &std::free);
  if (!series) throw std::bad_alloc();
  if (Refused r = trread(store.wrk, std::span<float>(series.get(), years), store.mode, store.nser,
                         store.iyr, store.ids, max_span_years, INT32_MAX))
    return r;
  fit_work_areas(store);
  // The reader shapes the store for the overall span; should it not, nothing is moved past
  // the store's rows.
  if (!align(store))
    return Refusal{RefusalKind::span_too_wide,
                   {},
                   " *** Series read in span more years than the store holds",
                   {}};
  snapshot(store);
  return std::nullopt;
}

DataFileReading read_data_file(const std::string& path, std::string_view format, Store& store,
                               recio::FileSystem& fs) {
  DataFileReading out;
  std::string mode = upper(format);
  if (!mode.empty() && mode != "MR" && mode != "IR" && mode != "CR" && mode != "CD" &&
      mode != "FH") {
    out.result = DataFileResult::unknown_format;
    return out;
  }
  CaptureConsole console;
  auto session = std::make_unique<recio::Session>(console, fs);
  recio::Units& units = session->units();
  if (!units.open(10, path, recio::Status::old)) {
    out.result = DataFileResult::not_found;
    return out;
  }
  if (mode.empty()) {
    Qforma qforma(*session);
    char guess = ' ';
    qforma(10, guess);
    units.rewind(10);
    mode = settled(guess);
    out.guessed = true;
    if (mode.empty()) {
      units.close(10);
      out.result = DataFileResult::cannot_settle;
      return out;
    }
  }
  if (mode == "FH") {
    units.close(10);
    out.mode = mode;
    const std::optional<std::string> text = fs.read_file(path);
    fh::Reading got = text ? fh::read(*text) : fh::Reading{};
    if (!text) {
      out.result = DataFileResult::not_found;
      return out;
    }
    store.fname = path.size() < 40 ? path + std::string(40 - path.size(), ' ') : path;
    out.refusal = got.refusal ? std::move(got.refusal) : load_heidelberg(got.series, store);
    out.result = out.refusal ? DataFileResult::refused : DataFileResult::read;
    return out;
  }
  out.mode = mode;

  store.fname = path.size() < 40 ? path + std::string(40 - path.size(), ' ') : path;
  store.mode = mode;
  auto trread = std::make_unique<Trread>(*session);
  out.refusal = load_store(*trread, store);
  units.close(10);
  out.result = out.refusal ? DataFileResult::refused : DataFileResult::read;
  out.console = std::move(console.written);
  return out;
}

}  // namespace ringdate
