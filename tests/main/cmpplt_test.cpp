#include "main/cmpplt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

// Keeps what every drawing would have shown.
struct Drawing {
  PlotRecords rec;
  std::vector<int32_t> first, last;  // syr of the compared series at the drawing
};

class RecordingDrawer : public Drawer {
 public:
  void cmpdrw(const PlotRecords& rec, const Tsi1& t) override {
    Drawing d{rec, {}, {}};
    for (int32_t k = 1; k <= t.nsel; ++k) {
      d.first.push_back(t.syr(k, 1));
      d.last.push_back(t.syr(k, 2));
    }
    drawings.push_back(std::move(d));
  }
  void finish() override { ++finished; }
  std::vector<Drawing> drawings;
  int finished = 0;
};

// A comparison loop over hand-made picks.
class Loop : public ::testing::Test {
 protected:
  ScriptConsole con;
  MemoryFileSystem fs;
  recio::Session session{con, fs};
  RecordingDrawer drawer;
  Cmpplt cmpplt{session, drawer};
  Tsi1 t;

  Comparison last;  // what the last run returned

  // Adds a pick; then `align` places the picks on the earliest first year.
  void pick(const std::string& id, int32_t first, std::vector<float> values) {
    picks_.push_back({id, first, std::move(values)});
  }
  void align() {
    int32_t r0 = 9999, lmax = -9999;
    for (const auto& p : picks_) {
      r0 = std::min(r0, p.first);
      lmax = std::max(lmax, p.first + static_cast<int32_t>(p.values.size()) - 1);
    }
    t.nsel = static_cast<int32_t>(picks_.size());
    for (int32_t k = 1; k <= t.nsel; ++k) {
      const auto& p = picks_[k - 1];
      t.sid[k - 1] = (p.id + "        ").substr(0, 8);
      t.syr(k, 1) = p.first;
      t.syr(k, 2) = p.first + static_cast<int32_t>(p.values.size()) - 1;
      for (std::size_t j = 0; j < p.values.size(); ++j)
        t.sel(p.first - r0 + 1 + j, k) = p.values[j];
    }
    t.syr(t.nsel + 1, 1) = r0;
    t.syr(t.nsel + 1, 2) = lmax;
  }
  CompareOutcome run(const std::vector<std::string>& answers) {
    for (const auto& a : answers) con.add(a);
    last = cmpplt(t, "abc", "DATA FILE", "YEARS", "MILLIMETERS");
    return last.outcome;
  }
  // Values of compared series k over its span, rows relative to R0.
  std::vector<float> values(int32_t k) const {
    std::vector<float> v;
    for (int32_t y = t.syr(k, 1); y <= t.syr(k, 2); ++y)
      v.push_back(t.sel(y - t.syr(t.nsel + 1, 1) + 1, k));
    return v;
  }
  float at(int32_t k, int32_t year) const { return t.sel(year - t.syr(t.nsel + 1, 1) + 1, k); }
  int count(const std::string& text) const {
    int c = 0;
    for (auto p = con.output.find(text); p != std::string::npos; p = con.output.find(text, p + 1))
      ++c;
    return c;
  }

 private:
  struct Pick {
    std::string id;
    int32_t first;
    std::vector<float> values;
  };
  std::vector<Pick> picks_;
};

using V = std::vector<float>;

std::string col(std::string s, std::size_t column, const std::string& text) {
  s.resize(column - 1, ' ');
  return s + text;
}

TEST_F(Loop, MenuRecordsAndLeavingWithNoEdit) {
  pick("AAA01", 1900, {1, 2, 3});
  align();
  EXPECT_EQ(run({"x"}), CompareOutcome::no_edit_pending);
  const std::string menu = std::string("\n So, like enter your option already:\n") +
                           col("  S[H]ift series left or right", 40, "H") + "\n" +
                           col("   [Z]oom in to problem interval", 40, "Z") + "\n" +
                           col("   [R]e-scale series", 40, "R") + "\n" +
                           col("   [U]nzoom back to full series", 40, "U") + "\n" +
                           col("   [I]nsert a missing ring", 40, "I") + "\n" +
                           col("   [D]elete an extra ring", 40, "D") + "\n" +
                           col(col("   [Q]uit this stuff, okay?", 40, "Q"), 45, "==> ");
  EXPECT_NE(con.output.find(menu), std::string::npos) << con.output;
  EXPECT_FALSE(last.edit);
  EXPECT_EQ(drawer.drawings.size(), 1u);
  EXPECT_EQ(drawer.finished, 1);
}

