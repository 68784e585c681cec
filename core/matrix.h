// Small 1-based containers: a vector and a column-major matrix, as the algorithms index
// them. Storage is allocated once at construction.
#pragma once

#include <cassert>
#include <cstddef>
#include <span>
#include <algorithm>
#include <vector>

namespace ringdate {

template <class T>
class Vec {
 public:
  explicit Vec(std::size_t n, T fill = T{}) : v_(n, fill) {}
  T& operator()(std::size_t i) { assert(i >= 1 && i <= v_.size()); return v_[i - 1]; }
  const T& operator()(std::size_t i) const { assert(i >= 1 && i <= v_.size()); return v_[i - 1]; }
  std::size_t size() const { return v_.size(); }
  std::span<T> span() { return v_; }
  std::span<const T> span() const { return v_; }
  T* data() { return v_.data(); }
  void fill(T x) { std::fill(v_.begin(), v_.end(), x); }

 private:
  std::vector<T> v_;
};

template <class T>
class Matrix {
 public:
  Matrix(std::size_t rows, std::size_t cols, T fill = T{}) : rows_(rows), cols_(cols), v_(rows * cols, fill) {}
  T& operator()(std::size_t r, std::size_t c) {
    assert(r >= 1 && r <= rows_ && c >= 1 && c <= cols_);
    return v_[(c - 1) * rows_ + (r - 1)];
  }
  const T& operator()(std::size_t r, std::size_t c) const {
    assert(r >= 1 && r <= rows_ && c >= 1 && c <= cols_);
    return v_[(c - 1) * rows_ + (r - 1)];
  }
  std::size_t rows() const { return rows_; }
  std::size_t cols() const { return cols_; }
  // Column c, row 1 first.
  std::span<T> column(std::size_t c) { assert(c >= 1 && c <= cols_); return {v_.data() + (c - 1) * rows_, rows_}; }
  std::span<const T> column(std::size_t c) const { assert(c >= 1 && c <= cols_); return {v_.data() + (c - 1) * rows_, rows_}; }
  void fill(T x) { std::fill(v_.begin(), v_.end(), x); }

 private:
  std::size_t rows_, cols_;
  std::vector<T> v_;
};

}  // namespace ringdate
