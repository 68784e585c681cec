// Comma-separated tables for the crossdating tests: the reference statistics and the
// independent CSV reading of the real files.
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "xdate/series.h"

namespace xdate_tables {

// Rows of named cells; quotes around a cell are dropped.
struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;

  int column(const std::string& name) const {
    for (std::size_t k = 0; k < header.size(); ++k) {
      if (header[k] == name) return static_cast<int>(k);
    }
    return -1;
  }
  const std::string& cell(std::size_t row, const std::string& name) const {
    static const std::string none;
    const int k = column(name);
    if (k < 0 || static_cast<std::size_t>(k) >= rows[row].size()) return none;
    return rows[row][static_cast<std::size_t>(k)];
  }
  double num(std::size_t row, const std::string& name) const {
    return std::strtod(cell(row, name).c_str(), nullptr);
  }
};

inline std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  std::stringstream ss(line);
  while (std::getline(ss, cell, ',')) {
    if (!cell.empty() && cell.back() == '\r') cell.pop_back();
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
      cell = cell.substr(1, cell.size() - 2);
    cells.push_back(cell);
  }
  return cells;
}

inline Table parse(const std::string& text) {
  Table t;
  std::stringstream ss(text);
  std::string line;
  bool first = true;
  while (std::getline(ss, line)) {
    if (line.empty() || line == "\r") continue;
    if (first) {
      t.header = split(line);
      first = false;
    } else {
      t.rows.push_back(split(line));
    }
  }
  return t;
}

inline Table load(const std::string& path) { return parse(testing_support::slurp(path)); }

// A year-by-column table (year first, NA where a series has no value) as series; a series
// runs from its first to its last value.
inline std::vector<ringdate::xdate::SeriesInput> series_of(const Table& t) {
  std::vector<ringdate::xdate::SeriesInput> out;
  for (std::size_t c = 1; c < t.header.size(); ++c) {
    ringdate::xdate::SeriesInput s;
    s.id = t.header[c];
    if (s.id.size() > 1 && s.id[0] == 'X' && std::isdigit(static_cast<unsigned char>(s.id[1])))
      s.id = s.id.substr(1);
    for (const auto& row : t.rows) {
      if (c >= row.size() || row[c] == "NA" || row[c].empty()) continue;
      const int year = std::atoi(row[0].c_str());
      if (s.values.empty()) s.first = year;
      s.values.resize(static_cast<std::size_t>(year - s.first + 1), ringdate::xdate::absent);
      s.values.back() = std::strtod(row[c].c_str(), nullptr);
    }
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace xdate_tables
