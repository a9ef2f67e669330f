// Dense linear algebra on fixed-size arrays indexed from 1, for Newton-type
// solvers: LU decomposition with implicit partial pivoting and the matching
// substitution, Broyden's rank-one update, Gauss-Jordan inversion and a scaled
// matrix product. The order n of a system is passed alongside the arrays and
// must lie in 1..MaxMatrixOrder; an order outside that range throws
// std::invalid_argument before anything is touched.
#pragma once

#include <array>
#include <cstddef>

#include "VyrExport.h"

namespace vyr {

/// Capacity of Dvector and Ivector and the number of rows and columns of Dmatrix.
inline constexpr int MaxMatrixOrder = 50;

namespace detail {
/// Throws std::out_of_range for an element index outside 1..count.
[[noreturn]] VYR_API void ThrowIndexOutOfRange(const char* type, int index, int count);
}  // namespace detail

/// MaxMatrixOrder values of type T indexed from 1; a value type, no heap; starts all zero.
template <class T>
class TOneBasedVector {
 public:
  /// Element i, 1 <= i <= MaxMatrixOrder; throws std::out_of_range otherwise.
  T& operator[](int i) { return v_[Offset(i)]; }
  /// Element i, 1 <= i <= MaxMatrixOrder; throws std::out_of_range otherwise.
  const T& operator[](int i) const { return v_[Offset(i)]; }
  /// The MaxMatrixOrder elements in order (element 1 first).
  T* data() { return v_.data(); }
  /// The MaxMatrixOrder elements in order (element 1 first).
  const T* data() const { return v_.data(); }
  /// Number of elements: MaxMatrixOrder.
  static constexpr int size() { return MaxMatrixOrder; }
  /// True when all elements are equal.
  friend bool operator==(const TOneBasedVector&, const TOneBasedVector&) = default;

 private:
  static std::size_t Offset(int i) {
    if (i < 1 || i > MaxMatrixOrder) detail::ThrowIndexOutOfRange("vector", i, MaxMatrixOrder);
    return static_cast<std::size_t>(i - 1);
  }
  std::array<T, MaxMatrixOrder> v_{};
};

/// MaxMatrixOrder doubles indexed 1..MaxMatrixOrder: right-hand sides, solutions, steps.
using Dvector = TOneBasedVector<double>;
/// MaxMatrixOrder integers indexed 1..MaxMatrixOrder: the row exchanges recorded by ludcmp.
using Ivector = TOneBasedVector<int>;

/// MaxMatrixOrder x MaxMatrixOrder doubles indexed (row, column) from (1, 1), stored row
/// after row; a value type, no heap; starts all zero.
class Dmatrix {
 public:
  /// Element of row i, column j, both in 1..MaxMatrixOrder; throws std::out_of_range otherwise.
  double& operator()(int i, int j) { return a_[Offset(i, j)]; }
  /// Element of row i, column j, both in 1..MaxMatrixOrder; throws std::out_of_range otherwise.
  double operator()(int i, int j) const { return a_[Offset(i, j)]; }
  /// The elements row after row (row 1 first), MaxMatrixOrder per row.
  double* data() { return a_.data(); }
  /// The elements row after row (row 1 first), MaxMatrixOrder per row.
  const double* data() const { return a_.data(); }
  /// Number of rows and of columns: MaxMatrixOrder.
  static constexpr int size() { return MaxMatrixOrder; }
  /// True when all elements are equal.
  friend bool operator==(const Dmatrix&, const Dmatrix&) = default;

 private:
  static std::size_t Offset(int i, int j) {
    if (i < 1 || i > MaxMatrixOrder) detail::ThrowIndexOutOfRange("matrix row", i, MaxMatrixOrder);
    if (j < 1 || j > MaxMatrixOrder) detail::ThrowIndexOutOfRange("matrix column", j, MaxMatrixOrder);
    return static_cast<std::size_t>(i - 1) * MaxMatrixOrder + static_cast<std::size_t>(j - 1);
  }
  std::array<double, MaxMatrixOrder * MaxMatrixOrder> a_{};
};

/// Decomposes the row-permuted leading N x N block of A into L*U in place
/// (Crout, implicit partial pivoting; L has a unit diagonal, not stored).
/// Indx records the row exchanges, D = +1 or -1 their parity. A zero pivot is
/// replaced by 1e-20. A row of zeros shows "Singular MATRIX in LUDCMP" and
/// returns false with A and Indx untouched and D = 1.
VYR_API bool ludcmp(Dmatrix& A, int N, Ivector& Indx, double& D);

/// Solves A*x = b with A and Indx from ludcmp; Bv holds b on entry and x on return.
/// Throws std::invalid_argument when an entry of Indx lies outside 1..N.
VYR_API void lubksb(const Dmatrix& A, int N, const Ivector& Indx, Dvector& Bv);

/// Broyden rank-one update of B in place from the step DX and the change DF
/// of the residuals, scaled by Lambda^2: B[k,i] += Lambda^2 * (B*DX)[k] *
/// (DX - B^T*DF)[i] / (DF^T*B*DX). NotRead is not read. Returns false, B
/// unchanged, when |DF^T*B*DX| < 1e-14.
VYR_API bool Broyden(Dmatrix& B, int N, double Lambda, const Dvector& DF, const Dvector& NotRead,
                     const Dvector& DX);

/// Inverts the leading N x N block of A in place by Gauss-Jordan elimination
/// with row exchanges; every element outside that block becomes 0. Returns
/// false, A partly reduced, when a pivot is exactly zero.
VYR_API bool MatrixInversion(Dmatrix& A, int N);

/// Factor * M2 * M1 over the leading blocks: M2 is RowCount x InnerDim, M1 is
/// InnerDim x ColCount; the result is 0 outside its RowCount x ColCount block.
VYR_API Dmatrix MultiplyMatrices(const Dmatrix& M1, const Dmatrix& M2, double Factor, int InnerDim, int ColCount,
                                 int RowCount);

}  // namespace vyr
