// More layout cases: further results checked with gfortran 12.2, which layout texts
// compile, the internal-record read, free-form reads across records, and hostile input.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "recio/layout.h"
#include "recio/units.h"
#include "support/test_support.h"

namespace {

using recio::In;
using recio::Layout;
using recio::Out;
using recio::Outcome;

std::string joined(const recio::Records& r) {
  std::string s;
  for (const std::string& l : r.lines) s += "|" + l + "|";
  return s;
}

TEST(LayoutCompile, ValidAndInvalidTexts) {
  struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"(A8,I4,10I6)", true},
      {"  (a8, i4, 10i6)", true},
      {"( 1 0 F 8 . 3 )", true},
      {"(10F8.3)xyz", true},
      {"(F8.3,)", true},
      {"()", true},
      {"(I6.3)", true},
      {"(E12.4,G10.3,D9.2,E12.4E3)", true},
      {"(A,TL2,A,TR3,A)", true},
      {"(3HABC,\"q\"\"r\",I2,:)", true},
      {"('it''s',$)", true},
      {"(X,2/)", true},
      {"(10F8)", false},   // F needs .d
      {"(10F8.3", false},  // no closing parenthesis
      {"10F8.3", false},   // no opening parenthesis
      {"", false},
      {"(I)", false},  // I needs a width
      {"(T)", false},
      {"(T0)", false},
      {"(0I4)", false},  // zero repeat
      {"(A0)", false},
      {"('open)", false},    // literal never closed
      {"(5HAB)", false},     // Hollerith runs past the end
      {"(1P,F8.3)", false},  // scale factors are not supported
      {"(I4,Q)", false},
      {"(2$)", false},
      {"(99999999999I4)", false},
      {"(I99999999)", false},
      // Nesting deeper than the interpreter takes, and repeats that would never end.
      {"((((((((((((((((((((((((((((((((((I1))))))))))))))))))))))))))))))))))", false},
      {"(1000000(1000000(1000000X)))", false},
  };
  for (const auto& c : cases) EXPECT_EQ(Layout::compile(c.text).has_value(), c.valid) << c.text;
  EXPECT_THROW(Layout::fixed("(10F8)"), std::invalid_argument);
}

TEST(LayoutCompile, TextAndOpenEnd) {
  Layout p = Layout::fixed("(1X,'Seq',T45,'==> ',$)");
  EXPECT_EQ(p.text(), "(1X,'Seq',T45,'==> ',$)");
  EXPECT_TRUE(p.open_end());
  EXPECT_FALSE(Layout::fixed("(1X,A)").open_end());
  Layout copy = p;  // copies share the compiled form
  EXPECT_EQ(&copy.compiled(), &p.compiled());
}

