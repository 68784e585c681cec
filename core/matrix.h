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

 private:
  std::vector<T> v_;
  std::size_t at(std::size_t i) const {
    if (i - 1 >= v_.size()) [[unlikely]]
      index_fault("vector", i, 1, v_.size(), 1);
    return i - 1;
  }
};

template <class T>
class Matrix {
 public:
  Matrix(std::size_t rows, std::size_t cols, T fill = T{})
      : rows_(rows), cols_(cols), v_(rows * cols, fill) {}
  T& operator()(std::size_t r, std::size_t c) { return v_[at(r, c)]; }
  const T& operator()(std::size_t r, std::size_t c) const { return v_[at(r, c)]; }
  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }
  // Column c, row 1 first.
  std::span<T> column(std::size_t c) { return {v_.data() + column_at(c), rows_}; }
  std::span<const T> column(std::size_t c) const { return {v_.data() + column_at(c), rows_}; }
  void fill(T x) { std::fill(v_.begin(), v_.end(), x); }

 private:
  std::size_t rows_, cols_;
  std::vector<T> v_;
  // Offset of element (r, c); r - 1 and c - 1 wrap around for 0, so one comparison each
  // catches both ends.
  std::size_t at(std::size_t r, std::size_t c) const {
    if (r - 1 >= rows_ || c - 1 >= cols_) [[unlikely]]
      index_fault("matrix", r, c, rows_, cols_);
    return (c - 1) * rows_ + (r - 1);
  }
  std::size_t column_at(std::size_t c) const {
    if (c - 1 >= cols_) [[unlikely]]
      index_fault("matrix column", 1, c, rows_, cols_);
    return (c - 1) * rows_;
  }
};

}  // namespace ringdate
