#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "LUDEC.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

// Leading block of a matrix from rows; every other element is `outside`.
Dmatrix Matrix(std::initializer_list<std::initializer_list<double>> rows, double outside = 0.0) {
  Dmatrix m;
  for (int i = 1; i <= MaxMatrixOrder; ++i)
    for (int j = 1; j <= MaxMatrixOrder; ++j) m(i, j) = outside;
  int i = 1;
  for (const auto& row : rows) {
    int j = 1;
    for (double v : row) m(i, j++) = v;
    ++i;
  }
  return m;
}

Dvector Vector(std::initializer_list<double> values, double outside = 0.0) {
  Dvector v;
  for (int i = 1; i <= MaxMatrixOrder; ++i) v[i] = outside;
  int i = 1;
  for (double x : values) v[i++] = x;
  return v;
}

// A random n x n matrix with entries in [-1, 1] plus n/2 on the diagonal,
// well conditioned for every n, rows shuffled so that pivoting is needed.
Dmatrix WellConditioned(int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Dmatrix a;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) a(i, j) = u(rng) + (i == j ? 0.5 * n + 1.0 : 0.0);
  for (int i = n; i > 1; --i) {
    const int k = std::uniform_int_distribution<int>(1, i)(rng);
    for (int j = 1; j <= n; ++j) std::swap(a(i, j), a(k, j));
  }
  return a;
}

double NormInf(const Dmatrix& a, int n) {
  double norm = 0;
  for (int i = 1; i <= n; ++i) {
    double row = 0;
    for (int j = 1; j <= n; ++j) row += std::fabs(a(i, j));
    norm = std::max(norm, row);
  }
  return norm;
}

TEST(LUDEC, SolvesWellConditionedSystemsOfEveryOrder) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> u(-10.0, 10.0);
  for (int n = 1; n <= MaxMatrixOrder; ++n) {
    const Dmatrix a = WellConditioned(n, rng);
    Dvector b;
    for (int i = 1; i <= n; ++i) b[i] = u(rng);

    Dmatrix lu = a;
    Ivector indx;
    double d = 0;
    ASSERT_TRUE(ludcmp(lu, n, indx, d)) << n;
    EXPECT_TRUE(d == 1.0 || d == -1.0);
    Dvector x = b;
    lubksb(lu, n, indx, x);

    double residual = 0, xnorm = 0;
    for (int i = 1; i <= n; ++i) {
      double r = -b[i];
      for (int j = 1; j <= n; ++j) r += a(i, j) * x[j];
      residual = std::max(residual, std::fabs(r));
      xnorm = std::max(xnorm, std::fabs(x[i]));
    }
    EXPECT_LT(residual / (NormInf(a, n) * xnorm), 1e-12) << "n = " << n;
  }
}

TEST(LUDEC, InverseTimesMatrixIsTheIdentity) {
  std::mt19937 rng(7);
  for (int n : {1, 2, 3, 7, 20, 50}) {
    const Dmatrix a = WellConditioned(n, rng);
    Dmatrix inv = a;
    ASSERT_TRUE(MatrixInversion(inv, n)) << n;
    for (const Dmatrix& p : {MultiplyMatrices(inv, a, 1.0, n, n, n), MultiplyMatrices(a, inv, 1.0, n, n, n)}) {
      for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) EXPECT_NEAR(p(i, j), i == j ? 1.0 : 0.0, 1e-12) << n << " " << i << "," << j;
    }
  }
}

TEST(LUDEC, LudcmpRowOfZerosShowsTheMessageAndChangesNothing) {
  test::RecordingHandler rec;
  const Dmatrix a0 = Matrix({{0, 0}, {1, 2}}, 9.0);
  Dmatrix a = a0;
  Ivector indx;
  indx[1] = 17;
  double d = 5;
  EXPECT_FALSE(ludcmp(a, 2, indx, d));
  EXPECT_EQ(a, a0);
  EXPECT_EQ(indx[1], 17);
  EXPECT_EQ(d, 1.0);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "Singular MATRIX in LUDCMP");
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  EXPECT_EQ(rec.messages[0].Buttons, TMsgDlgButtons{mbOK});
}

// Pivot choices and the factors they leave, with the elements outside the
// leading block set to a sentinel that must survive.
struct Decomposition {
  const char* name;
  Dmatrix a;
  int n;
  std::vector<int> indx;
  double d;
  Dmatrix lu;  // expected leading block
};

const double kS = 7.5;  // sentinel outside the leading block

const Decomposition kDecompositions[] = {
    // Rows exchanged at the first column.
    {"exchange", Matrix({{0, 1}, {1, 0}}, kS), 2, {2, 2}, -1.0, Matrix({{1, 0}, {0, 1}})},
    // Column 2 vanishes in the elimination: the pivot becomes 1e-20.
    {"tiny_pivot", Matrix({{1, 1}, {1, 1}}, kS), 2, {2, 2}, -1.0, Matrix({{1, 1}, {1, 1e-20}})},
    // Equal scaled figures of merit: the later row is the pivot.
    {"tie_later_row", Matrix({{1, 0}, {1, 0.5}}, kS), 2, {2, 2}, -1.0, Matrix({{1, 0.5}, {1, -0.5}})},
    // The scaling decides: row 2 is large, but small relative to its own largest element.
    {"implicit_scaling", Matrix({{1, 1}, {2, 1000}}, kS), 2, {1, 2}, 1.0, Matrix({{1, 1}, {2, 998}})},
    {"order_one", Matrix({{-4}}, kS), 1, {1}, 1.0, Matrix({{-4}})},
};

