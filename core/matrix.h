// Small 1-based containers: a vector and a column-major matrix, as the algorithms index
// them. Storage is allocated once at construction. Every element access is checked in
// every build type: an index outside the container ends the program with a message on the
// error stream, before anything is read or written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/pages.h"

namespace ringdate {

// Reports an index outside a container and ends the program (a fault of the caller).
[[noreturn, gnu::cold, gnu::noinline]] inline void index_fault(const char* what, std::size_t i,
                                                               std::size_t j, std::size_t rows,
                                                               std::size_t cols) {
  std::fprintf(stderr, "ringdate: %s index (%zu, %zu) outside 1..%zu x 1..%zu\n", what, i, j, rows,
               cols);
  std::abort();
}

template <class T>
class Vec {
 public:
  explicit Vec(std::size_t n, T fill = T{}) : v_(n, fill) {}
  T& operator()(std::size_t i) { return v_[at(i)]; }
  const T& operator()(std::size_t i) const { return v_[at(i)]; }
  std::size_t size() const { return v_.size(); }
  std::span<T> span() { return v_; }
  std::span<const T> span() const { return v_; }
  T* data() { return v_.data(); }
  void fill(T x) { std::fill(v_.begin(), v_.end(), x); }
  // n elements: the first ones keep their values, new ones are `fill`.
  void resize(std::size_t n, T fill = T{}) { v_.resize(n, fill); }

 private:
  std::vector<T> v_;
  std::size_t at(std::size_t i) const {
    if (i - 1 >= v_.size()) [[unlikely]]
      index_fault("vector", i, 1, v_.size(), 1);
    return i - 1;
  }
};

// Columns come into being when first written: until then every cell of a column reads as
// the fill value and the column's memory is not touched, so that a store made for more
// series than a file holds costs memory and time only for the series it holds.
template <class T>
class Matrix {
 public:
  Matrix(std::size_t rows, std::size_t cols, T fill = T{})
      : rows_(rows), cols_(cols), v_(rows * cols), fill_column_(rows, fill), ready_(cols, 0) {}
  Matrix(const Matrix& o)
      : rows_(o.rows_),
        cols_(o.cols_),
        v_(o.v_.size()),
        fill_column_(o.fill_column_),
        ready_(o.ready_) {
    for (std::size_t c = 0; c < cols_; ++c)
      if (ready_[c]) std::copy_n(o.v_.data() + c * rows_, rows_, v_.data() + c * rows_);
  }
  Matrix(Matrix&&) noexcept = default;
  Matrix& operator=(const Matrix& o) {
    if (this != &o) *this = Matrix(o);
    return *this;
  }
  Matrix& operator=(Matrix&&) noexcept = default;

  T& operator()(std::size_t r, std::size_t c) {
    check(r, c);
    return column_data(c)[r - 1];
  }
  const T& operator()(std::size_t r, std::size_t c) const {
    check(r, c);
    return ready_[c - 1] ? v_[(c - 1) * rows_ + (r - 1)] : fill_column_[r - 1];
  }
  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }
  // Column c, row 1 first.
  std::span<T> column(std::size_t c) {
    check_column(c);
    return {column_data(c), rows_};
  }
  std::span<const T> column(std::size_t c) const {
    check_column(c);
    return ready_[c - 1] ? std::span<const T>(v_.data() + (c - 1) * rows_, rows_)
                         : std::span<const T>(fill_column_);
  }
  // The shape becomes rows x cols: the cells of both shapes keep their values, the others
  // hold the fill value. Only columns already written are copied.
  void resize(std::size_t rows, std::size_t cols) {
    if (rows == rows_ && cols == cols_) return;
    Matrix m(rows, cols, fill_column_.empty() ? T{} : fill_column_.front());
    const std::size_t keep = std::min(rows, rows_);
    for (std::size_t c = 0; c < std::min(cols, cols_); ++c)
      if (ready_[c]) std::copy_n(v_.data() + c * rows_, keep, m.column_data(c + 1));
    *this = std::move(m);
  }
  // Every cell becomes x.
  void fill(T x) {
    std::fill(fill_column_.begin(), fill_column_.end(), x);
    std::fill(ready_.begin(), ready_.end(), 0);
  }

 private:
  std::size_t rows_, cols_;
  std::vector<T, PageAllocator<T>> v_;  // column c from (c - 1) * rows_; written when ready
  std::vector<T> fill_column_;          // what a column that is not ready holds
  std::vector<unsigned char> ready_;    // per column: its cells are in v_

  // r - 1 and c - 1 wrap around for 0, so one comparison each catches both ends.
  void check(std::size_t r, std::size_t c) const {
    if (r - 1 >= rows_ || c - 1 >= cols_) [[unlikely]]
      index_fault("matrix", r, c, rows_, cols_);
  }
  void check_column(std::size_t c) const {
    if (c - 1 >= cols_) [[unlikely]]
      index_fault("matrix column", 1, c, rows_, cols_);
  }
  // The cells of column c (an index already checked), made from the fill value when first
  // asked for.
  T* column_data(std::size_t c) {
    T* p = v_.data() + (c - 1) * rows_;
    if (!ready_[c - 1]) {
      std::copy(fill_column_.begin(), fill_column_.end(), p);
      ready_[c - 1] = 1;
    }
    return p;
  }
};

}  // namespace ringdate
