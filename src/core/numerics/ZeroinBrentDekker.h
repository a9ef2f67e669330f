// Zero of a scalar function inside a bracketing interval by the Brent-Dekker
// method: bisection, secant steps and inverse quadratic interpolation under an
// absolute plus relative tolerance, with a limit on function evaluations, a
// status flag, an optional trace file and an optional error message box.
#pragma once

#include <cstddef>
#include <functional>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

#include "VyrExport.h"

namespace vyr {

/// A function of one double bound to its object: a copy of any callable
/// double(double) kept in place (no heap, one indirect call per evaluation),
/// or an object and one of its member functions.
///
/// A callable is copied; a lambda that captures by reference, a member
/// function bound to its object, or std::ref(functor) keep their state in the
/// caller's objects between calls.
class TZeroIntDoubleFunction {
 public:
  /// Bytes available for the copy of a callable.
  static constexpr std::size_t kStorageSize = 6 * sizeof(void*);

  /// Wraps a copy of fn, a callable of one double that returns a double.
  template <class Fn, class = std::enable_if_t<!std::is_same_v<std::decay_t<Fn>, TZeroIntDoubleFunction> &&
                                               std::is_invocable_r_v<double, std::decay_t<Fn>&, double>>>
  TZeroIntDoubleFunction(Fn&& fn) {  // implicit, so that a lambda can be passed directly
    Emplace<std::decay_t<Fn>>(std::forward<Fn>(fn));
  }

  /// Binds method to object; the object is referenced, not copied.
  template <class T>
  TZeroIntDoubleFunction(T& object, double (T::*method)(double)) {
    Emplace<MemberCall<T, double (T::*)(double)>>(MemberCall<T, double (T::*)(double)>{&object, method});
  }

  /// Binds a const method to object; the object is referenced, not copied.
  template <class T>
  TZeroIntDoubleFunction(const T& object, double (T::*method)(double) const) {
    using Call = MemberCall<const T, double (T::*)(double) const>;
    Emplace<Call>(Call{&object, method});
  }

  /// Copies the callable (a bound object stays referenced).
  TZeroIntDoubleFunction(const TZeroIntDoubleFunction& other) : ops_(other.ops_) {
    ops_->copy(storage_, other.storage_);
  }
  /// Moves the callable; other keeps a valid, moved-from one.
  TZeroIntDoubleFunction(TZeroIntDoubleFunction&& other) : ops_(other.ops_) { ops_->move(storage_, other.storage_); }
  /// Replaces the callable by a copy of other's.
  TZeroIntDoubleFunction& operator=(const TZeroIntDoubleFunction& other) {
    if (this != &other) Replace(other.ops_, [&](void* dst) { other.ops_->copy(dst, other.storage_); });
    return *this;
  }
  /// Replaces the callable by other's, moved.
  TZeroIntDoubleFunction& operator=(TZeroIntDoubleFunction&& other) {
    if (this != &other) Replace(other.ops_, [&](void* dst) { other.ops_->move(dst, other.storage_); });
    return *this;
  }
  ~TZeroIntDoubleFunction() { ops_->destroy(storage_); }

  /// Evaluates the function at X.
  double operator()(double X) const { return ops_->invoke(storage_, X); }

 private:
  struct Ops {
    double (*invoke)(void* self, double x);
    void (*copy)(void* dst, const void* src);
    void (*move)(void* dst, void* src);  // move-constructs (copies when moving may throw); src stays valid
    void (*destroy)(void* self) noexcept;
  };

  // What is left after an assignment whose copy threw: calling it throws std::bad_function_call.
  struct Empty {
    static double Invoke(void*, double) { throw std::bad_function_call(); }
    static void Copy(void*, const void*) {}
    static void Move(void*, void*) {}
    static void Destroy(void*) noexcept {}
    static constexpr Ops kOps{&Invoke, &Copy, &Move, &Destroy};
  };

  template <class T, class Method>
  struct MemberCall {
    T* object;
    Method method;
    double operator()(double x) const { return (object->*method)(x); }
  };

  template <class Fn>
  struct Manager {
    static double Invoke(void* self, double x) { return std::invoke(*static_cast<Fn*>(self), x); }
    static void Copy(void* dst, const void* src) { ::new (dst) Fn(*static_cast<const Fn*>(src)); }
    static void Move(void* dst, void* src) { ::new (dst) Fn(std::move_if_noexcept(*static_cast<Fn*>(src))); }
    static void Destroy(void* self) noexcept { static_cast<Fn*>(self)->~Fn(); }
    static constexpr Ops kOps{&Invoke, &Copy, &Move, &Destroy};
  };

  template <class Fn, class Arg>
  void Emplace(Arg&& arg) {
    static_assert(sizeof(Fn) <= kStorageSize,
                  "callable too large for TZeroIntDoubleFunction: capture by reference or pass std::ref(callable)");
    static_assert(alignof(Fn) <= alignof(std::max_align_t), "callable over-aligned for TZeroIntDoubleFunction");
    static_assert(std::is_copy_constructible_v<Fn>, "the callable must be copy constructible");
    ::new (static_cast<void*>(storage_)) Fn(std::forward<Arg>(arg));
    ops_ = &Manager<Fn>::kOps;
  }

  // Destroys the callable held and constructs the one of ops with construct.
  template <class Construct>
  void Replace(const Ops* ops, Construct&& construct) {
    ops_->destroy(storage_);
    ops_ = &Empty::kOps;
    construct(static_cast<void*>(storage_));
    ops_ = ops;
  }

  // Mutable: a callable with state of its own (a mutable lambda) may change
  // it on evaluation.
  alignas(std::max_align_t) mutable unsigned char storage_[kStorageSize];
  const Ops* ops_ = nullptr;
};

/// Finds a zero of F between X1 and X2 (F(X1) and F(X2) of opposite signs),
/// to within AbsTol + RelTol*|XZero| (units of X), with at most MaxCalls
/// evaluations after the two at the end points.
///
/// Flag: 0 converged, 1 exact zero hit, 2 an end point value is zero, 3 call
/// limit exceeded, -1 no sign change, -2 illegal tolerance or MaxCalls < 1.
/// XZero is the best estimate (X2 for flags 2, -1, -2), FX = F(XZero) and
/// NrOfCalls the number of evaluations made.
///
/// Returns true for flags 0 and 1, and always when CallerID is empty. For any
/// other flag with a CallerID, shows the flag's message, " in " and CallerID
/// in an error box (OK only) and returns false.
///
/// A non-empty TraceFile is created (or truncated) and receives every step;
/// when it cannot be created or written, std::ios_base::failure is thrown.
/// Exceptions thrown by F propagate unchanged.
VYR_API bool zeroin(double AbsTol, double RelTol, int MaxCalls, std::string_view CallerID, std::string_view TraceFile,
                    double X1, double X2, double& XZero, double& FX, int& NrOfCalls, int& Flag,
                    const TZeroIntDoubleFunction& F);

}  // namespace vyr
