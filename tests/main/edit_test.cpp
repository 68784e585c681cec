#include "main/edit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "main/cmpplt.h"
#include "main/picking.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

using V = std::vector<float>;

struct Series {
  std::string id;
  int32_t first;
  V values;  // working values; the measured ones are 10 times as large
};

// An aligned store with its snapshot, every series picked once in file order.
std::unique_ptr<Store> aligned(const std::vector<Series>& all) {
  auto st = std::make_unique<Store>();
  int32_t lo = 9999, hi = -9999;
  for (const auto& s : all) {
    lo = std::min(lo, s.first);
    hi = std::max(hi, s.first + static_cast<int32_t>(s.values.size()) - 1);
  }
  st->nser = static_cast<int32_t>(all.size());
  for (int32_t i = 1; i <= st->nser; ++i) {
    const Series& s = all[i - 1];
    st->ids[i - 1] = (s.id + "        ").substr(0, 8);
    st->iyr(i, 1) = s.first;
    st->iyr(i, 2) = s.first + static_cast<int32_t>(s.values.size()) - 1;
    for (std::size_t k = 0; k < s.values.size(); ++k) {
      st->wrk(s.first - lo + 1 + k, i) = s.values[k];
      st->raw(s.first - lo + 1 + k, i) = 10 * s.values[k];
    }
    st->iseq(i) = i;
  }
  st->iyr(st->nser + 1, 1) = lo;
  st->iyr(st->nser + 1, 2) = hi;
  return st;
}

V wrk_of(const Store& st, int32_t i) {
  V v;
  for (int32_t y = st.iyr(i, 1); y <= st.iyr(i, 2); ++y)
    v.push_back(st.wrk(y - st.iyrmin() + 1, i));
  return v;
}
V raw_of(const Store& st, int32_t i) {
  V v;
  for (int32_t y = st.iyr(i, 1); y <= st.iyr(i, 2); ++y)
    v.push_back(st.raw(y - st.iyrmin() + 1, i));
  return v;
}
V times10(V v) {
  for (float& x : v) x *= 10;
  return v;
}

class Edit : public ::testing::Test {
 protected:
  PostedEdit edit;
  int32_t nsel = 0;

  // Posts an edit as the comparison loop posts it: menu letter, year typed, side answer,
  // the pick it was made on, the picks of the pass, and for a merge its earlier year.
  void post(char op, int32_t year, char side, int32_t pick, int32_t picks,
            int32_t merged = no_edit) {
    const RingOp o = ring_op_of(op).value_or(RingOp::insert);
    edit = PostedEdit{RingEdit{o, o == RingOp::merge ? merged : year, side_of(side)}, pick, year};
    nsel = picks;
  }
  EditCarry carry(Store& st) const { return apply_edit(st, nsel, edit); }
};

TEST_F(Edit, InsertBeforeAtFirstYearGrowsTheAxis) {
  auto st = aligned({{"A", 1900, {1, 2, 3}}, {"B", 1901, {4, 5}}});
  post('I', 1900, 'B', 1, 2);
  ASSERT_EQ(carry(*st), EditCarry::carried);
  EXPECT_EQ(st->iyrmin(), 1899);
  EXPECT_EQ(st->iyrmax(), 1902);
  EXPECT_EQ(st->iyr(1, 1), 1899);
  EXPECT_EQ(st->iyr(1, 2), 1902);
  EXPECT_EQ(wrk_of(*st, 1), (V{0, 1, 2, 3}));
  EXPECT_EQ(raw_of(*st, 1), (V{0, 10, 20, 30}));
  // The other series keeps its calendar years on the grown axis.
  EXPECT_EQ(st->iyr(2, 1), 1901);
  EXPECT_EQ(wrk_of(*st, 2), (V{4, 5}));
  EXPECT_EQ(raw_of(*st, 2), (V{40, 50}));
  EXPECT_EQ(st->wrk(1, 2), rmiss);
  EXPECT_EQ(st->wrk(2, 2), rmiss);
}

TEST_F(Edit, InsertSides) {
  struct Case {
    char side;
    int32_t year, first, last;
    V vals;
  };
  for (const Case& c :
       {Case{'a', 1900, 1900, 1903, {0, 1, 2, 3}}, Case{'A', 1902, 1900, 1903, {1, 2, 0, 3}},
        Case{'B', 1901, 1899, 1902, {1, 0, 2, 3}}, Case{' ', 1901, 1900, 1902, {1, 0, 2}}}) {
    auto st = aligned({{"X", 1890, {9}}, {"A", 1900, {1, 2, 3}}});
    post('i', c.year, c.side, 2, 2);
    ASSERT_EQ(carry(*st), EditCarry::carried) << c.side << c.year;
    EXPECT_EQ(st->iyr(2, 1), c.first) << c.side << c.year;
    EXPECT_EQ(st->iyr(2, 2), c.last) << c.side << c.year;
    EXPECT_EQ(wrk_of(*st, 2), c.vals) << c.side << c.year;
    EXPECT_EQ(raw_of(*st, 2), times10(c.vals)) << c.side << c.year;
    EXPECT_EQ(st->iyrmin(), 1890);
    EXPECT_EQ(st->iyrmax(), std::max(1902, c.last));
  }
}

