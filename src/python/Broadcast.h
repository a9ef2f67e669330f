// Element-wise evaluation of a library function over numbers or NumPy arrays.
//
// The rule every vectorised function of the module follows:
//  - All inputs numbers (or 0-d arrays): the result is a float (a tuple of
//    floats for several outputs); a failure raises VyrError with the
//    library's message.
//  - Any input an array: the inputs broadcast like NumPy and each output is
//    an array of the broadcast shape. errors="raise" (the default) raises
//    VyrError at the first failed element, naming its index ("element 3: ..."
//    or "element (1, 2): ..."); errors="mask" puts NaN into every output at a
//    failed element and returns (values, status), status an int32 array of
//    the same shape: 0 where the element succeeded, else the help-context
//    number of the library's message (81401 no convergence, ...) or 1.
//  - A non-finite input element is a failure of that element.
//
// Usage (two inputs, one output):
//
//   m.def("H", [](py::object T, py::object P, const std::string& errors) {
//     return Elementwise<1>("vyrcomp.gas.H", {{"T", T}, {"P", P}}, ParseErrors(errors),
//                           [&](const double* in, double* out) {
//                             out[0] = FH(in[0], comp);
//                             return true;  // false (or an exception) = failure
//                           });
//   }, py::arg("T"), py::arg("P"), py::arg("errors") = "raise");
//
// The kernel runs with the GIL released and the core lock held (the core's
// globals are not thread-safe); it must not touch Python objects. Messages
// that the library shows during the kernel are recorded, never printed; the
// last one recorded during a failed element is its message. A kernel may
// also signal a failure by throwing a std::exception (its what() is the
// message). Use ElementwiseArrays when the outputs should be packed
// differently (for example into a dict).
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "Messages.h"

