#include "xdate/location.h"

namespace ringdate::xdate {

std::optional<Suggestion> Locator::operator()(Filter&, const SeriesInput&, const Master&, const SeriesResult&,
                                              const SegmentGrid&, const Settings&) {
  return std::nullopt;
}

}  // namespace ringdate::xdate
