#include "core/matrix.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using ringdate::Matrix;
using ringdate::Vec;

TEST(Matrix, IsOneBasedAndColumnMajor) {
  Matrix<int32_t> m(3, 2, -1);
  m(1, 1) = 11;
  m(3, 1) = 31;
  m(1, 2) = 12;
  m(3, 2) = 32;
  const auto c1 = m.column(1), c2 = m.column(2);
  EXPECT_EQ(c1[0], 11);
  EXPECT_EQ(c1[2], 31);
  EXPECT_EQ(c2[0], 12);
  EXPECT_EQ(c2[2], 32);
  EXPECT_EQ(c2[1], -1);
  EXPECT_EQ(c1.size(), 3u);
}

TEST(Vec, IsOneBased) {
  Vec<float> v(4, 0.5f);
  v(1) = 1.0f;
  v(4) = 4.0f;
  EXPECT_EQ(v.span()[0], 1.0f);
  EXPECT_EQ(v.span()[3], 4.0f);
  EXPECT_EQ(v.span()[1], 0.5f);
}

// An index outside the container never reaches memory: the program ends with a message,
// in every build type (this test runs in the optimised build too).
TEST(MatrixDeathTest, IndexOutsideEndsTheProgram) {
  Matrix<float> m(3, 2);
  const Matrix<float>& cm = m;
  EXPECT_DEATH(m(0, 1) = 1.0f, "matrix index \\(0, 1\\) outside 1..3 x 1..2");
  EXPECT_DEATH(m(4, 1) = 1.0f, "matrix index \\(4, 1\\)");
  EXPECT_DEATH(m(1, 3) = 1.0f, "matrix index \\(1, 3\\)");
  EXPECT_DEATH((void)cm(1, 0), "matrix index");
  EXPECT_DEATH((void)m.column(3), "matrix column index");
  EXPECT_DEATH((void)cm.column(0), "matrix column index");
  // A negative index converted to the unsigned size wraps to a huge one: caught too.
  const int32_t minus_one = -1;
  EXPECT_DEATH(m(static_cast<std::size_t>(minus_one), 1) = 1.0f, "matrix index");
}

TEST(VecDeathTest, IndexOutsideEndsTheProgram) {
  Vec<int32_t> v(5);
  const Vec<int32_t>& cv = v;
  EXPECT_DEATH(v(0) = 1, "vector index \\(0, 1\\) outside 1..5");
  EXPECT_DEATH(v(6) = 1, "vector index \\(6, 1\\)");
  EXPECT_DEATH((void)cv(6), "vector index");
}

}  // namespace
