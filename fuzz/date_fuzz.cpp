// The dating of samples against a reference, both made from the input: the first bytes set
// the number of reference series and samples and the overlap, then each series takes a
// length, a first year and one byte per ring (a few byte values stand for a zero ring, a
// negative value or a repeat of the last ring). No crash, no NaN in a listed statistic, every
// p in [0, 1], a dated sample only with a position; the report and the table are written.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

#include "xdate/dating.h"
#include "xdate/dating_report.h"

namespace {

using namespace ringdate::xdate;

class Bytes {
 public:
  Bytes(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
  bool done() const { return at_ >= size_; }

 private:
  const uint8_t* data_;
  std::size_t size_, at_ = 0;
};

SeriesInput series_of(Bytes& b, int k) {
  SeriesInput s;
  s.id = "S" + std::to_string(k);
  const int len = b.next() | ((b.next() & 0x03) << 8);  // 0..1023 rings
  s.first = 1000 + (b.next() | ((b.next() & 0x01) << 8));
  double last = 1.0;
  for (int i = 0; i < len && !b.done(); ++i) {
    const uint8_t v = b.next();
    if (v == 255) {
      last = -0.5;
    } else if (v == 254) {
      last = 0.0;
    } else if (v != 253) {
      last = 0.01 + v / 40.0;
    }
    s.values.push_back(last);
  }
  return s;
}

bool finite_or_absent(const Correlation& c) { return !c.valid || std::isfinite(c.r); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Bytes b(data, size);
  const int refs = b.next() % 7;         // 0..6
  const int samples = 1 + b.next() % 3;  // 1..3
  DatingSettings settings;
  settings.overlap = 10 + b.next() % 80;
  settings.top = 1 + b.next() % 6;
  std::vector<SeriesInput> reference, sample;
  for (int k = 0; k < refs; ++k) reference.push_back(series_of(b, k));
  for (int k = 0; k < samples; ++k) sample.push_back(series_of(b, 10 + k));
  const DatingRun run = date_samples(sample, reference, settings);
  if (run.samples.size() != sample.size()) __builtin_trap();
  for (const SampleDating& d : run.samples) {
    if (d.dated() && d.ranked.empty()) __builtin_trap();
    if (d.ranked.size() > static_cast<std::size_t>(settings.top)) __builtin_trap();
    if (d.positions != static_cast<int32_t>(d.curve.size())) __builtin_trap();
    if (!d.all.empty()) __builtin_trap();  // a run keeps the curve only
    if (!std::isfinite(d.mean) || !(d.sd > 0.0) || !std::isfinite(d.sd)) {
      if (d.positions > 0) __builtin_trap();
    }
    for (const Position& p : d.ranked) {
      if (!(p.p >= 0.0 && p.p <= 1.0)) __builtin_trap();
      if (!(p.p_score >= 0.0 && p.p_score <= 1.0)) __builtin_trap();
      if (!(p.p_member >= 0.0 && p.p_member <= 1.0)) __builtin_trap();
      if (p.member >= 0 && (!std::isfinite(p.member_t) || p.member_r.n < settings.overlap))
        __builtin_trap();
      if (p.member >= static_cast<int32_t>(reference.size())) __builtin_trap();
      if (!std::isfinite(p.score) || !std::isfinite(p.z)) __builtin_trap();
      if (!finite_or_absent(p.r) || !finite_or_absent(p.bp) || !finite_or_absent(p.ho))
        __builtin_trap();
      if (p.r.n < settings.overlap) __builtin_trap();
      if (p.glk.valid() && !(p.glk.value >= 0.0 && p.glk.value <= 1.0)) __builtin_trap();
    }
    for (const SampleDating::CurvePoint& p : d.curve) {
      if (!std::isfinite(p.z)) __builtin_trap();
    }
  }
  std::ostringstream report, table;
  write_dating_report(report, DatingHeader{"s", "r", "MR", "MR", true, true}, run);
  write_datings_csv(table, run);
  if (report.str().find("nan") != std::string::npos) __builtin_trap();
  if (table.str().find("nan") != std::string::npos) __builtin_trap();
  return 0;
}
