#include "formats/datr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

struct Rig {
  explicit Rig(const std::string& content) : session(console, fs) {
    fs.files["data.txt"] = content;
    EXPECT_TRUE(session.units().open(10, "data.txt", recio::Status::old));
  }
  ScriptConsole console;
  MemoryFileSystem fs;
  recio::Session session;

  std::string name = std::string(10, '?');
  std::vector<float> vals = std::vector<float>(100, -7.0f);
  int32_t n = -1, ifyr = 0;
  void operator()() { datr(session, name, n, vals, ifyr, 10); }
};

std::string header(const std::string& nfield, const std::string& yfield, const std::string& name,
                   const std::string& e, const std::string& layout) {
  std::string h = nfield + "=N" + yfield + "=I " + name;
  h.resize(68, ' ');
  return h + e + layout + "~ RDT";
}

// A bar header: "|", the ID in 8 columns, N and the first year in 8 columns each.
std::string bar(const std::string& id, int32_t n, int32_t ifyr) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "|%-8.8s%8d%8d", id.c_str(), n, ifyr);
  return buf;
}

TEST(Datr, FindsEveryHeaderFormAmongOtherLines) {
  // An older compact header: its last character is "@", its layout is rebuilt as (26F3.0)
  // from the count and width characters, and its exponent field counts for nothing.
  std::string old = "4=N 1800=I OLDER";
  old.resize(28, ' ');
  old += "  9 (26I 3)@";
  std::string file = "Some title line\n\nx\n   \n" +
                     header("       3", "    1900", "ABC01 long name", " -2", "(26F3.0)") +
                     "\n 12150203\n" + "text between\n" + bar("BAR01", 4, -10) + " 1.5 2.25\n" +
                     "3,\n\n  -4\n" + old + "\n  1  2  3  4\n" + "closing words\n";
  Rig r(file);
  r();
  EXPECT_EQ(r.n, 3);
  EXPECT_EQ(r.ifyr, 1900);
  EXPECT_EQ(r.name, "ABC01 long");  // keeps its width
  EXPECT_FLOAT_EQ(r.vals[0], 0.12f);
  EXPECT_FLOAT_EQ(r.vals[1], 1.5f);
  EXPECT_FLOAT_EQ(r.vals[2], 2.03f);

  r();  // bar header: free-form values, from the header line on, unscaled
  EXPECT_EQ(r.n, 4);
  EXPECT_EQ(r.ifyr, -10);
  EXPECT_EQ(r.name, "BAR01     ");
  EXPECT_FLOAT_EQ(r.vals[0], 1.5f);
  EXPECT_FLOAT_EQ(r.vals[1], 2.25f);
  EXPECT_FLOAT_EQ(r.vals[2], 3.0f);
  EXPECT_FLOAT_EQ(r.vals[3], -4.0f);

  r();
  EXPECT_EQ(r.n, 4);
  EXPECT_EQ(r.ifyr, 1800);
  EXPECT_EQ(r.name, "OLDER     ");
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(r.vals[i], static_cast<float>(i + 1));

  r();  // no further header: nothing said
  EXPECT_EQ(r.n, 0);
  EXPECT_EQ(r.console.output, "");
}

TEST(Datr, HeadersFromColumnOneAndUnreadableOnes) {
  std::string dplr = "454=N 1530=I CAM011";
  dplr.resize(68, ' ');
  dplr += " -2(26F3.0)~";
  std::string noyear = "5=N xx=I NAME";
  noyear.resize(68, ' ');
  noyear += " -2(26F3.0)~";
  std::string short_mark = "5=N 1=I ~";  // too short to hold an exponent and a layout
  Rig r(noyear + "\n" + short_mark + "\n" + "|        x\n" + bar("NOVALS", 0, 1900) + "\n" +
        dplr.replace(0, 3, "  2") + "\n104 89\n");
  r();
  EXPECT_EQ(r.n, 2);
  EXPECT_EQ(r.ifyr, 1530);
  EXPECT_EQ(r.name, "CAM011    ");
  EXPECT_FLOAT_EQ(r.vals[1], 0.89f);
  EXPECT_EQ(r.console.output, "");
}

TEST(Datr, TroubleInsideASeriesIsReportedAndReturned) {
  struct Case {
    const char* what;
    std::string file;
    int32_t n;
    float first;
    std::string message;
  };
  const Case cases[] = {
      {"end inside compact values",
       header("      30", "    1900", "S", "  0", "(26F3.0)") + "\n" + std::string(78, '1') + "\n",
       30, 111.0f, " >> Sbr DATR:  EOF unexpected\n"},
      {"bad compact value",
       header("       3", "    1900", "S", "  0", "(26F3.0)") + "\n  1 x2  3\n", 3, 1.0f,
       " >> Sbr DATR:  Read error\n"},
      {"end inside bar values", bar("BAR", 5, 1900) + "\n1 2\n3\n", 5, 1.0f,
       " >> Sbr DATR:  EOF unexpected\n"},
      {"bad bar value", bar("BAR", 3, 1900) + "\n1 zz 3\n", 3, 1.0f, " >> Sbr DATR:  Read error\n"},
  };
  for (const Case& k : cases) {
    Rig r(k.file);
    r();
    EXPECT_EQ(r.n, k.n) << k.what;
    EXPECT_EQ(r.ifyr, 1900) << k.what;
    EXPECT_EQ(r.console.output, k.message) << k.what;
    EXPECT_FLOAT_EQ(r.vals[0], k.first) << k.what;  // values read before the trouble stay
  }
}

TEST(Datr, NeverStoresPastTheArray) {
  std::string data;
  for (int i = 0; i < 10; ++i) data += "1234567890\n";
  Rig r(header("     100", "       1", "S", "  1", "(80F1.0)") + "\n" + data + bar("B", 50, 1) +
        "\n" +
        std::string(50 * 2, ' ')
            .replace(0, 0,
                     [] {
                       std::string s;
                       for (int i = 0; i < 50; ++i) s += "7 ";
                       return s;
                     }()) +
        "\n");
  r.vals.assign(7, 0.0f);
  r();
  EXPECT_EQ(r.n, 100);
  EXPECT_FLOAT_EQ(r.vals[6], 70.0f);
  r();
  EXPECT_EQ(r.n, 50);
  EXPECT_FLOAT_EQ(r.vals[6], 7.0f);
  EXPECT_EQ(r.console.output, "");
}

}  // namespace
}  // namespace ringdate