void PrintTo(const Decomposition& c, std::ostream* os) { *os << c.name; }

class Decompositions : public testing::TestWithParam<Decomposition> {};

TEST_P(Decompositions, PivotsFactorsAndParity) {
  const Decomposition& c = GetParam();
  Dmatrix a = c.a;
  Ivector indx;
  double d = 0;
  ASSERT_TRUE(ludcmp(a, c.n, indx, d));
  EXPECT_EQ(d, c.d);
  for (int j = 1; j <= c.n; ++j) EXPECT_EQ(indx[j], c.indx[static_cast<std::size_t>(j - 1)]) << j;
  for (int j = c.n + 1; j <= MaxMatrixOrder; ++j) EXPECT_EQ(indx[j], 0);
  for (int i = 1; i <= MaxMatrixOrder; ++i) {
    for (int j = 1; j <= MaxMatrixOrder; ++j) {
      if (i <= c.n && j <= c.n) {
        EXPECT_DOUBLE_EQ(a(i, j), c.lu(i, j)) << i << "," << j;
      } else {
        ASSERT_EQ(a(i, j), kS) << i << "," << j;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(LUDEC, Decompositions, testing::ValuesIn(kDecompositions),
                         [](const testing::TestParamInfo<Decomposition>& info) { return std::string(info.param.name); });

TEST(LUDEC, LubksbSkipsLeadingZerosOfTheRightHandSide) {
  // Needs a row exchange; x = (1, -2, 3) for b = A*x.
  const Dmatrix a = Matrix({{0, 2, 1}, {1, 1, 0}, {3, 0, 1}});
  const double x[] = {1, -2, 3};
  for (const Dvector& b : {Vector({-1, -1, 6}, kS), Vector({0, 0, 5}, kS), Vector({0, 0, 0}, kS)}) {
    Dmatrix lu = a;
    Ivector indx;
    double d = 0;
    ASSERT_TRUE(ludcmp(lu, 3, indx, d));
    Dvector sol = b;
    lubksb(lu, 3, indx, sol);
    // Check A*sol = b, and the known solution for the first case.
    for (int i = 1; i <= 3; ++i) {
      double r = -b[i];
      for (int j = 1; j <= 3; ++j) r += a(i, j) * sol[j];
      EXPECT_NEAR(r, 0.0, 1e-14) << i;
    }
    if (b[1] == -1) {
      for (int i = 1; i <= 3; ++i) EXPECT_NEAR(sol[i], x[i - 1], 1e-14);
    }
    for (int i = 4; i <= MaxMatrixOrder; ++i) ASSERT_EQ(sol[i], kS);
  }
}

TEST(LUDEC, BroydenUpdateSatisfiesTheSecantCondition) {
  // With Lambda = 1 the transpose H of the updated B maps DF onto DX.
  const Dmatrix b0 = Matrix({{2, 0.5, 0}, {0.1, 1, -0.3}, {0, 0.2, 3}}, kS);
  const Dvector df = Vector({0.3, -0.2, 0.7});
  const Dvector dx = Vector({0.1, 0.4, -0.2});
  const Dvector notRead = Vector({}, std::numeric_limits<double>::quiet_NaN());
  Dmatrix b = b0;
  ASSERT_TRUE(Broyden(b, 3, 1.0, df, notRead, dx));
  for (int i = 1; i <= 3; ++i) {
    double h_df = 0;
    for (int m = 1; m <= 3; ++m) h_df += b(m, i) * df[m];
    EXPECT_NEAR(h_df, dx[i], 1e-15) << i;
  }
  // The change B - B0 has rank one.
  Dmatrix diff;
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) diff(i, j) = b(i, j) - b0(i, j);
  for (int i = 2; i <= 3; ++i) {
    // Rows of a rank-one matrix are multiples of each other.
    EXPECT_NEAR(diff(i, 1) * diff(1, 2) - diff(i, 2) * diff(1, 1), 0.0, 1e-15);
    EXPECT_NEAR(diff(i, 3) * diff(1, 2) - diff(i, 2) * diff(1, 3), 0.0, 1e-15);
  }
  for (int i = 4; i <= MaxMatrixOrder; ++i) ASSERT_EQ(b(i, i), kS);

  // Lambda scales the update by Lambda^2.
  Dmatrix half = b0;
  ASSERT_TRUE(Broyden(half, 3, 0.5, df, notRead, dx));
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(half(i, j) - b0(i, j), 0.25 * diff(i, j), 1e-15);
}

TEST(LUDEC, BroydenRefusesOrSkipsTheUpdate) {
  const Dmatrix b0 = Matrix({{1, 2}, {3, 4}}, kS);
  const Dvector dx = Vector({1, 1});
  Dmatrix b = b0;
  // DF = 0: denominator 0, refused.
  EXPECT_FALSE(Broyden(b, 2, 1.0, Vector({0, 0}), dx, dx));
  EXPECT_EQ(b, b0);
  // Denominator DF^T*B*DX = 1.4e-15 (B*DX = (3, 7)): below 1e-14, refused.
  EXPECT_FALSE(Broyden(b, 2, 1.0, Vector({7e-15, -2.8e-15}), dx, dx));
  EXPECT_EQ(b, b0);
  // Lambda = 0: accepted, nothing changes.
  EXPECT_TRUE(Broyden(b, 2, 0.0, Vector({1, 0}), dx, dx));
  EXPECT_EQ(b, b0);
}

TEST(LUDEC, MatrixInversionOfSpecialCases) {
  Dmatrix singular = Matrix({{1, 2}, {2, 4}});
  EXPECT_FALSE(MatrixInversion(singular, 2));

  // A permutation is its own inverse; everything outside the block becomes 0.
  Dmatrix p = Matrix({{0, 1}, {1, 0}}, kS);
  ASSERT_TRUE(MatrixInversion(p, 2));
  EXPECT_EQ(p, Matrix({{0, 1}, {1, 0}}, 0.0));

  // Row exchanges are needed in the first column.
  Dmatrix m = Matrix({{1, 2, 0}, {-4, 0, 1}, {4, 1, 1}});
  const Dmatrix m0 = m;
  ASSERT_TRUE(MatrixInversion(m, 3));
  const Dmatrix id = MultiplyMatrices(m, m0, 1.0, 3, 3, 3);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(id(i, j), i == j ? 1.0 : 0.0, 1e-14);
}

TEST(LUDEC, MultiplyMatricesScalesM2TimesM1) {
  // Factor 2 with M1 = identity: 2*M2 in the block, 0 outside.
  Dmatrix identity;
  for (int i = 1; i <= MaxMatrixOrder; ++i) identity(i, i) = 1.0;
  const Dmatrix m2 = Matrix({{1, -2, 3}, {4, 5, -6}, {0.5, 0, 1}}, kS);
  EXPECT_EQ(MultiplyMatrices(identity, m2, 2.0, 3, 3, 3), Matrix({{2, -4, 6}, {8, 10, -12}, {1, 0, 2}}));

  // Rectangular: M2 is 2 x 3, M1 is 3 x 1.
  const Dmatrix m1 = Matrix({{1}, {2}, {3}}, kS);
  EXPECT_EQ(MultiplyMatrices(m1, m2, -1.0, 3, 1, 2), Matrix({{-6}, {4}}));
}

// Orders outside 1..50 are refused before anything is touched.
TEST(LUDEC, OrdersOutOfRangeThrow) {
  Dmatrix a = Matrix({{1}});
  const Dmatrix a0 = a;
  Ivector indx;
  Dvector b;
  double d = 0;
  for (int n : {0, -1, MaxMatrixOrder + 1}) {
    EXPECT_THROW(ludcmp(a, n, indx, d), std::invalid_argument) << n;
    EXPECT_THROW(lubksb(a, n, indx, b), std::invalid_argument) << n;
    EXPECT_THROW(Broyden(a, n, 1.0, b, b, b), std::invalid_argument) << n;
    EXPECT_THROW(MatrixInversion(a, n), std::invalid_argument) << n;
    EXPECT_THROW(MultiplyMatrices(a, a, 1.0, n, 1, 1), std::invalid_argument) << n;
    EXPECT_THROW(MultiplyMatrices(a, a, 1.0, 1, n, 1), std::invalid_argument) << n;
    EXPECT_THROW(MultiplyMatrices(a, a, 1.0, 1, 1, n), std::invalid_argument) << n;
  }
  EXPECT_EQ(a, a0);
  // A pivot record that does not come from ludcmp of this order.
  indx[1] = 2;
  EXPECT_THROW(lubksb(a, 1, indx, b), std::invalid_argument);
}

TEST(LUDEC, ElementAccessIsBoundsChecked) {
  Dvector v;
  Ivector iv;
  Dmatrix m;
  v[1] = 1;
  v[MaxMatrixOrder] = 2;
  EXPECT_EQ(v.data()[0], 1);
  EXPECT_EQ(v.data()[MaxMatrixOrder - 1], 2);
  m(2, 3) = 4;
  EXPECT_EQ(m.data()[MaxMatrixOrder + 2], 4);  // row after row
  for (int i : {0, -3, MaxMatrixOrder + 1}) {
    EXPECT_THROW(v[i], std::out_of_range);
    EXPECT_THROW(iv[i], std::out_of_range);
    EXPECT_THROW(m(i, 1), std::out_of_range);
    EXPECT_THROW(m(1, i), std::out_of_range);
  }
}

}  // namespace
}  // namespace vyr