TEST_F(Edit, DeleteAndMergeSides) {
  struct Case {
    char op, side;
    int32_t year, merged, first, last;
    V vals;
    int32_t marked;  // year left without a value, or 0
  };
  for (const Case& c : {Case{'D', ' ', 1901, no_edit, 1900, 1903, {1, 3, 4, 4}, 0},
                        Case{'d', 'B', 1901, no_edit, 1901, 1903, {1, 3, 4}, 1900},
                        Case{'D', 'a', 1903, no_edit, 1900, 1902, {1, 2, 3}, 1903},
                        Case{'M', 'B', 1902, 1901, 1901, 1903, {1, 5, 4}, 1900},
                        Case{'m', 'A', 1901, 1901, 1900, 1902, {1, 5, 4}, 1903}}) {
    auto st = aligned({{"A", 1900, {1, 2, 3, 4}}});
    post(c.op, c.year, c.side, 1, 1, c.merged);
    ASSERT_EQ(carry(*st), EditCarry::carried) << c.op << c.side;
    EXPECT_EQ(st->iyr(1, 1), c.first) << c.op << c.side;
    EXPECT_EQ(st->iyr(1, 2), c.last) << c.op << c.side;
    EXPECT_EQ(wrk_of(*st, 1), c.vals) << c.op << c.side;
    EXPECT_EQ(raw_of(*st, 1), times10(c.vals)) << c.op << c.side;
    if (c.marked) {
      EXPECT_EQ(st->wrk(c.marked - 1899, 1), rmiss);
      EXPECT_EQ(st->raw(c.marked - 1899, 1), rmiss);
    }
  }
}

TEST_F(Edit, DuplicateIdentifiersReachThePickedSeries) {
  auto st = aligned({{"SAME", 1900, {1, 2}}, {"SAME", 1900, {3, 4}}});
  st->iseq(1) = 2;  // the second series of the file was picked first
  st->iseq(2) = 1;
  post('D', 1900, 'A', 1, 2);
  ASSERT_EQ(carry(*st), EditCarry::carried);
  EXPECT_EQ(wrk_of(*st, 1), (V{1, 2}));
  EXPECT_EQ(wrk_of(*st, 2), (V{4}));
}

TEST_F(Edit, RefusedEditsChangeNothing) {
  auto full = [] {  // a 2000-year axis
    return aligned({{"A", 1, V(10, 1.0f)}, {"Z", 1991, V(10, 2.0f)}});
  };
  struct Case {
    const char* what;
    char op;
    int32_t year;
    char side;
    int32_t edsel, nsel, merged;
  };
  for (const Case& c : {Case{"year before the series", 'I', 0, 'A', 1, 2, no_edit},
                        Case{"year after the series", 'D', 11, ' ', 1, 2, no_edit},
                        Case{"front growth on a full axis", 'I', 1, 'B', 1, 2, no_edit},
                        Case{"past the last row", 'I', 2000, 'a', 2, 2, no_edit},
                        Case{"position outside the pass", 'I', 5, 'A', 3, 2, no_edit},
                        Case{"merge without its earlier year", 'M', 5, 'A', 1, 2, no_edit},
                        Case{"merge past the series end", 'M', 10, 'A', 1, 2, 10},
                        Case{"no pick", 'I', 5, 'A', 0, 2, no_edit}}) {
    auto st = full();
    post(c.op, c.year, c.side, c.edsel, c.nsel, c.merged);
    EXPECT_EQ(carry(*st), EditCarry::refused) << c.what;
    auto fresh = full();
    EXPECT_EQ(st->iyrmin(), 1) << c.what;
    EXPECT_EQ(st->iyrmax(), 2000) << c.what;
    for (int32_t i = 1; i <= 2; ++i) {
      EXPECT_EQ(st->iyr(i, 1), fresh->iyr(i, 1)) << c.what;
      EXPECT_EQ(st->iyr(i, 2), fresh->iyr(i, 2)) << c.what;
      EXPECT_EQ(wrk_of(*st, i), wrk_of(*fresh, i)) << c.what;
    }
  }
  // A store with one free row still takes the front growth.
  auto st = aligned({{"A", 2, V(10, 1.0f)}, {"Z", 1991, V(10, 2.0f)}});
  post('I', 2, 'B', 1, 2);
  ASSERT_EQ(carry(*st), EditCarry::carried);
  EXPECT_EQ(st->iyrmin(), 1);
  EXPECT_EQ(st->wrk(mxyr, 2), 2.0f);
}

// The comparison loop and the store together: the edit seen on the plot reaches the
// store series that was picked.
TEST_F(Edit, MergeFromTheLoopReachesTheStore) {
  auto st = aligned({{"SAME", 1900, {1, 2, 3}}, {"SAME", 1899, {4, 5, 6, 7}}});
  auto t = std::make_unique<Tsi1>();
  PickPass pass;
  begin_pass(*t, pass);
  ASSERT_TRUE(add_pick(*st, *t, pass, 1));
  ASSERT_TRUE(add_pick(*st, *t, pass, 2));
  close_pass(*st, *t, pass);

  testing_support::ScriptConsole con({"m", "2", "1901", "1900", "b"});
  testing_support::MemoryFileSystem fs;
  recio::Session session(con, fs);
  NullDrawer drawer;
  Cmpplt cmpplt(session, drawer);
  const Comparison end = cmpplt(*t, "abc", "DATA FILE", "YEARS", "MILLIMETERS");
  ASSERT_EQ(end.outcome, CompareOutcome::edit_posted);
  ASSERT_TRUE(end.edit);
  EXPECT_EQ(end.edit->typed_year, 1901);
  EXPECT_EQ(end.edit->pick, 2);
  ASSERT_EQ(apply_edit(*st, t->nsel, *end.edit), EditCarry::carried);
  EXPECT_EQ(st->iyr(2, 1), 1900);
  EXPECT_EQ(st->iyr(2, 2), 1902);
  EXPECT_EQ(wrk_of(*st, 2), (V{4, 11, 7}));
  EXPECT_EQ(raw_of(*st, 2), (V{40, 110, 70}));
  EXPECT_EQ(wrk_of(*st, 1), (V{1, 2, 3}));
}

}  // namespace
}  // namespace ringdate