// Writes beyond the shared case table, each checked with gfortran 12.2.
TEST(LayoutWrite, MoreGfortranCases) {
  struct {
    const char* layout;
    std::vector<Out> items;
    const char* records;
  } cases[] = {
      {"(I6.3)", {5}, "|   005|"},
      {"(I4.0)", {0}, "|    |"},
      {"(I0)", {-42}, "|-42|"},
      {"(E12.4)", {1234.5f}, "|  0.1234E+04|"},  // an exact tie: to even
      {"(E12.4)", {-0.000123f}, "| -0.1230E-03|"},
      {"(E10.3)", {0.0f}, "| 0.000E+00|"},
      {"(E8.3)", {1234.5f}, "|.123E+04|"},
      {"(G12.4)", {1234.5f}, "|   1234.    |"},
      {"(G12.4)", {0.5f}, "|  0.5000    |"},
      {"(G12.4)", {123456.0f}, "|  0.1235E+06|"},
      {"(G12.4)", {0.0f}, "|   0.000    |"},
      {"(G12.4)", {0.01f}, "|  0.1000E-01|"},
      {"(A,TL2,A,TR3,A)", {"abcd", "X", "Y"}, "|abXd  Y|"},
      {"(3HABC,\"q\"\"r\",I2,:,\"no\")", {7}, "|ABCq\"r 7|"},
      {"(F0.3)", {3.14159f}, "|3.142|"},
      {"(F0.3)", {-0.5f}, "|-.500|"},
      {"(F8.3)", {1e30f}, "|********|"},
      {"(2I3/)", {1, 2}, "|  1  2|||"},
      {"(F6.2)", {99.999f}, "|100.00|"},
      {"(F7.2)", {-99.999f}, "|-100.00|"},
      {"(F4.0)", {1e3f}, "|****|"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(joined(recio::write(Layout::fixed(c.layout), c.items)), c.records) << c.layout;
  }
}

TEST(LayoutWrite, TypeMismatchDropsTheRecord) {
  recio::Records r = recio::write(Layout::fixed("(I3/I3)"), {1, "x"});
  EXPECT_EQ(joined(r), "|  1|");  // the record before the bad item stays
  EXPECT_TRUE(recio::write(Layout::fixed("(10X)"), {1}).lines.empty());
}

TEST(LayoutWrite, DollarContinuesAcrossReversion) {
  recio::Records r = recio::write(Layout::fixed("(I3,$)"), {1, 2, 3});
  EXPECT_EQ(joined(r), "|  1  2  3|");
  EXPECT_TRUE(r.open_end);
}

// Reads beyond the shared case table, each checked with gfortran 12.2 (external records).
TEST(LayoutRead, MoreGfortranCases) {
  struct {
    const char* layout;
    const char* record;
    Outcome outcome;
    float value;
  } reals[] = {
      {"(F5.2)", "1.5E-", Outcome::error, 0},
      {"(F6.2)", "1.5E- ", Outcome::ok, 1.5f},
      {"(F6.2)", "1.5E+ 2", Outcome::ok, 1.5f},
      {"(F6.2)", "1.5E+x", Outcome::error, 0},
      {"(F6.2)", "1.5+ x", Outcome::error, 0},
      {"(F8.2)", "1.5E+2 3", Outcome::ok, 1.5e23f},
      {"(F4.2)", "1+  ", Outcome::ok, 0.01f},
      {"(F4.1)", " -E2", Outcome::ok, -0.0f},
      {"(F4.1)", "1.5d", Outcome::error, 0},
      {"(F8.3)", "  1.5  E", Outcome::error, 0},
      {"(E8.3)", "   1.5D2", Outcome::ok, 150.0f},
      {"(G8.3)", "    1500", Outcome::ok, 1.5f},
      {"(F8.3)", " nan(1)", Outcome::ok, NAN},
      {"(F9.3)", "-infinity", Outcome::ok, -INFINITY},
      {"(F4.1)", "infx", Outcome::error, 0},
      {"(F30.3)", "123456789012345678901234567", Outcome::ok, 123456789012345678901234.567f},
  };
  for (auto& c : reals) {
    float v = -7.0f;
    Outcome o = recio::read(Layout::fixed(c.layout), c.record, {v});
    EXPECT_EQ(o, c.outcome) << c.layout << " [" << c.record << "]";
    if (o != Outcome::ok) {
      EXPECT_EQ(v, -7.0f);
    } else if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(v));
    } else {
      EXPECT_EQ(v, c.value) << c.layout << " [" << c.record << "]";
      EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.record;
    }
  }
  struct {
    const char* layout;
    const char* record;
    Outcome outcome;
    int32_t a, b;
  } ints[] = {
      {"(I4.2,I1)", "  123", Outcome::ok, 12, 3},
      {"(TR2,I2,T1,I1)", "1234", Outcome::ok, 34, 1},
      {"(I4,TL2,I2)", "1234", Outcome::ok, 1234, 34},
      {"(I4,I4)", "-,12", Outcome::error, -1, -1},
      {"(2I4)", "   1,   2", Outcome::ok, 1, 0},
      {"(I2,:,I2)", "1234", Outcome::ok, 12, 34},
      {"(I2,'x',I2)", "1234", Outcome::error, 12, -1},  // a literal cannot be read
      {"(I4,I4)", " +-1", Outcome::error, -1, -1},
      {"(G4.0,I2)", "  12 3", Outcome::ok, 12, 3},
  };
  for (auto& c : ints) {
    int32_t a = -1, b = -1;
    EXPECT_EQ(recio::read(Layout::fixed(c.layout), c.record, {a, b}), c.outcome) << c.layout;
    EXPECT_EQ(a, c.a) << c.layout << " [" << c.record << "]";
    EXPECT_EQ(b, c.b) << c.layout << " [" << c.record << "]";
  }
  std::string t(5, '~');
  ASSERT_EQ(recio::read(Layout::fixed("(A3)"), "a,b,c", {t}), Outcome::ok);
  EXPECT_EQ(t, "a,b  ");  // a comma is text in an A field
}