TEST_F(Loop, EmptyAnswerLeavesAndPlotRecordsAreBuilt) {
  pick("AAA01", 1900, {0.5f, 2.0f, 1.5f});
  pick("BBB02", 1902, {0.8f, 3.0f});
  align();
  run({""});
  ASSERT_EQ(drawer.drawings.size(), 1u);
  const PlotRecords& r = drawer.drawings[0].rec;
  EXPECT_EQ(r.thedata.xfrom, 1900.0f);
  EXPECT_EQ(r.thedata.xto, 1903.0f);
  EXPECT_EQ(r.thedata.ndraw, 2);
  EXPECT_EQ(r.thedata.yr0, 1900);
  EXPECT_FLOAT_EQ(r.thedata.yfrom, 0.5f);
  EXPECT_FLOAT_EQ(r.thedata.yto, 3.0f);
  EXPECT_EQ(r.theinput.drawn.at(1).first, 1902);
  EXPECT_EQ(r.theinput.drawn.at(1).last, 1903);
  EXPECT_EQ(r.thenames.xlab, col("", 11, "YEARS") + std::string(45, ' '));
  EXPECT_EQ(r.thenames.ylab, "MILLIMETERS" + std::string(49, ' '));
  EXPECT_EQ(r.thenames.toplab, col("", 10, "abc DATA FILE") + std::string(58, ' '));
  EXPECT_EQ(r.thenames.stem, "abc");
  EXPECT_EQ(r.theinput.drawn.at(1).pick, 2);
  EXPECT_EQ(r.thenames.cmpnam[1], "BBB02   ");
}

TEST_F(Loop, MissingMarkInWindowGivesZeroFloor) {
  pick("AAA01", 1900, {1.0f, -9.99f, 2.0f});
  align();
  run({""});
  EXPECT_EQ(drawer.drawings[0].rec.thedata.yfrom, 0.0f);
  EXPECT_FLOAT_EQ(drawer.drawings[0].rec.thedata.yto, 2.0f);
}

TEST_F(Loop, ZoomClipsSpansAndRangeThenUnzoomRestores) {
  pick("AAA01", 1900, {9, 1, 2, 3, 9});
  pick("BBB02", 1903, {4, 5, 6});
  align();
  // 1899 is before the span and asked again, "x" is no number; then 1901..1903.
  run({"z", "1899", "x", "1901", "1903", "U", ""});
  EXPECT_EQ(count("Zoom in on the  1900  1905 period:"), 3);
  EXPECT_NE(con.output.find(col("            First year", 45, "==> ")), std::string::npos);
  EXPECT_NE(con.output.find(col("             Last year", 45, "==> ")), std::string::npos);
  ASSERT_EQ(drawer.drawings.size(), 3u);
  const PlotRecords& z = drawer.drawings[1].rec;
  EXPECT_EQ(z.thedata.xfrom, 1901.0f);
  EXPECT_EQ(z.thedata.xto, 1903.0f);
  EXPECT_EQ(z.theinput.drawn.at(0).first, 1901);
  EXPECT_EQ(z.theinput.drawn.at(0).last, 1903);
  EXPECT_EQ(z.theinput.drawn.at(1).first, 1903);
  EXPECT_EQ(z.theinput.drawn.at(1).last, 1903);
  EXPECT_FLOAT_EQ(z.thedata.yfrom, 1.0f);  // the 9s lie outside the window
  EXPECT_FLOAT_EQ(z.thedata.yto, 4.0f);
  const PlotRecords& u = drawer.drawings[2].rec;
  EXPECT_EQ(u.theinput.winfst, 1900);
  EXPECT_EQ(u.theinput.winlst, 1905);
  EXPECT_EQ(u.thedata.ndraw, 2);
  EXPECT_FLOAT_EQ(u.thedata.yto, 9.0f);
}

