// The decade lines against the layout interpreter: reading every line form from random
// columns, writing every line form with random and edge items, whole random series against
// a writer built on the interpreter, and the series of every real file read as the program
// reads them.
#include "formats/decade_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>

#include "core/store.h"
#include "formats/loose_decade.h"
#include "formats/trread.h"
#include "recio/layout.h"
#include "support/test_support.h"

namespace {

using recio::Layout;
using recio::Out;

// The lines of one record write by the interpreter, each ended by '\n'.
std::string interpreted(const Layout& layout, std::span<const Out> items) {
  std::string text;
  for (const std::string& l : recio::write(layout, items).lines) text += l + "\n";
  return text;
}

std::string as_string(const recio::Text& t) { return std::string(t.data(), t.size()); }

std::string field(std::string_view id, std::size_t w) {
  std::string s(id.substr(0, std::min(w, id.size())));
  s.resize(w, ' ');
  return s;
}

// Which of the three forms a line year calls for: 0 (4 wide), 1 (5 wide) or 2 (6 wide).
int form_of(int32_t year) {
  if (year < -999 && year > -10000 && year != -1000) return 1;
  return year < -999 ? 2 : 0;
}

std::string reference_measurement_line(std::string_view id, int32_t year,
                                       std::span<const int32_t> v, std::string_view ltag) {
  static const Layout plain[] = {Layout::fixed("(A8,I4,10I6)"), Layout::fixed("(A7,I5,10I6)"),
                                 Layout::fixed("(A6,I6,10I6)")};
  static const Layout tagged[] = {Layout::fixed("(A8,I4,10I6,T75,A)"),
                                  Layout::fixed("(A7,I5,10I6,T75,A)"),
                                  Layout::fixed("(A6,I6,10I6,T75,A)")};
  const int f = form_of(year);
  const std::string idf = field(id, 8);
  std::vector<Out> items{Out(std::string_view(idf).substr(0, 8 - f)), Out(year)};
  for (int32_t x : v) items.emplace_back(x);
  if (v.size() == 10) items.emplace_back(ltag);
  return interpreted(v.size() == 10 ? tagged[f] : plain[f], items);
}

std::string reference_index_line(std::string_view id, int32_t year,
                                 const std::array<int32_t, 10>& v, const std::array<int32_t, 10>& c,
                                 std::string_view ltag) {
  static const Layout forms[] = {Layout::fixed("(A6,I4,10(I4,I3),2X,A)"),
                                 Layout::fixed("(A5,I5,10(I4,I3),2X,A)"),
                                 Layout::fixed("(A4,I6,10(I4,I3),2X,A)")};
  const int f = form_of(year);
  const std::string idf = field(id, 8);
  std::vector<Out> items{Out(std::string_view(idf).substr(0, 6 - f)), Out(year)};
  for (std::size_t i = 0; i < 10; ++i) {
    items.emplace_back(v[i]);
    items.emplace_back(c[i]);
  }
  items.emplace_back(ltag);
  return interpreted(forms[f], items);
}

std::string reference_cru_header(std::string_view id, int32_t first, int32_t last) {
  static const Layout h4 = Layout::fixed("(A6,2I4)"), h5 = Layout::fixed("(A6,2I5)");
  const std::string idf = field(id, 8);
  const Out items[] = {Out(std::string_view(idf).substr(0, 6)), Out(first), Out(last)};
  return interpreted((first <= -1000 || last <= -1000) ? h5 : h4, items);
}

int32_t reference_scaled(float x, float scale) {
  const float p = x * scale;
  if (std::isnan(p)) return 0;
  if (p >= 2.0e9f) return 2000000000;
  if (p <= -2.0e9f) return -2000000000;
  return static_cast<int32_t>(std::lround(p));
}

// The series writers as the interpreter-based writer had them: the same decade rules, every
// line written through a layout.
std::string reference_measurement_series(std::string_view id, int32_t ifyr, int32_t nval,
                                         std::span<const float> vals, std::string_view ltag) {
  std::string out;
  if (nval <= 0) return out;
  const std::size_t nv = std::min(static_cast<std::size_t>(nval), vals.size());
  int32_t lyr = ifyr, k = 0, n = ringdate::first_line_count(ifyr);
  std::array<int32_t, 10> iv{};
  for (;;) {
    bool finished = false;
    for (int32_t i = 1; i <= n; ++i) {
      ++k;
      if (k > nval || static_cast<std::size_t>(k) > nv) {
        iv[i - 1] = -9999;
        n = i;
        finished = true;
        break;
      }
      const int32_t v = reference_scaled(vals[k - 1], 1000.0f);
      iv[i - 1] = v == 999 ? 1000 : v;
    }
    out += reference_measurement_line(
        id, lyr, std::span<const int32_t>(iv.data(), static_cast<std::size_t>(n)), ltag);
    if (finished) return out;
    lyr += n;
    n = 10;
  }
}

std::string reference_index_series(std::string_view id, int32_t ifyr, int32_t nval,
                                   std::span<const float> vals, std::span<const int32_t> icnt,
                                   std::string_view ltag, bool cru) {
  std::string out;
  if (nval <= 0) return out;
  const float scale = cru ? 100.0f : 1000.0f;
  const std::size_t nv = std::min(static_cast<std::size_t>(nval), vals.size());
  const bool ones = icnt.empty() || icnt[0] <= 0;
  if (cru) out += reference_cru_header(id, ifyr, ifyr + nval - 1);
  int32_t s = ifyr >= 0 ? ifyr % 10 + 1 : (std::abs(ifyr % 10) == 0 ? 1 : 11 - std::abs(ifyr % 10));
  int32_t lyr = ifyr, k = 0;
  std::array<int32_t, 10> iv{}, ic{};
  for (;;) {
    if (cru && k == nval) return out;
    iv.fill(9990);
    ic.fill(0);
    bool finished = false;
    for (int32_t i = s; i <= 10; ++i) {
      ++k;
      if (k > nval || static_cast<std::size_t>(k) > nv) {
        finished = true;
        break;
      }
      // A year without a value keeps the fill pair (the interpreter would write asterisks).
      if (!cru && vals[k - 1] == ringdate::rmiss) continue;
      iv[i - 1] = reference_scaled(vals[k - 1], scale);
      ic[i - 1] = (ones || static_cast<std::size_t>(k) > icnt.size()) ? 1 : icnt[k - 1];
    }
    out += reference_index_line(id, lyr, iv, ic, ltag);
    if (finished) return out;
    lyr = lyr - s + 11;
    s = 1;
  }
}

// Random items, with the edges drawn often: field overflows both ways, the year forms'
// borders, the 32-bit extremes.
struct Draw {
  std::mt19937 rng{20261208u};
  int32_t pick(std::initializer_list<int32_t> edges, int32_t lo, int32_t hi) {
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
      return *(edges.begin() +
               std::uniform_int_distribution<std::size_t>(0, edges.size() - 1)(rng));
    }
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  }
  int32_t year() {
    return pick({0,
                 9,
                 10,
                 -1,
                 -5,
                 -10,
                 -999,
                 -1000,
                 -1001,
                 -9999,
                 -10000,
                 -10001,
                 -99999,
                 -100000,
                 9999,
                 10000,
                 99999,
                 100000,
                 123456789,
                 std::numeric_limits<int32_t>::min(),
                 std::numeric_limits<int32_t>::max()},
                -12000, 12000);
  }
  int32_t value() {
    return pick(
        {0, 999, 1000, -9999, 9990, 99999, 100000, 999999, 1000000, -99999, -100000, 2000000000,
         -2000000000, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
        -20000, 20000);
  }
  int32_t count() { return pick({0, 1, 99, 999, 1000, -1, -99, -100}, -5, 150); }
  std::string id() {
    static const char chars[] = "ABCXYZ0129 -_*#abc";
    std::string s;
    const int n = std::uniform_int_distribution<int>(0, 10)(rng);
    for (int k = 0; k < n; ++k)
      s += chars[std::uniform_int_distribution<std::size_t>(0, sizeof chars - 2)(rng)];
    return s;
  }
  std::string tag() {
    static const char* const tags[] = {"   ", "", "A", "TAG", "LONGTAG"};
    return tags[std::uniform_int_distribution<int>(0, 4)(rng)];
  }
  // Millimetres or indices, with the awkward ones: rmiss, 999 thousandths, halves of a
  // thousandth, negatives, values beyond any field, infinities and NaN.
  float real() {
    switch (std::uniform_int_distribution<int>(0, 12)(rng)) {
      case 0:
        return ringdate::rmiss;
      case 1:
        return 0.999f;
      case 2:
        return static_cast<float>(std::uniform_int_distribution<int>(-4000, 4000)(rng)) * 0.001f +
               0.0005f;
      case 3:
        return -std::uniform_real_distribution<float>(0.0f, 50.0f)(rng);
      case 4:
        return std::uniform_real_distribution<float>(1e3f, 1e8f)(rng);
      case 5:
        return std::numeric_limits<float>::quiet_NaN();
      case 6:
        return std::numeric_limits<float>::infinity();
      case 7:
        return 9.99f;
      case 8:
        return 0.0f;
      default:
        return std::uniform_real_distribution<float>(0.0f, 4.0f)(rng);
    }
  }
};

// A line of 80 columns whose numeric fields are mostly numbers as files hold them, now and
// then with what only the interpreter may judge: commas, letters, tabs, lone or late signs,
// blanks inside a number.
std::string random_line(std::mt19937& rng) {
  static const char odd[] = " ,x\t+-.9";
  std::string line(80, ' ');
  auto roll = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (char& c : line) c = static_cast<char>('A' + roll(26));  // identifiers and text
  for (std::size_t at = 4; at < 80; ++at) {
    const int r = roll(10);
    line[at] = r < 4 ? ' ' : r < 9 ? static_cast<char>('0' + roll(10)) : odd[roll(sizeof odd - 1)];
  }
  // Signs where numbers start, and whole blank fields.
  for (int k = 0; k < 6; ++k) line[static_cast<std::size_t>(4 + roll(76))] = roll(2) ? '-' : ' ';
  if (roll(4) == 0) {
    const auto at = line.begin() + 12 + 6 * roll(10);
    std::fill(at, at + 6, ' ');
  }
  if (roll(8) == 0) line.resize(static_cast<std::size_t>(roll(80)));  // a short record
  return line;
}

TEST(DecadeReader, LinesReadAsTheInterpreterReadsThem) {
  static const Layout meas[] = {Layout::fixed("(A8,I4,10I6)"), Layout::fixed("(A7,I5,10I6)"),
                                Layout::fixed("(A6,I6,10I6)")};
  static const Layout index[] = {Layout::fixed("(A6,T7,I4,10(I4,I3))"),
                                 Layout::fixed("(A5,T6,I5,10(I4,I3))"),
                                 Layout::fixed("(A4,T5,I6,10(I4,I3))")};
  std::mt19937 rng(777);
  int fast = 0;
  for (int round = 0; round < 30000; ++round) {
    std::string line = random_line(rng);
    if (round % 3 == 0) {  // a well-formed line now and then
      line = std::string(80, ' ');
      for (int i = 0; i < 12; ++i)
        line[static_cast<std::size_t>(12 + 6 * (round % 10) + i % 6)] =
            static_cast<char>('0' + i % 10);
    }
    const int yw = 4 + round % 3;
    SCOPED_TRACE("'" + line + "' year width " + std::to_string(yw));
    // Both start from the same leftovers: fields a failed read does not reach keep them.
    std::string id_a(8, '?'), id_b(8, '?');
    int32_t year_a = -7, year_b = -7;
    std::array<int32_t, 10> v_a, v_b, c_a, c_b;
    v_a.fill(-3);
    v_b.fill(-3);
    c_a.fill(-4);
    c_b.fill(-4);
    const recio::Outcome got = ringdate::read_measurement_line(line, yw, id_a, year_a, v_a);
    const recio::In items[] = {id_b,   year_b, v_b[0], v_b[1], v_b[2], v_b[3],
                               v_b[4], v_b[5], v_b[6], v_b[7], v_b[8], v_b[9]};
    ASSERT_EQ(got, recio::read(meas[yw - 4], line, items));
    ASSERT_EQ(id_a, id_b);
    ASSERT_EQ(year_a, year_b);
    ASSERT_EQ(v_a, v_b);
    fast += got == recio::Outcome::ok;

    const recio::Outcome igot = ringdate::read_index_line(line, yw, id_a, year_a, v_a, c_a);
    const recio::In iitems[] = {id_b,   year_b, v_b[0], c_b[0], v_b[1], c_b[1], v_b[2], c_b[2],
                                v_b[3], c_b[3], v_b[4], c_b[4], v_b[5], c_b[5], v_b[6], c_b[6],
                                v_b[7], c_b[7], v_b[8], c_b[8], v_b[9], c_b[9]};
    ASSERT_EQ(igot, recio::read(index[yw - 4], line, iitems));
    ASSERT_EQ(id_a, id_b);
    ASSERT_EQ(year_a, year_b);
    ASSERT_EQ(v_a, v_b);
    ASSERT_EQ(c_a, c_b);
  }
  EXPECT_GT(fast, 5000);  // the random lines reach both outcomes
}

// What the reading reports of the value fields is what they hold: blank fields are those of
// blanks (or tabs) only, and a line it calls plain is one whose fields do not stray off the
// fixed columns. Lines: random ones, and decade lines of values from 0 to 6 digits, blank
// fields and a stray character now and then.
TEST(DecadeReader, WhatTheReadingSawOfTheValueFieldsIsWhatTheyHold) {
  std::mt19937 rng(4242);
  auto roll = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  int seen = 0, plain = 0, blanks = 0;
  for (int round = 0; round < 40000; ++round) {
    std::string line = random_line(rng);
    if (round % 2 == 0) {
      line = "ABC12345" + std::to_string(1000 + roll(9000));
      for (int v = 0; v < 10; ++v) {
        const int digits = roll(8) == 0 ? 0 : roll(8) == 0 ? 6 : 1 + roll(5);
        std::string x;
        for (int d = 0; d < digits; ++d) x += static_cast<char>('0' + roll(10));
        line += std::string(6 - x.size(), ' ') + x;
      }
      line += std::string(8, ' ');
      if (roll(6) == 0) line[static_cast<std::size_t>(12 + roll(60))] = " -\t+x"[roll(5)];
    }
    const int yw = 4 + roll(3);
    SCOPED_TRACE("'" + line + "' year width " + std::to_string(yw));
    std::string id(8, ' ');
    int32_t year = 0;
    std::array<int32_t, 10> v{};
    ringdate::ValueFields f{true, 0x3FF, true};  // a reading that says nothing must clear it
    const recio::Outcome got = ringdate::read_measurement_line(line, yw, id, year, v, &f);
    if (!f.seen) {
      EXPECT_EQ(f.blank, 0);
      EXPECT_FALSE(f.plain);
      continue;
    }
    ASSERT_EQ(got, recio::Outcome::ok);
    ++seen;
    bool starts_blank = true;
    for (std::size_t i = 0; i < 10; ++i) {
      const std::string_view fld = std::string_view(line).substr(12 + 6 * i, 6);
      const bool all_blank = fld.find_first_not_of(" \t") == std::string_view::npos;
      ASSERT_EQ(((f.blank >> i) & 1u) != 0, all_blank) << "field " << i + 1;
      blanks += all_blank;
      starts_blank = starts_blank && fld[0] == ' ';
    }
    ASSERT_EQ(f.plain, starts_blank);
    if (f.plain) {
      ASSERT_FALSE(ringdate::off_fixed_columns(line, yw));
      ++plain;
    }
  }
  // Every answer came up often enough to mean something.
  EXPECT_GT(seen, 15000);
  EXPECT_GT(plain, 4000);
  EXPECT_GT(seen - plain, 2000);
  EXPECT_GT(blanks, 10000);
}

TEST(DecadeWriter, LinesMatchTheInterpreter) {
  Draw d;
  for (int round = 0; round < 20000; ++round) {
    const std::string id = d.id(), tag = d.tag();
    const int32_t year = d.year();
    std::array<int32_t, 10> v{}, c{};
    for (int i = 0; i < 10; ++i) {
      v[i] = d.value();
      c[i] = d.count();
    }
    const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 10)(d.rng);
    const std::span<const int32_t> first_n(v.data(), n);
    SCOPED_TRACE("id '" + id + "' year " + std::to_string(year) + " n " + std::to_string(n) +
                 " tag '" + tag + "'");
    recio::Text got;
    ringdate::put_measurement_line(got, id, year, first_n, tag);
    ASSERT_EQ(as_string(got), reference_measurement_line(id, year, first_n, tag));
    got.clear();
    ringdate::put_index_line(got, id, year, v, c, tag);
    ASSERT_EQ(as_string(got), reference_index_line(id, year, v, c, tag));
    got.clear();
    const int32_t last = d.year();
    ringdate::put_cru_header(got, id, year, last);
    ASSERT_EQ(as_string(got), reference_cru_header(id, year, last));
  }
}