namespace vyr::python {

namespace py = pybind11;

/// What a failed element does.
enum class ErrorMode { Raise, Mask };

/// "raise" or "mask"; anything else raises ValueError.
ErrorMode ParseErrors(const std::string& errors);

/// Raised to Python as vyrcomp.VyrError (a ValueError).
class VyrError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Serialises every call into the core library (its iteration memory and the
/// message handler are process-wide). Take it with the GIL released.
std::mutex& CoreMutex();

/// Installs a message handler that records the library's messages for its
/// lifetime instead of printing them, and restores the previous handler.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  bool Empty() const { return messages_.empty(); }
  void Clear() { messages_.clear(); }
  /// The last message as one line (its CR LF breaks become spaces), or an empty text.
  std::string LastText() const;
  /// Help context of the last message, 0 when none.
  int LastHelpCtx() const { return messages_.empty() ? 0 : messages_.back().HelpCtx; }

 private:
  std::vector<TMessage> messages_;
  TMessageHandler previous_;
};

/// Runs f with the GIL released, the core lock held and a message recorder
/// installed; f receives the recorder. For single calls (not element loops)
/// that need the library's message on failure.
template <class F>
auto CallCore(F&& f) {
  py::gil_scoped_release release;
  std::lock_guard<std::mutex> lock(CoreMutex());
  MessageRecorder recorder;
  return f(recorder);
}

/// One named input of an element-wise call.
struct Arg {
  const char* name;
  py::handle value;
};

/// The raw result of an element-wise call.
struct ElementwiseResult {
  bool scalar = true;               ///< all inputs were numbers
  std::vector<py::array_t<double>> outputs;
  py::array_t<std::int32_t> status;  ///< only with ErrorMode::Mask
};

namespace detail {

/// The inputs as double arrays with their strides expanded to the broadcast shape.
struct Prepared {
  bool scalar = true;
  std::vector<py::ssize_t> shape;
  std::vector<py::array_t<double, py::array::forcecast>> arrays;
  std::vector<const char*> data;
  std::vector<std::vector<py::ssize_t>> strides;  // bytes, 0 along broadcast dimensions
  py::ssize_t size = 1;
};

Prepared Prepare(const char* function, const Arg* args, std::size_t n);

/// Element text for a flat index in a C-ordered array of the given shape.
std::string ElementName(const std::vector<py::ssize_t>& shape, py::ssize_t flat);

/// Raises VyrError for a failed element.
[[noreturn]] void RaiseElement(const char* function, bool scalar, const std::vector<py::ssize_t>& shape,
                               py::ssize_t flat, const std::string& message);

std::string NonFiniteText(const char* name);

/// Packs outputs: floats for a scalar call, a tuple for several outputs, and
/// (values, status) with ErrorMode::Mask.
py::object Pack(ElementwiseResult&& r, ErrorMode mode);

}  // namespace detail

/// Evaluates f over the broadcast inputs; see the top of this file.
template <std::size_t NOut, std::size_t NIn, class F>
ElementwiseResult ElementwiseArrays(const char* function, const Arg (&args)[NIn], ErrorMode mode, F&& f) {
  detail::Prepared p = detail::Prepare(function, args, NIn);
  ElementwiseResult r;
  r.scalar = p.scalar;
  std::vector<double*> out(NOut);
  for (std::size_t k = 0; k < NOut; ++k) {
    r.outputs.emplace_back(p.shape);
    out[k] = r.outputs.back().mutable_data();
  }
  std::int32_t* status = nullptr;
  if (mode == ErrorMode::Mask) {
    r.status = py::array_t<std::int32_t>(p.shape);
    status = r.status.mutable_data();
  }

  const std::size_t ndim = p.shape.size();
  const py::ssize_t inner = ndim == 0 ? 1 : p.shape[ndim - 1];
  std::array<py::ssize_t, NIn> innerStride{};
  for (std::size_t j = 0; j < NIn; ++j) innerStride[j] = ndim == 0 ? 0 : p.strides[j][ndim - 1];

  py::ssize_t failedAt = -1;
  std::string failure;
  {
    py::gil_scoped_release release;
    std::lock_guard<std::mutex> lock(CoreMutex());
    MessageRecorder recorder;
    std::vector<py::ssize_t> index(ndim, 0);  // index of the outer dimensions
    std::array<const char*, NIn> row{};
    for (std::size_t j = 0; j < NIn; ++j) row[j] = p.data[j];
    double in[NIn > 0 ? NIn : 1];
    double res[NOut > 0 ? NOut : 1];
    py::ssize_t flat = 0;
    std::string message;  // of a failed element
    while (flat < p.size && failedAt < 0) {
      for (py::ssize_t i = 0; i < inner; ++i, ++flat) {
        bool ok = true;
        for (std::size_t j = 0; j < NIn; ++j) {
          in[j] = *reinterpret_cast<const double*>(row[j] + i * innerStride[j]);
          if (!std::isfinite(in[j])) [[unlikely]] {
            ok = false;
            message = detail::NonFiniteText(args[j].name);
          }
        }
        if (ok) [[likely]] {
          try {
            ok = f(static_cast<const double*>(in), static_cast<double*>(res));
          } catch (const std::exception& e) {
            ok = false;
            message = e.what();
          }
        }
        if (ok) [[likely]] {
          for (std::size_t k = 0; k < NOut; ++k) {
            if (!std::isfinite(res[k])) [[unlikely]] {
              ok = false;
              message = "the result is not a finite number";
            }
          }
        }
        if (ok) [[likely]] {
          for (std::size_t k = 0; k < NOut; ++k) out[k][flat] = res[k];
          if (status) status[flat] = 0;
          if (!recorder.Empty()) [[unlikely]] recorder.Clear();  // a warning of a good element
          continue;
        }
        if (message.empty()) message = recorder.LastText();
        if (message.empty()) message = "the calculation failed";
        if (!status) {
          failedAt = flat;
          failure = std::move(message);
          break;
        }
        const int ctx = recorder.LastHelpCtx();
        for (std::size_t k = 0; k < NOut; ++k) out[k][flat] = std::nan("");
        status[flat] = ctx > 0 ? ctx : 1;
        message.clear();
        recorder.Clear();
      }
      // Next row: advance the outer index like an odometer.
      for (std::size_t d = ndim > 0 ? ndim - 1 : 0; d-- > 0;) {
        for (std::size_t j = 0; j < NIn; ++j) row[j] += p.strides[j][d];
        if (++index[d] < p.shape[d]) break;
        for (std::size_t j = 0; j < NIn; ++j) row[j] -= p.strides[j][d] * p.shape[d];
        index[d] = 0;
      }
    }
  }
  if (failedAt >= 0) detail::RaiseElement(function, p.scalar, p.shape, failedAt, failure);
  return r;
}

/// Output k of an element-wise call: a float for a scalar call, else its array.
py::object Output(const ElementwiseResult& r, std::size_t k);

/// values as the call returns them: alone with ErrorMode::Raise, (values, status) with ErrorMode::Mask.
py::object WithStatus(py::object values, const ElementwiseResult& r, ErrorMode mode);

/// The outputs as a dict {names[k]: output k}, with the status as WithStatus.
py::object PackNamed(const ElementwiseResult& r, std::initializer_list<const char*> names, ErrorMode mode);

/// Evaluates f over the broadcast inputs and packs the result (see the top of this file).
template <std::size_t NOut, std::size_t NIn, class F>
py::object Elementwise(const char* function, const Arg (&args)[NIn], ErrorMode mode, F&& f) {
  return detail::Pack(ElementwiseArrays<NOut>(function, args, mode, std::forward<F>(f)), mode);
}

}  // namespace vyr::python