TEST_F(Loop, ReversedZoomWindowIsTaken) {
  pick("AAA01", 1900, {1, 2, 3, 4, 5, 6});
  align();
  run({"Zoom", "1904", "1901", ""});
  const PlotRecords& z = drawer.drawings[1].rec;
  EXPECT_EQ(z.theinput.winfst, 1904);
  EXPECT_EQ(z.theinput.winlst, 1901);
  EXPECT_EQ(z.thedata.ndraw, 1);
  EXPECT_EQ(z.theinput.drawn.at(0).first, 1904);
  EXPECT_EQ(z.theinput.drawn.at(0).last, 1901);
  EXPECT_EQ(z.thedata.yto, -9999.0f);  // an empty drawn span adds no value
}

TEST_F(Loop, ChoosingListsSeriesAndRefusesNumbersOutsideRange) {
  pick("AAA01", 1900, {1, 2, 3});
  pick("BBB02", 1900, {4, 5, 6});
  align();
  run({"r", "0", "3", "two", "2", "2", ""});
  EXPECT_NE(con.output.find("\n Enter the series sequence number to adjust:\n\n"
                            "       1  AAA01   \n       2  BBB02   \n"),
            std::string::npos)
      << con.output;
  EXPECT_EQ(count(col(" Okay, so enter the number already!", 45, "==> ")), 4);
  EXPECT_EQ(count("There is no such series: enter 1 to 2"), 2);
  EXPECT_FALSE(last.edit);  // a rescale posts no edit
  EXPECT_EQ(values(2), (V{8, 10, 12}));
  EXPECT_EQ(values(1), (V{1, 2, 3}));
}

TEST_F(Loop, RescaleDoublesEveryValueAndAsksAgainForNoNumber) {
  pick("AAA01", 1900, {1.5f, -9.99f, 3});
  align();
  run({"R", "1", "", "abc", "2", ""});
  EXPECT_EQ(count(" Enter multiplier ==> "), 3);
  EXPECT_EQ(values(1), (V{3.0f, -19.98f, 6.0f}));
  EXPECT_FALSE(last.edit);
}

TEST_F(Loop, ShiftRightAndBackRestoresSeries) {
  pick("AAA01", 1900, {1, 2, 3, 4, 5, 6});
  pick("BBB02", 1900, {1, 2, 3, 4});
  align();
  run({"h", "2", "3", "h", "2", "  -3", ""});
  EXPECT_NE(con.output.find(
                " Enter the number of years to shift\n\na POSITIVE number moves the series RIGHT\n"
                "a NEGATIVE number moves the series LEFT  ==> "),
            std::string::npos);
  ASSERT_EQ(drawer.drawings.size(), 3u);
  EXPECT_EQ(drawer.drawings[1].first[1], 1903);
  EXPECT_EQ(drawer.drawings[1].last[1], 1906);
  EXPECT_EQ(t.syr(2, 1), 1900);
  EXPECT_EQ(t.syr(2, 2), 1903);
  EXPECT_EQ(values(2), (V{1, 2, 3, 4}));
  EXPECT_EQ(at(2, 1904), rmiss);  // left behind by the shift back
  EXPECT_FALSE(last.edit);
}

TEST_F(Loop, ShiftLeavesMarksBehindAndRefusesLeavingTheAxis) {
  pick("AAA01", 1900, {1, 2, 3, 4, 5, 6});
  pick("BBB02", 1901, {1, 2, 3, 4});
  align();
  // A blank shift is 0; "ab" is no number; -2 would leave row 1; 3 moves right.
  run({"h", "2", "", "h", "2", "ab", "-2", "3", ""});
  EXPECT_EQ(count("a NEGATIVE number moves the series LEFT  ==> "), 4);
  EXPECT_EQ(count("That moves the series off the plot axis: shift by -1 to 1995"), 1);
  EXPECT_EQ(drawer.drawings[1].first[1], 1901);  // blank shift: no change
  EXPECT_EQ(t.syr(2, 1), 1904);
  EXPECT_EQ(t.syr(2, 2), 1907);
  EXPECT_EQ(values(2), (V{1, 2, 3, 4}));
  for (int32_t y = 1901; y <= 1903; ++y) EXPECT_EQ(at(2, y), rmiss);
}

