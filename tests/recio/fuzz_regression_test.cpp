// Inputs found by fuzzing the layout layer; each once broke a sanitizer check.
#include <gtest/gtest.h>

#include <string>

#include "recio/layout.h"

namespace {

// Iw.0 writes a zero as blanks only: the empty digit string must not be copied from a
// null pointer (undefined even for zero bytes).
TEST(LayoutFuzzRegression, ZeroWithNoMinimumDigitsWritesBlanks) {
  struct Case {
    const char* layout;
    int32_t value;
    const char* expect;
  };
  const Case cases[] = {
      {"(I3.0)", 0, "   "},
      {"(I1.0)", 0, " "},
      {"(2I2.0)", 0, "    "},
      {"(I3.0)", 5, "  5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    const recio::Layout l = recio::Layout::fixed(c.layout);
    const recio::Records r = recio::write(l, {recio::Out(c.value), recio::Out(c.value)});
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines[0], c.expect);
  }
}

}  // namespace
