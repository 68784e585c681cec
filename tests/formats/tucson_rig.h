// Shared helpers of the Tucson reader tests: a scripted session over files in memory, and
// builders of decade lines.
#pragma once

#include <cstdio>
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

// One measurement line in the 4-wide year form.
inline std::string mline(const std::string& id, int year, const std::vector<int>& v) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, "%-8.8s%4d", id.c_str(), year);
  std::string s(buf, n);
  for (int x : v) {
    n = std::snprintf(buf, sizeof buf, "%6d", x);
    s.append(buf, n);
  }
  return s + "\n";
}

// A measurement series as decade lines: values `v` (file units) from `first`, then `marker`.
inline std::string mseries(const std::string& id, int first, std::vector<int> v, int marker) {
  v.push_back(marker);
  std::string out;
  int year = first;
  std::size_t k = 0;
  int n = year >= 0 ? 10 - year % 10 : (year % 10 == 0 ? 10 : -(year % 10));
  while (k < v.size()) {
    std::vector<int> line;
    for (int i = 0; i < n && k < v.size(); ++i) line.push_back(v[k++]);
    out += mline(id, year, line);
    year += n;
    n = 10;
  }
  return out;
}

// Reads one series with trrw in mode `mode` (a fresh copy per call).
struct Series {
  std::string id = std::string(8, ' ');
  int32_t ifyr = 0, nval = 0;
  std::vector<float> vals;
  std::vector<int32_t> icnt;
  ringdate::Refused refused;
};

inline Series read_one(ringdate::Trrw& trrw, int32_t& nread, const char* mode, std::size_t cap = 2000,
                       std::string id = std::string(8, ' ')) {
  Series r;
  r.id = id;
  r.vals.assign(cap, -1.0f);
  r.icnt.assign(cap, -7);
  std::string m = mode, title(80, ' '), ltag = "   ";
  std::array<std::string, 3> hdr{std::string(85, ' '), std::string(85, ' '), std::string(85, ' ')};
  r.refused = trrw(r.id, r.ifyr, r.nval, r.vals, r.icnt, nread, 10, 0, m, title, ltag, static_cast<int32_t>(cap), hdr);
  return r;
}

}  // namespace tucson_test