TEST_F(Loop, InsertBeforeAtFirstYearOfEarliestSeriesGrowsSel) {
  pick("AAA01", 1900, {1, 2, 3});
  pick("BBB02", 1901, {7, 8});
  align();
  EXPECT_EQ(run({"I", "1", "1900", "b"}), CompareOutcome::edit_posted);
  EXPECT_NE(con.output.find(col(" Enter the year you want to INSERT", 45, "==> ")),
            std::string::npos);
  EXPECT_NE(con.output.find("\n Shift series <<== [B]efore or\n" +
                            col(" Shift series ==>> [A]fter INSERT?", 45, "==> ")),
            std::string::npos);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1900);
  EXPECT_EQ(last.edit->ring.side, Side::before);
  EXPECT_EQ(last.edit->ring.op, RingOp::insert);
  EXPECT_EQ(last.edit->pick, 1);
  EXPECT_EQ(t.syr(1, 1), 1899);
  EXPECT_EQ(t.syr(1, 2), 1902);
  EXPECT_EQ(t.syr(3, 1), 1899);
  EXPECT_EQ(values(1), (V{0, 1, 2, 3}));
  EXPECT_EQ(values(2), (V{7, 8}));        // keeps its years
  ASSERT_EQ(drawer.drawings.size(), 2u);  // drawn once with the edit, then back
  EXPECT_EQ(drawer.drawings[1].rec.thedata.yr0, 1899);
  EXPECT_EQ(drawer.finished, 1);
}

TEST_F(Loop, InsertAfterAndWithOtherSide) {
  pick("AAA01", 1900, {1, 2, 3});
  align();
  run({"i", "1", "1900", "A"});
  EXPECT_EQ(t.syr(1, 1), 1900);
  EXPECT_EQ(t.syr(1, 2), 1903);
  EXPECT_EQ(values(1), (V{0, 1, 2, 3}));

  Tsi1 fresh;
  t = fresh;
  align();
  // Any answer but A or B asks the side again, in the same words: none of them drops a ring.
  con.output.clear();
  run({"i", "1", "1901", "", "x", "b"});
  EXPECT_EQ(count("\n Shift series <<== [B]efore or\n" +
                  col(" Shift series ==>> [A]fter INSERT?", 45, "==> ")),
            3);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1901);
  EXPECT_EQ(last.edit->ring.side, Side::before);
  EXPECT_EQ(t.syr(1, 1), 1899);
  EXPECT_EQ(t.syr(1, 2), 1902);
  EXPECT_EQ(values(1), (V{1, 0, 2, 3}));
}

TEST_F(Loop, DeleteSides) {
  pick("AAA01", 1900, {1, 2, 3, 4});
  align();
  EXPECT_EQ(run({"d", "1", "1901", "", "a"}), CompareOutcome::edit_posted);
  EXPECT_NE(con.output.find(col(" Enter the year you want to DELETE", 45, "==> ")),
            std::string::npos);
  EXPECT_NE(con.output.find("\n Shift series ==>> [B]efore or\n" +
                            col(" Shift series <<== [A]fter DELETE?", 45, "==> ")),
            std::string::npos);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1901);
  EXPECT_EQ(last.edit->ring.op, RingOp::remove);
  EXPECT_EQ(count("\n Shift series ==>> [B]efore or\n" +
                  col(" Shift series <<== [A]fter DELETE?", 45, "==> ")),
            2);  // Enter asks again: no value stands twice
  EXPECT_EQ(values(1), (V{1, 3, 4}));

  struct Case {
    const char* side;
    int32_t first, last;
    V vals;
    int32_t marked;
  };
  for (const Case& c :
       {Case{"B", 1901, 1903, {1, 3, 4}, 1900}, Case{"a", 1900, 1902, {1, 3, 4}, 1903}}) {
    Tsi1 fresh;
    t = fresh;
    align();
    run({"D", "1", "1901", c.side});
    EXPECT_EQ(t.syr(1, 1), c.first) << c.side;
    EXPECT_EQ(t.syr(1, 2), c.last) << c.side;
    EXPECT_EQ(values(1), c.vals) << c.side;
    EXPECT_EQ(at(1, c.marked), rmiss) << c.side;
  }
}

