#include "formats/datw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "formats/cdf.h"
#include "formats/datr.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

struct Rig {
  Rig() : session(console, fs) {}
  ScriptConsole console;
  MemoryFileSystem fs;
  recio::Session session;

  // The records datw writes for one series.
  std::vector<std::string> write(std::string_view name, const std::vector<float>& v, int32_t ifyr,
                                 std::vector<int32_t>* stored = nullptr) {
    std::vector<int32_t> work(v.size() + 1, -1);
    session.units().open(12, "out.txt", recio::Status::unknown);
    datw(session, name, v, work, static_cast<int32_t>(v.size()), ifyr, 12, kCompactCode);
    session.units().close(12);
    if (stored) *stored = std::vector<int32_t>(work.begin(), work.begin() + static_cast<long>(v.size()));
    return recio::split_records(fs.files["out.txt"]);
  }
};

std::string header(const std::string& nfield, const std::string& yfield, const std::string& name,
                   const std::string& e, const std::string& layout) {
  std::string h = nfield + "=N" + yfield + "=I " + name;
  h.resize(68, ' ');
  return h + e + layout + "~ RDT";
}

TEST(Datw, ChoosesWidthAndExponent) {
  struct Case {
    std::vector<float> v;
    std::string e, layout;
    std::vector<int32_t> stored;
    std::vector<std::string> data;
  };
  const Case cases[] = {
      {{0.12f, 1.5f, 2.03f, 0.9f, 1.1f}, " -2", "(26F3.0)", {12, 150, 203, 90, 110}, {" 12150203 90110"}},
      {{0.0f, 0.0f, 0.0f}, "  0", "(80F1.0)", {0, 0, 0}, {"000"}},
      {{-0.5f, 0.25f}, " -2", "(26F3.0)", {-50, 25}, {"-50 25"}},
      {{1234.5f, 2.0f}, " -1", "(16F5.0)", {12345, 20}, {"12345   20"}},
      {{5.0f, 500.0f, 50.0f}, "  0", "(26F3.0)", {5, 500, 50}, {"  5500 50"}},
      // Six digits and a positive exponent.
      {{123456.0f, 1.0f}, "  0", "(13F6.0)", {123456, 1}, {"123456     1"}},
      {{5.0e7f, 1.0e6f}, "  6", "(40F2.0)", {50, 1}, {"50 1"}},
  };
  for (const Case& k : cases) {
    Rig rig;
    std::vector<int32_t> stored;
    std::vector<std::string> lines = rig.write("ABC01", k.v, 1900, &stored);
    ASSERT_EQ(lines.size(), 1 + k.data.size()) << k.layout;
    EXPECT_EQ(lines[0], header(std::string(7, ' ') + std::to_string(k.v.size()), "    1900", "ABC01", k.e,
                               k.layout));
    EXPECT_EQ(stored, k.stored) << k.layout;
    for (std::size_t i = 0; i < k.data.size(); ++i) EXPECT_EQ(lines[1 + i], k.data[i]);
  }
}

TEST(Datw, LinesNameAndEmptySeries) {
  Rig rig;
  EXPECT_TRUE(rig.write("NONE", {}, 1900).empty());

  // nn values to a line, the rest on the last; the name is cut at 40 and trimmed.
  std::vector<float> v(30, 1.5f);
  std::vector<std::string> lines = rig.write(std::string(45, 'N') + "  ", v, -20);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], header("      30", "     -20", std::string(40, 'N'), " -1", "(40F2.0)"));
  EXPECT_EQ(lines[1], std::string(80, ' ').replace(0, 80, [] {
    std::string s;
    for (int i = 0; i < 30; ++i) s += "15";
    return s;
  }()));
  EXPECT_EQ(lines[2], "");  // never reached: 30 values fit one line of 40
}

}  // namespace
}  // namespace ringdate
