#include "formats/datw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "formats/datr.h"

namespace ringdate {

namespace {

// Nearest integer, halves away from zero, kept within 32 bits.
int32_t nint(float x) {
  float r = std::round(x);
  if (!(r > -2147483648.0f)) return r != r ? 0 : INT32_MIN;
  if (r >= 2147483648.0f) return INT32_MAX;
  return static_cast<int32_t>(r);
}

}  // namespace

void datw(recio::Session& session, std::string_view name, std::span<const float> vals,
          std::span<int32_t> work, int32_t n, int32_t ifyr, int iunit, std::string_view code) {
  static const recio::Layout build_header = recio::Layout::fixed("('(',I2,'F',I1,'.0)')");
  static const recio::Layout build_writer = recio::Layout::fixed("('(',I2,'I',I1,')  ')");
  static const recio::Layout header =
      recio::Layout::fixed("(I8,'=N',I8,'=I ',A,T69,I3,A,'~',1X,A)");

  // 1. Never more values than both arrays hold.
  n = std::min<int64_t>({n, static_cast<int64_t>(vals.size()), static_cast<int64_t>(work.size())});
  if (n < 1) return;
  std::size_t count = static_cast<std::size_t>(n);

  // 2.
  std::string_view name40 = name.substr(0, std::min<std::size_t>(name.size(), 40));
  int l = compact::last_nonblank(name40);

  // 3: size bound and the largest magnitude.
  float b = 1.0f;
  float big = std::fabs(vals[0]);
  std::size_t ibig = 0;
  for (std::size_t i = 0; i < count; ++i) {
    float x = vals[i];
    b = std::max({b, x, -10.0f * x});
    if (std::fabs(x) > big) {
      big = std::fabs(x);
      ibig = i;
    }
  }

  // 4: the exponent search.
  int32_t e = 16;
  float f = compact::ten_to(e);
  for (; e >= -16; --e) {
    f = compact::ten_to(e);
    if (f * b < 999999.5f) break;
  }
  if (e < -16) {
    e = -16;
    f = compact::ten_to(e);
  }

  // 5.
  for (std::size_t i = 0; i < count; ++i) work[i] = nint(vals[i] * f);

  // 6: common trailing zeros.
  int32_t d = 1000000;
  int32_t w = 1;
  for (int k = 1, dk = 10; k <= 6; ++k, dk *= 10) {
    bool all = std::all_of(work.begin(), work.begin() + n, [dk](int32_t v) { return v % dk == 0; });
    if (!all) {
      d = dk / 10;
      w = 7 - k;
      break;
    }
  }

  // 7.
  if (d >= 10)
    for (std::size_t i = 0; i < count; ++i) work[i] /= d;

  // 8: the decimal exponent of the stored integers.
  float r = work[ibig] == 0 ? 0.0f : std::fabs(big / static_cast<float>(work[ibig]));
  int32_t ex = r > 0.0f ? nint(std::log(r) * 0.4342945f) : 0;

  // 9-10.
  int32_t nn = 80 / w;
  std::string fmt = recio::write(build_header, {recio::Out(nn), recio::Out(w)}).lines.at(0);

  // 11.
  recio::Units& units = session.units();
  for (const std::string& rec :
       recio::write(header, {recio::Out(n), recio::Out(ifyr),
                             recio::Out(name40.substr(0, static_cast<std::size_t>(l))),
                             recio::Out(ex), recio::Out(fmt), recio::Out(code)})
           .lines)
    units.write_line(iunit, rec);

  // 12-13.
  recio::Layout writer =
      recio::Layout::fixed(recio::write(build_writer, {recio::Out(nn), recio::Out(w)}).lines.at(0));
  std::vector<recio::Out> items(work.begin(), work.begin() + n);
  for (const std::string& rec : recio::write(writer, items).lines) units.write_line(iunit, rec);
}

}  // namespace ringdate