TEST(DecadeWriter, EdgeFieldsAsTheInterpreterWritesThem) {
  // Too wide for I6, I4 or I3: asterisks across the field; the sign counts as a column.
  recio::Text got;
  const int32_t v[] = {999999, -99999, 1000000, -100000, 999};
  ringdate::put_measurement_line(got, "EDGE", -1000, v, "   ");
  EXPECT_EQ(as_string(got), "EDGE   -1000999999-99999************   999\n");
  got.clear();
  std::array<int32_t, 10> iv{9999, -999, 10000, -1000, 0, 1, 2, 3, 4, 5},
      ic{999, -99, 1000, -100, 0, 0, 0, 0, 0, 0};
  ringdate::put_index_line(got, "IDX", 12345, iv, ic, "");
  EXPECT_EQ(as_string(got).substr(0, 38), "IDX   ****9999999-999-99**************");
  EXPECT_EQ(got.size(), 83u);  // two blanks after column 80 even without a tag
}

TEST(DecadeWriter, RandomSeriesMatchTheInterpreter) {
  Draw d;
  for (int round = 0; round < 600; ++round) {
    const int32_t nval = std::uniform_int_distribution<int>(0, 3)(d.rng) == 0
                             ? std::uniform_int_distribution<int32_t>(-2, 12)(d.rng)
                             : std::uniform_int_distribution<int32_t>(1, 2100)(d.rng);
    const int32_t first = std::uniform_int_distribution<int>(0, 1)(d.rng)
                              ? d.pick({-1000, -1001, -1010, -10000, -10005, 0, -1}, -3000, 2000)
                              : std::uniform_int_distribution<int32_t>(-12000, 2100)(d.rng);
    std::vector<float> vals(static_cast<std::size_t>(std::max(nval, 0)));
    for (float& x : vals) x = d.real();
    // Now and then fewer values than nval (the rest counts as missing), and counts of
    // every kind: none, all 1 by icnt(1) <= 0, or one per value and fewer.
    if (nval > 3 && std::uniform_int_distribution<int>(0, 9)(d.rng) == 0)
      vals.resize(static_cast<std::size_t>(nval) / 2);
    std::vector<int32_t> icnt;
    switch (std::uniform_int_distribution<int>(0, 3)(d.rng)) {
      case 0:
        break;
      case 1:
        icnt = {0};
        break;
      default:
        icnt.resize(vals.size() / (std::uniform_int_distribution<int>(1, 2)(d.rng)) + 1);
        for (int32_t& c : icnt) c = d.count();
    }
    const std::string id = d.id(), tag = d.tag();
    SCOPED_TRACE("round " + std::to_string(round) + " first " + std::to_string(first) + " nval " +
                 std::to_string(nval));
    recio::Text got;
    ringdate::write_measurement_series(got, id, first, nval, vals, tag);
    ASSERT_EQ(as_string(got), reference_measurement_series(id, first, nval, vals, tag));
    EXPECT_LE(got.size(), ringdate::series_text_bound(nval, tag));
    for (bool cru : {false, true}) {
      got.clear();
      ringdate::write_index_series(got, id, first, nval, vals, icnt, tag, cru);
      ASSERT_EQ(as_string(got), reference_index_series(id, first, nval, vals, icnt, tag, cru))
          << cru;
      EXPECT_LE(got.size(), ringdate::series_text_bound(nval, tag));
    }
  }
}

