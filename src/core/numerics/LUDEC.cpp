// LU decomposition (Crout's method with implicit partial pivoting) and
// substitution after W. H. Press, S. A. Teukolsky, W. T. Vetterling and
// B. P. Flannery, Numerical Recipes, 2nd ed., Cambridge 1992, sec. 2.3;
// Broyden's update after C. G. Broyden, Math. Comp. 19 (1965) 577-593.
#include "LUDEC.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "Messages.h"

namespace vyr {

namespace detail {

void ThrowIndexOutOfRange(const char* type, int index, int count) {
  throw std::out_of_range(std::string(type) + " index " + std::to_string(index) + " outside 1.." +
                          std::to_string(count));
}

}  // namespace detail

namespace {

// Pivot that stands in for an exact zero, so that the decomposition goes on.
constexpr double kTinyPivot = 1e-20;

// Smallest |DF^T*B*DX| for which Broyden updates.
constexpr double kBroydenMinDenominator = 1e-14;

void CheckOrder(const char* routine, const char* name, int value) {
  if (value < 1 || value > MaxMatrixOrder) {
    throw std::invalid_argument(std::string(routine) + ": " + name + " = " + std::to_string(value) +
                                " outside 1.." + std::to_string(MaxMatrixOrder));
  }
}

// Unchecked 1-based access to the storage of a Dmatrix and a Dvector; the
// routines check their orders once on entry.
class MatrixView {
 public:
  explicit MatrixView(double* a) : a_(a) {}
  double& operator()(int i, int j) const { return a_[(i - 1) * MaxMatrixOrder + (j - 1)]; }
  double* Row(int i) const { return a_ + (i - 1) * MaxMatrixOrder; }  // element (i, 1)

 private:
  double* a_;
};

class ConstMatrixView {
 public:
  explicit ConstMatrixView(const double* a) : a_(a) {}
  double operator()(int i, int j) const { return a_[(i - 1) * MaxMatrixOrder + (j - 1)]; }

 private:
  const double* a_;
};

void SwapRows(MatrixView m, int r1, int r2, int n) {
  for (int j = 1; j <= n; ++j) std::swap(m(r1, j), m(r2, j));
}

}  // namespace

bool ludcmp(Dmatrix& A, int N, Ivector& Indx, double& D) {
  CheckOrder("ludcmp", "N", N);
  const int n = N;
  MatrixView a(A.data());
  int* indx = Indx.data();  // indx[j - 1] is Indx[j]

  D = 1.0;

  // Implicit scaling: each row's largest element counts as 1.
  double scale[MaxMatrixOrder + 1];  // 1-based, like every local vector here
  for (int i = 1; i <= n; ++i) {
    double big = 0.0;
    for (int j = 1; j <= n; ++j) {
      const double temp = std::fabs(a(i, j));
      if (temp > big) big = temp;
    }
    if (big == 0.0) {
      MessageDlg("Singular MATRIX in LUDCMP", mtError, {mbOK}, 0);
      return false;
    }
    scale[i] = 1.0 / big;
  }

  // Column j is worked on in a contiguous copy; the sums run in the same
  // order as on the matrix itself.
  double col[MaxMatrixOrder + 1];
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) col[i] = a(i, j);

    // Upper triangle: U[i,j], i < j.
    for (int i = 1; i < j; ++i) {
      const double* row = a.Row(i);
      double sum = col[i];
      for (int k = 1; k < i; ++k) sum -= row[k - 1] * col[k];
      col[i] = sum;
    }

    // Diagonal and below, with the pivot search: the largest scaled element,
    // the later row on a tie. Starting at row j keeps imax valid when every
    // figure of merit is NaN.
    double big = 0.0;
    int imax = j;
    for (int i = j; i <= n; ++i) {
      const double* row = a.Row(i);
      double sum = col[i];
      for (int k = 1; k < j; ++k) sum -= row[k - 1] * col[k];
      col[i] = sum;
      const double merit = scale[i] * std::fabs(sum);
      if (merit >= big) {
        big = merit;
        imax = i;
      }
    }
    for (int i = 1; i <= n; ++i) a(i, j) = col[i];

    if (imax != j) {
      SwapRows(a, imax, j, n);
      D = -D;
      scale[imax] = scale[j];
    }
    indx[j - 1] = imax;

    if (a(j, j) == 0.0) a(j, j) = kTinyPivot;
    if (j != n) {
      const double inverse = 1.0 / a(j, j);
      for (int i = j + 1; i <= n; ++i) a(i, j) *= inverse;
    }
  }
  return true;
}