TEST_F(Loop, MergeOfAdjacentYearsTypedBackwards) {
  pick("AAA01", 1899, {1, 2, 3, 4});
  align();
  // 1900 and 1902 are not adjacent: asked again from the first record.
  run({"M", "1", "1900", "1902", "1901", "1900", "a"});
  EXPECT_EQ(count(" Enter the 2 years you want to MERGE:\n"), 2);
  EXPECT_NE(con.output.find("\n Shift series ==>> [B]efore or\n" +
                            col(" Shift series <<== [A]fter MERGE?", 45, "==> ")),
            std::string::npos);
  EXPECT_EQ(last.edit->ring.op, RingOp::merge);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1900);  // the second year typed
  EXPECT_EQ(last.edit->ring.year, 1900);
  EXPECT_EQ(t.syr(1, 2), 1901);
  EXPECT_EQ(values(1), (V{1, 5, 4}));
  EXPECT_EQ(at(1, 1902), rmiss);

  Tsi1 fresh;
  t = fresh;
  align();
  EXPECT_EQ(run({"m", "1", "1901", "1900", "B"}), CompareOutcome::edit_posted);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1901);
  EXPECT_EQ(last.edit->ring.year, 1900);
  EXPECT_EQ(t.syr(1, 1), 1900);
  EXPECT_EQ(values(1), (V{1, 5, 4}));
}

TEST_F(Loop, MergeSideIsAskedUntilAOrB) {
  pick("AAA01", 1900, {1, 2, 3});
  align();
  EXPECT_EQ(run({"m", "1", "1900", "1901", "", "X", "b"}), CompareOutcome::edit_posted);
  EXPECT_EQ(count("\n Shift series ==>> [B]efore or\n" +
                  col(" Shift series <<== [A]fter MERGE?", 45, "==> ")),
            3);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1900);
  EXPECT_EQ(last.edit->ring.year, 1900);
}

TEST_F(Loop, YearsOutsideTheSeriesAreAskedAgain) {
  pick("AAA01", 1900, {1, 2, 3});
  pick("BBB02", 1890, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
  align();
  run({"i", "1", "1899", "1903", "1902", "a"});
  EXPECT_EQ(count("Year outside the series: 1900 to 1902"), 2);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1902);
  EXPECT_EQ(values(1), (V{1, 2, 0, 3}));

  Tsi1 fresh;
  t = fresh;
  align();
  con.output.clear();
  run({"m", "1", "1902", "1903", "1901", "1902", "b"});
  EXPECT_EQ(count("Year outside the series: 1900 to 1902"), 1);
  EXPECT_EQ(last.edit->ring.year, 1901);
}

TEST_F(Loop, EditsAfterAShiftKeepToTheYearsAsRead) {
  pick("AAA01", 1900, {1, 2, 3});
  align();
  run({"h", "1", "2", "d", "1", "1903", "1902", "a"});
  EXPECT_EQ(count("Year outside the series: 1902 to 1904 (as read: 1900 to 1902)"), 1);
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->typed_year, 1902);
}