// Every value from 0 to 10000 thousandths (those under 10000 are written from a table) and
// some on either side, each as the interpreter writes it.
TEST(DecadeWriter, EveryFourDigitValueIsWrittenAsTheInterpreterWritesIt) {
  std::vector<float> vals;
  for (int k = -12; k <= 10012; ++k) vals.push_back(static_cast<float>(k) / 1000.0f);
  for (float x : {99.999f, 100.0f, 999.999f, -9.999f, -10.0f}) vals.push_back(x);
  const auto nval = static_cast<int32_t>(vals.size());
  for (int32_t first : {1000, 1003, -2005}) {
    recio::Text got;
    ringdate::write_measurement_series(got, "ALL4", first, nval, vals, "");
    ASSERT_EQ(as_string(got), reference_measurement_series("ALL4", first, nval, vals, "")) << first;
  }
}

// Every real file, read as the program reads it in each Tucson or CRU mode (a file that a
// mode refuses is skipped for it), written in every layout by both writers.
TEST(DecadeWriter, RealFilesAsTheInterpreterWritesThem) {
  const std::string shared = testing_support::shared_dir();
  if (shared.empty()) GTEST_SKIP() << "no shared data";
  std::vector<std::filesystem::path> files;
  for (const char* sub : {"/data/real", "/data/real/study"}) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(shared + sub, ec))
      if (e.is_regular_file() && e.path().filename() != "README.md") files.push_back(e.path());
  }
  if (files.empty()) GTEST_SKIP() << "no real files";
  std::sort(files.begin(), files.end());
  std::size_t series = 0;
  for (const auto& path : files) {
    for (const char* mode : {"MR", "IR", "CR"}) {
      testing_support::ScriptConsole con;
      recio::Session session(con, recio::system_file_system());
      auto store = std::make_unique<ringdate::Store>();
      ringdate::Trread trread(session);
      ASSERT_TRUE(session.units().open(10, path.string(), recio::Status::old)) << path;
      ringdate::Vec<float> buffer(ringdate::mxyr);  // the reader's buffer for one series
      if (trread(store->wrk, buffer, mode, store->nser, store->iyr, store->ids, ringdate::mxyr,
                 ringdate::mxser))
        continue;  // refused in this mode
      for (int32_t i = 1; i <= store->nser; ++i) {
        const std::string& id = store->ids[static_cast<std::size_t>(i - 1)];
        const int32_t first = store->iyr(i, 1), n = store->iyr(i, 2) - first + 1;
        const auto vals = store->wrk.column(static_cast<std::size_t>(i))
                              .first(static_cast<std::size_t>(std::max(n, 0)));
        const std::vector<int32_t> icnt{0};
        SCOPED_TRACE(path.filename().string() + " " + mode + " series " + std::to_string(i));
        recio::Text got;
        ringdate::write_measurement_series(got, id, first, n, vals, "   ");
        ASSERT_EQ(as_string(got), reference_measurement_series(id, first, n, vals, "   "));
        for (bool cru : {false, true}) {
          got.clear();
          ringdate::write_index_series(got, id, first, n, vals, icnt, "   ", cru);
          ASSERT_EQ(as_string(got), reference_index_series(id, first, n, vals, icnt, "   ", cru));
        }
        ++series;
      }
    }
  }
  EXPECT_GT(series, 1000u);
}

}  // namespace
