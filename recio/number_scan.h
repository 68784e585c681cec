// The one scanner of real numbers in text, behind both fixed-field reads (F, E, D and G
// input) and free-form values, with the results a Fortran runtime gives.
#pragma once

#include <cstdint>
#include <string_view>

namespace recio {

// How a real's text is written.
enum class RealText {
  field,  // a fixed field: blanks are ignored, and a field without digits reads as zero
  value,  // a free-form value: no blanks, at least one digit
};

// Scans the real in `t`. Digits typed without a decimal point have `implied` decimals (a
// field's d; 0 for free-form values). False when `t` is not a number of that kind; `v` is
// then left as it was.
bool scan_real(std::string_view t, RealText kind, int32_t implied, float& v);

}  // namespace recio