TEST_F(Loop, OneRingSeriesKeepsItsRing) {
  pick("AAA01", 1900, {5});
  align();
  // "/" at the year question goes back to the edit menu without an edit.
  EXPECT_EQ(run({"m", "1", "d", "1", "1900", "b", "/", ""}), CompareOutcome::no_edit_pending);
  EXPECT_EQ(count("The series has no two years to merge"), 1);
  EXPECT_EQ(count("The series has only one ring: it cannot lose it"), 1);
  EXPECT_FALSE(last.edit);
  EXPECT_EQ(t.syr(1, 1), 1900);
  EXPECT_EQ(t.syr(1, 2), 1900);
  EXPECT_EQ(values(1), (V{5}));
}

TEST_F(Loop, InsertThatWouldOverflowTheAxisIsRefused) {
  pick("AAA01", 1, std::vector<float>(mxyr, 1.0f));
  align();
  // With no room on either side, "/" at the year question is the way back to the menu.
  EXPECT_EQ(run({"i", "1", "5", "a", "5", "B", "/", ""}), CompareOutcome::no_edit_pending);
  EXPECT_EQ(count("No room for another year: the axis holds 2000 years"), 2);
  EXPECT_FALSE(last.edit);
  EXPECT_EQ(t.syr(1, 1), 1);
  EXPECT_EQ(t.syr(1, 2), mxyr);
  EXPECT_EQ(at(1, 5), 1.0f);
}

TEST_F(Loop, DuplicateIdentifiersPostThePickedPosition) {
  pick("SAME", 1900, {1, 2});
  pick("SAME", 1900, {3, 4});
  align();
  run({"d", "2", "1900", "a"});
  ASSERT_TRUE(last.edit);
  EXPECT_EQ(last.edit->pick, 2);
  EXPECT_EQ(values(1), (V{1, 2}));
  EXPECT_EQ(values(2), (V{4}));
}

TEST_F(Loop, QuitIsReturnedWithThePlotStillUp) {
  pick("AAA01", 1900, {1, 2});
  align();
  EXPECT_EQ(run({"q"}), CompareOutcome::quit);
  // The driver says goodbye, with the plot still shown; then it finishes the plot.
  EXPECT_EQ(con.output.find("STOP"), std::string::npos);
  EXPECT_EQ(drawer.finished, 0);
  cmpplt.finish();
  EXPECT_EQ(drawer.finished, 1);
}

// The loop's changes to the compared series in its records, as words.
std::vector<std::string> edit_words(const PlotRecords& rec) {
  static const char* kinds[] = {"shift", "rescale", "ring"};
  static const char* ops[] = {"insert", "remove", "merge"};
  static const char* sides[] = {"before", "after", "keep"};
  std::vector<std::string> out;
  for (const LoopEdit& e : rec.edits) {
    std::string text =
        std::string(kinds[static_cast<int>(e.kind)]) + " " + std::to_string(e.series);
    if (e.kind == LoopEdit::Kind::shift) text += " by " + std::to_string(e.shift);
    if (e.kind == LoopEdit::Kind::ring) {
      text += std::string(" ") + ops[static_cast<int>(e.ring.op)] + " " +
              std::to_string(e.ring.year) + " " + sides[static_cast<int>(e.ring.side)];
    }
    out.push_back(text);
  }
  return out;
}

TEST_F(Loop, TheRecordsHoldEveryChangeOfTheComparisonInOrder) {
  pick("AAA01", 1900, {1, 2, 3, 4, 5});
  pick("BBB02", 1898, {1, 2, 3, 4, 5, 6, 7, 8});
  align();
  // Shift series 2 by 2, rescale series 1, zoom and unzoom (no edit), then insert at 1903 in
  // series 2, side B.
  run({"H", "2", "2", "R", "1", "2", "Z", "1900", "1902", "U", "I", "2", "1903", "B"});
  const std::vector<std::string> want = {"shift 2 by 2", "rescale 1", "ring 2 insert 1903 before"};
  EXPECT_EQ(edit_words(cmpplt.records()), want);

  // The next comparison starts with none; an edit that is refused adds none.
  Tsi1 fresh;
  t = fresh;
  pick("CCC03", 1950, {1});
  align();
  run({"M", "3", ""});
  EXPECT_TRUE(cmpplt.records().edits.empty());
}

}  // namespace
}  // namespace ringdate
