#include "formats/refusal.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ringdate {
namespace {

// A refusal shown by the dialogue gives the same bytes as writing its layout and pausing.
TEST(Refusal, ShownAsTheLayoutWouldWriteIt) {
  static const recio::Layout msg = recio::Layout::fixed("(/1X,'*** Too many: ',A6,I4/T2,'second')");
  testing_support::ScriptConsole direct({""}), shown({""});
  testing_support::MemoryFileSystem fs;
  recio::Session a(direct, fs), b(shown, fs);
  a.write(msg, {recio::Out("ABC"), recio::Out(42)});
  a.pause(" ");
  const Refusal r = refusal(RefusalKind::cru_data, msg, {recio::Out("ABC"), recio::Out(42)});
  show(b, r);
  EXPECT_EQ(shown.output, direct.output);
  EXPECT_EQ(shown.output, "\n *** Too many:    ABC  42\n second\n \n");
  EXPECT_TRUE(shown.errors.empty());
}

TEST(Refusal, TextHoldsTheLinesThatSaySomething) {
  Refusal r{
      RefusalKind::compact_data, {"", " *** Error reading data  ", "   ", " ABC01  1900"}, " ", {}};
  EXPECT_EQ(r.text(), "*** Error reading data\nABC01  1900");
  r = Refusal{RefusalKind::no_series, {}, " *** NC .LE. 0 AFTER READING TREE-RING DATA", {}};
  EXPECT_EQ(r.text(), "*** NC .LE. 0 AFTER READING TREE-RING DATA");
  r = Refusal{RefusalKind::tucson_text_lines, {}, {}, "Sbr TRRW:  Over 25 text lines"};
  EXPECT_EQ(r.text(), "Sbr TRRW:  Over 25 text lines");
  // Nothing is shown of the error line; it belongs to the end of the program.
  testing_support::ScriptConsole con;
  testing_support::MemoryFileSystem fs;
  recio::Session s(con, fs);
  show(s, r);
  EXPECT_EQ(con.output, "");
}

TEST(Refusal, NamesAreDistinct) {
  EXPECT_EQ(refusal_name(RefusalKind::series_too_long), "series_too_long");
  EXPECT_EQ(refusal_name(RefusalKind::compact_data_end), "compact_data_end");
  EXPECT_NE(refusal_name(RefusalKind::cru_data), refusal_name(RefusalKind::compact_data));
}

}  // namespace
}  // namespace ringdate
