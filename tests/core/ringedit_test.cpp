#include "core/ringedit.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/limits.h"

namespace ringdate {
namespace {

using V = std::vector<float>;

// A small axis of `rows` rows and two planes (the second holds ten times the first), row 1
// being the year 1900; series are placed by first year and values.
struct Axis {
  explicit Axis(std::size_t rows = 10, std::size_t room = 10)
      : a(rows, 3, rmiss), b(rows, 3, rmiss), wa(room), wb(room) {}
  Axis(const Axis&) = delete;  // the axis points at the members
  Axis& operator=(const Axis&) = delete;
  Matrix<float> a, b;
  Vec<float> wa, wb;
  std::array<Matrix<float>*, 2> planes{&a, &b};
  std::array<Vec<float>*, 2> work{&wa, &wb};
  SeriesAxis axis{planes, work, 1900, 0, 0};
  std::vector<YearSpan> spans;

  void add(int32_t first, const V& v) {
    const int32_t c = static_cast<int32_t>(spans.size()) + 1;
    for (std::size_t k = 0; k < v.size(); ++k) {
      a(first - axis.origin + 1 + k, c) = v[k];
      b(first - axis.origin + 1 + k, c) = 10 * v[k];
    }
    spans.push_back({first, first + static_cast<int32_t>(v.size()) - 1});
    axis.columns = c;
    axis.rows_used = std::max(axis.rows_used, spans.back().last - axis.origin + 1);
  }
  V values(const Matrix<float>& m, int32_t c, YearSpan s) const {
    V v;
    for (int32_t y = s.first; y <= s.last; ++y) v.push_back(m(y - axis.origin + 1, c));
    return v;
  }
  std::optional<YearSpan> edit(RingOp op, int32_t year, Side side, int32_t c = 1) {
    return apply_ring_edit({op, year, side}, spans[c - 1], c, axis);
  }
};

V times10(V v) {
  for (float& x : v) x *= 10;
  return v;
}

TEST(RingEdit, AnswersAndLetters) {
  EXPECT_EQ(side_of('B'), Side::before);
  EXPECT_EQ(side_of('b'), Side::before);
  EXPECT_EQ(side_of('A'), Side::after);
  EXPECT_EQ(side_of('a'), Side::after);
  for (char c : {' ', 'x', 'K', '\0'}) EXPECT_EQ(side_of(c), Side::keep) << c;
  EXPECT_EQ(ring_op_of('i'), RingOp::insert);
  EXPECT_EQ(ring_op_of('D'), RingOp::remove);
  EXPECT_EQ(ring_op_of('m'), RingOp::merge);
  EXPECT_FALSE(ring_op_of('H'));
  EXPECT_FALSE(ring_op_of(' '));
}

TEST(RingEdit, SpansBySide) {
  const YearSpan s{1900, 1909};
  EXPECT_EQ(edited_span({RingOp::insert, 1905, Side::before}, s), (YearSpan{1899, 1909}));
  EXPECT_EQ(edited_span({RingOp::insert, 1905, Side::after}, s), (YearSpan{1900, 1910}));
  EXPECT_EQ(edited_span({RingOp::insert, 1905, Side::keep}, s), s);
  for (RingOp op : {RingOp::remove, RingOp::merge}) {
    EXPECT_EQ(edited_span({op, 1905, Side::before}, s), (YearSpan{1901, 1909}));
    EXPECT_EQ(edited_span({op, 1905, Side::after}, s), (YearSpan{1900, 1908}));
    EXPECT_EQ(edited_span({op, 1905, Side::keep}, s), s);
  }
}

TEST(RingEdit, InsertsInEveryPlaneBySide) {
  struct Case {
    Side side;
    YearSpan to;
    V values;
  };
  for (const Case& c : {Case{Side::after, {1901, 1905}, {1, 0, 2, 3, 4}},
                        Case{Side::before, {1900, 1904}, {1, 0, 2, 3, 4}},
                        Case{Side::keep, {1901, 1904}, {1, 0, 2, 3}}}) {
    Axis x;
    x.add(1901, {1, 2, 3, 4});
    x.add(1900, {9, 9});
    const auto to = x.edit(RingOp::insert, 1902, c.side);
    ASSERT_TRUE(to);
    EXPECT_EQ(*to, c.to);
    EXPECT_EQ(x.values(x.a, 1, *to), c.values);
    EXPECT_EQ(x.values(x.b, 1, *to), times10(c.values));
    EXPECT_EQ(x.values(x.a, 2, x.spans[1]), (V{9, 9}));  // other series untouched
    EXPECT_EQ(x.axis.origin, 1900);
  }
}

TEST(RingEdit, InsertBeforeTheOriginGrowsTheAxis) {
  Axis x;
  x.add(1900, {1, 2, 3});
  x.add(1902, {7, 8});
  const auto to = x.edit(RingOp::insert, 1900, Side::before);
  ASSERT_TRUE(to);
  EXPECT_EQ(*to, (YearSpan{1899, 1902}));
  EXPECT_EQ(x.axis.origin, 1899);
  EXPECT_EQ(x.axis.rows_used, 5);
  EXPECT_EQ(x.values(x.a, 1, *to), (V{0, 1, 2, 3}));
  EXPECT_EQ(x.values(x.b, 1, *to), (V{0, 10, 20, 30}));
  // Every other series keeps its years: its rows moved down by one.
  EXPECT_EQ(x.values(x.a, 2, x.spans[1]), (V{7, 8}));
  EXPECT_EQ(x.values(x.b, 2, x.spans[1]), (V{70, 80}));
  EXPECT_EQ(x.a(1, 2), rmiss);
}

TEST(RingEdit, DeleteAndMergeLeaveMissingCellsBehind) {
  {
    Axis x;
    x.add(1900, {1, 2, 3, 4});
    const auto to = x.edit(RingOp::remove, 1901, Side::before);
    ASSERT_TRUE(to);
    EXPECT_EQ(*to, (YearSpan{1901, 1903}));
    EXPECT_EQ(x.values(x.a, 1, *to), (V{1, 3, 4}));
    EXPECT_EQ(x.a(1, 1), rmiss);
    EXPECT_EQ(x.b(1, 1), rmiss);
  }
  {
    Axis x;
    x.add(1900, {1, 2, 3, 4});
    const auto to = x.edit(RingOp::merge, 1901, Side::after);
    ASSERT_TRUE(to);
    EXPECT_EQ(*to, (YearSpan{1900, 1902}));
    EXPECT_EQ(x.values(x.a, 1, *to), (V{1, 5, 4}));
    EXPECT_EQ(x.values(x.b, 1, *to), (V{10, 50, 40}));
    EXPECT_EQ(x.a(4, 1), rmiss);
  }
  {
    // Side kept: the last value stands twice.
    Axis x;
    x.add(1900, {1, 2, 3, 4});
    const auto to = x.edit(RingOp::remove, 1900, Side::keep);
    ASSERT_TRUE(to);
    EXPECT_EQ(x.values(x.a, 1, *to), (V{2, 3, 4, 4}));
  }
}

TEST(RingEdit, InsertAfterPastTheUsedRowsExtendsThem) {
  Axis x;
  x.add(1900, {1, 2});
  x.add(1900, {5, 6, 7});
  const auto to = x.edit(RingOp::insert, 1902, Side::after, 2);
  ASSERT_TRUE(to);
  EXPECT_EQ(to->last, 1903);
  EXPECT_EQ(x.axis.rows_used, 4);
  EXPECT_EQ(x.values(x.a, 2, *to), (V{5, 6, 0, 7}));
}

TEST(RingEdit, EditsThatDoNotFitChangeNothing) {
  struct Case {
    const char* what;
    RingEdit edit;
    std::size_t rows;
    int32_t first;  // the edited series has 4 values from this year; a second one 1900..1904
  };
  for (const Case& c :
       {Case{"insert before the series", {RingOp::insert, 1900, Side::after}, 10, 1901},
        Case{"delete after the series", {RingOp::remove, 1905, Side::keep}, 10, 1901},
        Case{"merge at the last year", {RingOp::merge, 1904, Side::after}, 10, 1901},
        Case{"merge before the series", {RingOp::merge, 1900, Side::after}, 10, 1901},
        Case{"insert after on a full axis", {RingOp::insert, 1903, Side::after}, 5, 1901},
        Case{"insert before the origin on a full axis",
             {RingOp::insert, 1902, Side::before},
             5,
             1900}}) {
    Axis x(c.rows);
    x.add(c.first, {1, 2, 3, 4});
    x.add(1900, {8, 8, 8, 8, 8});
    const Matrix<float> a = x.a, b = x.b;
    const YearSpan span = x.spans[0];
    EXPECT_FALSE(edit_fits(c.edit, span, 1, x.axis)) << c.what;
    EXPECT_FALSE(apply_ring_edit(c.edit, span, 1, x.axis)) << c.what;
    EXPECT_EQ(x.axis.origin, 1900) << c.what;
    for (std::size_t r = 1; r <= c.rows; ++r) {
      EXPECT_EQ(x.a(r, 1), a(r, 1)) << c.what;
      EXPECT_EQ(x.b(r, 2), b(r, 2)) << c.what;
    }
  }
  // A one-ring series cannot lose its ring by moving a side; with the span kept it can.
  Axis one;
  one.add(1900, {5});
  EXPECT_FALSE(edit_fits({RingOp::remove, 1900, Side::after}, one.spans[0], 1, one.axis));
  EXPECT_TRUE(edit_fits({RingOp::remove, 1900, Side::keep}, one.spans[0], 1, one.axis));
}

TEST(RingEdit, SeriesOffTheAxisOrTooLongForTheWorkVectorsAreRefused) {
  Axis x(10, 4);
  x.add(1900, {1, 2, 3, 4});
  const RingEdit keep{RingOp::insert, 1901, Side::keep};
  EXPECT_TRUE(edit_fits(keep, x.spans[0], 1, x.axis));
  EXPECT_FALSE(
      edit_fits({RingOp::insert, 1901, Side::after}, x.spans[0], 1, x.axis));  // no room for n + 1
  EXPECT_FALSE(edit_fits(keep, x.spans[0], 2, x.axis));                        // no such column
  EXPECT_FALSE(edit_fits(keep, {1899, 1902}, 1, x.axis));                      // before row 1
  EXPECT_FALSE(edit_fits(keep, {1900, 1904}, 1, x.axis));                      // past the used rows
  SeriesAxis odd = x.axis;
  odd.work = odd.work.first(1);  // a plane without its work vector
  EXPECT_FALSE(edit_fits(keep, x.spans[0], 1, odd));
}

}  // namespace
}  // namespace ringdate