void lubksb(const Dmatrix& A, int N, const Ivector& Indx, Dvector& Bv) {
  CheckOrder("lubksb", "N", N);
  const int n = N;
  for (int i = 1; i <= n; ++i) {
    if (Indx[i] < 1 || Indx[i] > n) {
      throw std::invalid_argument("lubksb: Indx[" + std::to_string(i) + "] = " + std::to_string(Indx[i]) +
                                  " outside 1.." + std::to_string(n));
    }
  }
  ConstMatrixView a(A.data());
  const int* indx = Indx.data();  // indx[i - 1] is Indx[i]
  double b[MaxMatrixOrder + 1];   // 1-based copy of Bv
  for (int i = 1; i <= n; ++i) b[i] = Bv.data()[i - 1];

  // Forward substitution, undoing the row exchanges as it goes; ii is the
  // first nonzero element of b, the leading zeros need no work.
  int ii = 0;
  for (int i = 1; i <= n; ++i) {
    const int ip = indx[i - 1];
    double sum = b[ip];
    b[ip] = b[i];
    if (ii != 0) {
      for (int j = ii; j < i; ++j) sum -= a(i, j) * b[j];
    } else if (sum != 0.0) {
      ii = i;
    }
    b[i] = sum;
  }

  // Back substitution.
  for (int i = n; i >= 1; --i) {
    double sum = b[i];
    for (int j = i + 1; j <= n; ++j) sum -= a(i, j) * b[j];
    b[i] = sum / a(i, i);
  }
  for (int i = 1; i <= n; ++i) Bv.data()[i - 1] = b[i];
}

bool Broyden(Dmatrix& B, int N, double Lambda, const Dvector& DF, const Dvector& /*NotRead*/, const Dvector& DX) {
  CheckOrder("Broyden", "N", N);
  const int n = N;
  MatrixView bm(B.data());
  const double* df = DF.data();  // df[m - 1] is DF[m]
  const double* dx = DX.data();

  double w[MaxMatrixOrder + 1], v[MaxMatrixOrder + 1];  // 1-based
  for (int k = 1; k <= n; ++k) {
    double sum = 0.0;
    for (int m = 1; m <= n; ++m) sum += bm(k, m) * dx[m - 1];
    w[k] = sum;
  }
  for (int i = 1; i <= n; ++i) {
    double sum = 0.0;
    for (int m = 1; m <= n; ++m) sum += bm(m, i) * df[m - 1];
    v[i] = dx[i - 1] - sum;
  }
  double den = 0.0;
  for (int k = 1; k <= n; ++k) den += w[k] * df[k - 1];

  if (std::fabs(den) < kBroydenMinDenominator) return false;

  const double c = Lambda * Lambda / den;
  for (int k = 1; k <= n; ++k) {
    const double cw = c * w[k];
    double* row = bm.Row(k);
    for (int i = 1; i <= n; ++i) row[i - 1] += cw * v[i];
  }
  return true;
}

bool MatrixInversion(Dmatrix& A, int N) {
  CheckOrder("MatrixInversion", "N", N);
  const int n = N;
  MatrixView a(A.data());
  Dmatrix Wstore;
  MatrixView w(Wstore.data());
  for (int i = 1; i <= n; ++i) w(i, i) = 1.0;

  // Adds f times row k to row i in A and W.
  auto addRow = [&](int i, int k, double f) {
    double* ai = a.Row(i);
    double* ak = a.Row(k);
    double* wi = w.Row(i);
    double* wk = w.Row(k);
    for (int j = 0; j < n; ++j) ai[j] += f * ak[j];
    for (int j = 0; j < n; ++j) wi[j] += f * wk[j];
  };

  for (int k = 1; k <= n; ++k) {
    // The first row holding the largest |A[i,k]|, i >= k.
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(a(i, k)) > std::fabs(a(k, k))) {
        SwapRows(a, i, k, n);
        SwapRows(w, i, k, n);
      }
    }
    if (a(k, k) == 0.0) return false;

    const double p = a(k, k);
    double* ak = a.Row(k);
    double* wk = w.Row(k);
    for (int j = 0; j < n; ++j) wk[j] /= p;
    for (int j = 0; j < n; ++j) ak[j] /= p;

    for (int i = k + 1; i <= n; ++i) addRow(i, k, -a(i, k));
  }
  for (int k = n; k >= 2; --k) {
    for (int i = k - 1; i >= 1; --i) addRow(i, k, -a(i, k));
  }

  A = Wstore;  // zero outside the leading block
  return true;
}

Dmatrix MultiplyMatrices(const Dmatrix& M1, const Dmatrix& M2, double Factor, int InnerDim, int ColCount,
                         int RowCount) {
  CheckOrder("MultiplyMatrices", "InnerDim", InnerDim);
  CheckOrder("MultiplyMatrices", "ColCount", ColCount);
  CheckOrder("MultiplyMatrices", "RowCount", RowCount);
  ConstMatrixView m1(M1.data());
  ConstMatrixView m2(M2.data());
  Dmatrix R;
  MatrixView r(R.data());
  for (int i = 1; i <= RowCount; ++i) {
    for (int j = 1; j <= ColCount; ++j) {
      double sum = 0.0;
      for (int k = 1; k <= InnerDim; ++k) sum += m2(i, k) * m1(k, j);
      r(i, j) = Factor * sum;
    }
  }
  return R;
}

}  // namespace vyr
