#include "formats/rinfrn.h"

#include <algorithm>

#include "formats/datr.h"

namespace ringdate {

Refused Rinfrn::operator()(std::string& id, int32_t& ifyr, int32_t& nval, std::span<float> vals,
                           std::span<int32_t> icnt, int32_t& nread, int iunit, std::string& title,
                           int32_t /*maxlen*/) {
  static const recio::Layout header = recio::Layout::fixed("(A6,2I4)");
  static const recio::Layout data = recio::Layout::fixed("((10X,10(F4.2,I3)))");
  static const recio::Layout titled = recio::Layout::fixed("(/1X,'Title of data:'/1X,A)");
  static const recio::Layout too_many =
      recio::Layout::fixed("(/1X,' *** TOO MANY READ ERRORS IN RINFRN')");
  static const recio::Layout read_error = recio::Layout::fixed(
      "(' '/' *** Error reading tree-ring data in UEA ','CRU data format: Series ',A6)");
  static const recio::Layout echo_line = recio::Layout::fixed("(1X,'Line: ',A)");

  recio::Units& units = s_->units();
  // 1.
  title.assign(title.size(), ' ');
  int texts = 0;
  std::string record;
  std::string id6(6, ' ');
  for (;;) {
    // 2: the next line; a blank one is passed over (it is no header).
    line_.assign(80, ' ');
    if (units.read_line(iunit, record) != recio::Outcome::ok) {
      nval = -999;
      nread = -999;
      return std::nullopt;
    }
    line_ = compact::line80(record);
    if (compact::last_nonblank(line_) == 0) continue;

    // 3: the header, or a text line.
    // A header holds its identifier and two years in the first 16 columns (years of five
    // columns from -9999 on): a longer line, as a Tucson decade line, is none.
    if (recio::read(header, line_, {recio::In(id6), recio::In(ifyr), recio::In(lastyr_)}) ==
            recio::Outcome::ok &&
        compact::last_nonblank(line_) <= 16)
      break;
    ++texts;
    if (texts == 1) {
      s_->write(titled, {recio::Out(line_)});
      std::size_t width = title.size();
      title.assign(line_, 0, std::min<std::size_t>(80, width));
      title.resize(width, ' ');
    } else if (texts >= 6) {
      return refusal(RefusalKind::cru_text_lines, too_many);
    }
  }

  // 4.
  id = id6 + "  ";
  int64_t span = static_cast<int64_t>(lastyr_) - ifyr + 1;  // I4 years keep this small
  nval = static_cast<int32_t>(span);
  p_ = ifyr - 10 * (ifyr >= 0 ? ifyr / 10 : -((-ifyr + 9) / 10));

  // 5 and 7: p + nval pairs; the first p belong to years before the first year, so pair
  // p + i goes straight to vals(i), icnt(i). Pairs beyond the caller's arrays are read
  // but not kept.
  int64_t pairs = std::max<int64_t>(0, p_ + span);
  items_.clear();
  for (int64_t j = 1; j <= pairs; ++j) {
    int64_t i = j - p_;
    bool vk = i >= 1 && static_cast<uint64_t>(i) <= vals.size();
    bool ck = i >= 1 && static_cast<uint64_t>(i) <= icnt.size();
    items_.emplace_back(vk ? vals[static_cast<std::size_t>(i - 1)] : vsink_);
    items_.emplace_back(ck ? icnt[static_cast<std::size_t>(i - 1)] : csink_);
  }
  if (recio::read(data, units.source(iunit), items_) != recio::Outcome::ok) {
    // 6: a bad field, or the file ending among the data lines.
    Refusal r = refusal(RefusalKind::cru_data, read_error, {recio::Out(id6)});
    units.backspace(iunit);
    if (units.read_line(iunit, record) == recio::Outcome::ok) {
      line_ = compact::line80(record);
      for (std::string& l : recio::write(echo_line, {recio::Out(line_)}).lines)
        r.records.push_back(std::move(l));
    }
    return r;
  }

  // 8.
  nread += 1;
  return std::nullopt;
}

}  // namespace ringdate
