// Shared helpers of the Tucson reader tests: a scripted session over files in memory and a
// one-series read.
#pragma once

#include <string>
#include <vector>

#include "formats/trrw.h"
#include "recio/session.h"
#include "support/test_support.h"

namespace tucson_test {

struct Rig {
  testing_support::ScriptConsole con;
  testing_support::MemoryFileSystem fs;
  recio::Session s{con, fs};

  // Puts `text` into file "d.rwl" and opens it on unit 10.
  bool open(const std::string& text, const std::string& name = "d.rwl") {
    fs.files[name] = text;
    return s.units().open(10, name, recio::Status::old);
  }
};

using testing_support::tucson_line;
using testing_support::tucson_series;

// Reads one series with trrw in mode `mode` (a fresh copy per call).
struct Series {
  std::string id = std::string(8, ' ');
  int32_t ifyr = 0, nval = 0;
  std::vector<float> vals;
  std::vector<int32_t> icnt;
  ringdate::Refused refused;
};

inline Series read_one(ringdate::Trrw& trrw, int32_t& nread, const char* mode,
                       std::size_t cap = 2000, std::string id = std::string(8, ' ')) {
  Series r;
  r.id = id;
  r.vals.assign(cap, -1.0f);
  r.icnt.assign(cap, -7);
  std::string m = mode, title(80, ' '), ltag = "   ";
  std::array<std::string, 3> hdr{std::string(85, ' '), std::string(85, ' '), std::string(85, ' ')};
  r.refused = trrw(r.id, r.ifyr, r.nval, r.vals, r.icnt, nread, 10, 0, m, title, ltag,
                   static_cast<int32_t>(cap), hdr);
  return r;
}

}  // namespace tucson_test