TEST(LayoutRead, InternalRecordNeedingASecondRecordMeetsEof) {
  int32_t a = -1, b = -1;
  EXPECT_EQ(recio::read(Layout::fixed("(I4/I4)"), "   1", {a, b}), Outcome::eof);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, -1);
  a = b = -1;
  EXPECT_EQ(recio::read(Layout::fixed("(I4)"), "   1   2", {a, b}), Outcome::eof);  // reversion
  EXPECT_EQ(a, 1);
  EXPECT_EQ(recio::read(Layout::fixed("(I4)"), "", {}), Outcome::ok);
}

TEST(LayoutRead, TextFieldKeepsItsWidth) {
  std::string empty;
  std::string id(8, ' ');
  ASSERT_EQ(recio::read(Layout::fixed("(A,A)"), "abc", {empty, id}), Outcome::ok);
  EXPECT_EQ(empty, "");
  EXPECT_EQ(id, "abc     ");
}

TEST(LayoutRead, WrongItemTypeIsAnError) {
  float r = 1;
  int32_t i = 1;
  std::string s(2, 'x');
  EXPECT_EQ(recio::read(Layout::fixed("(I4)"), "   1", {r}), Outcome::error);
  EXPECT_EQ(recio::read(Layout::fixed("(F4.0)"), "   1", {i}), Outcome::error);
  EXPECT_EQ(recio::read(Layout::fixed("(A)"), "   1", {i}), Outcome::error);
  EXPECT_EQ(recio::read(Layout::fixed("(I4)"), "   1", {s}), Outcome::error);
  EXPECT_EQ(recio::read(Layout::fixed("(I0)"), "   1", {i}), Outcome::error);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(s, "xx");
}

class Lines : public recio::RecordSource {
 public:
  explicit Lines(std::vector<std::string> l) : lines_(std::move(l)) {}
  Outcome next(std::string& r) override {
    if (k_ == lines_.size()) return Outcome::eof;
    r = lines_[k_++];
    return Outcome::ok;
  }
  size_t used() const { return k_; }

 private:
  std::vector<std::string> lines_;
  size_t k_ = 0;
};

TEST(FreeRead, RealsAcrossRecords) {
  struct {
    std::vector<std::string> lines;
    size_t n;
    Outcome outcome;
    std::vector<float> values;  // -1: unchanged
    size_t used;
  } cases[] = {
      {{"1.5 2.5", "", "   ", "3.5,4.5", "LAST"}, 4, Outcome::ok, {1.5f, 2.5f, 3.5f, 4.5f}, 4},
      {{"1 2 3 4", "next"}, 2, Outcome::ok, {1, 2}, 1},  // rest of the record skipped
      {{"1,,3"}, 3, Outcome::ok, {1, -1, 3}, 1},         // null value
      {{",5"}, 2, Outcome::ok, {-1, 5}, 1},
      {{"1", ",2"}, 2, Outcome::ok, {1, 2}, 2},  // the comma after a record end separates
      {{"2*7 1.5d1"}, 3, Outcome::ok, {7, 7, 15}, 1},
      {{"2* 9"}, 3, Outcome::ok, {-1, -1, 9}, 1},
      {{"1 / 5", "6"}, 3, Outcome::ok, {1, -1, -1}, 1},
      {{"1 2"}, 3, Outcome::eof, {1, 2, -1}, 1},
      {{"1 x 3"}, 3, Outcome::error, {1, -1, -1}, 1},
      {{"98"}, 1, Outcome::ok, {98}, 1},  // no implied decimals
      {{"1e39 -Inf"}, 2, Outcome::ok, {INFINITY, -INFINITY}, 1},
  };
  for (auto& c : cases) {
    Lines src(c.lines);
    std::vector<float> v(c.n, -1.0f);
    EXPECT_EQ(recio::read_free_reals(src, v), c.outcome) << c.lines[0];
    EXPECT_EQ(v, c.values) << c.lines[0];
    EXPECT_EQ(src.used(), c.used) << c.lines[0];
  }
}

TEST(FreeRead, OneNumberFromAnAnswer) {
  EXPECT_EQ(recio::read_free_int("  1650   "), 1650);
  EXPECT_EQ(recio::read_free_int("-12,3"), -12);
  EXPECT_EQ(recio::read_free_int("0*5"), std::nullopt);
  EXPECT_EQ(recio::read_free_int("3*"), std::nullopt);
  EXPECT_EQ(recio::read_free_int("12 "), 12);
  EXPECT_EQ(recio::read_free_int("1.0"), std::nullopt);
  EXPECT_EQ(recio::read_free_real("+.5"), 0.5f);
  EXPECT_EQ(recio::read_free_real("1.5q2"), 150.0f);
  EXPECT_EQ(recio::read_free_real("1.5e+"), std::nullopt);
  EXPECT_EQ(recio::read_free_real("infinity"), INFINITY);
  EXPECT_EQ(recio::read_free_real("0.1"), 0.1f);
  EXPECT_EQ(recio::read_free_real("3.4028235e38"), 3.4028235e38f);
  EXPECT_EQ(recio::read_free_real("1.17549435e-38"), 1.17549435e-38f);
}

// Layout texts and records from a data file can be anything: nothing may crash, hang or
// touch memory outside the records (the sanitizer run checks the latter).
TEST(LayoutRobust, HostileLayoutsAndRecords) {
  std::mt19937 rng(12345);
  const std::string alphabet = "()IFAEGXTLR/$:'.,0123456789 -+H\"";
  const std::string data = " 0123456789.,+-eEdDxX\t";
  for (int k = 0; k < 20000; ++k) {
    std::string text = "(";
    int len = rng() % 16;
    for (int j = 0; j < len; ++j) text += alphabet[rng() % alphabet.size()];
    if (rng() % 2) text += ")";
    std::optional<Layout> l = Layout::compile(text);
    if (!l) continue;
    std::string rec;
    int rl = rng() % 40;
    for (int j = 0; j < rl; ++j) rec += data[rng() % data.size()];
    int32_t a = 0, b = 0;
    float r = 0;
    std::string s(3, ' ');
    recio::read(*l, rec, {a, r, s, b});
    recio::write(*l, {a, r, "text", b});
  }
  // Far positions neither allocate without bound nor overflow.
  EXPECT_EQ(recio::write(Layout::fixed("(1000(1000(65000X)),A)"), {"x"}).lines.size(), 0u);
  int32_t a = 5;
  EXPECT_EQ(recio::read(Layout::fixed("(1000(1000(65000X)),I4)"), "   1", {a}), Outcome::ok);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(recio::write(Layout::fixed("(F200.150)"), {1.0f}).lines[0].size(), 200u);
}

}  // namespace
