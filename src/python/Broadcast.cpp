// Non-template parts of the element-wise evaluation (see Broadcast.h).
#include "Broadcast.h"

#include <algorithm>
#include <sstream>

namespace vyr::python {

ErrorMode ParseErrors(const std::string& errors) {
  if (errors == "raise") return ErrorMode::Raise;
  if (errors == "mask") return ErrorMode::Mask;
  throw py::value_error("errors must be \"raise\" or \"mask\", not \"" + errors + "\"");
}

std::mutex& CoreMutex() {
  static std::mutex mutex;
  return mutex;
}

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageHandler([this](const TMessage& m) {
    messages_.push_back(m);
    return static_cast<int>(mrOk);
  });
}

MessageRecorder::~MessageRecorder() { SetMessageHandler(std::move(previous_)); }

std::string MessageRecorder::LastText() const {
  if (messages_.empty()) return {};
  std::string text = messages_.back().Text;
  // Lines of a message box become one line: "No convergence in GetT iteration in <caller>".
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

namespace detail {

namespace {

std::string ShapeText(const py::array& a) {
  std::ostringstream s;
  s << '(';
  for (py::ssize_t d = 0; d < a.ndim(); ++d) s << (d ? ", " : "") << a.shape(d);
  if (a.ndim() == 1) s << ',';
  s << ')';
  return s.str();
}

}  // namespace

Prepared Prepare(const char* function, const Arg* args, std::size_t n) {
  Prepared p;
  for (std::size_t j = 0; j < n; ++j) {
    py::handle h = args[j].value;
    if (h.is_none()) {
      throw py::type_error(std::string(function) + ": " + args[j].name + " is missing (None)");
    }
    auto a = py::array_t<double, py::array::forcecast>::ensure(h);
    if (!a) {
      PyErr_Clear();
      throw py::type_error(std::string(function) + ": " + args[j].name +
                           " must be a number or an array of numbers");
    }
    p.scalar = p.scalar && a.ndim() == 0;
    p.arrays.push_back(std::move(a));
  }
  std::size_t ndim = 0;
  for (const auto& a : p.arrays) ndim = std::max(ndim, static_cast<std::size_t>(a.ndim()));
  p.shape.assign(ndim, 1);
  for (const auto& a : p.arrays) {
    const std::size_t off = ndim - a.ndim();
    for (std::size_t d = 0; d < static_cast<std::size_t>(a.ndim()); ++d) {
      const py::ssize_t s = a.shape(d);
      py::ssize_t& out = p.shape[off + d];
      if (s == out || s == 1) continue;
      if (out == 1) {
        out = s;
        continue;
      }
      std::string shapes;
      for (const auto& b : p.arrays) shapes += (shapes.empty() ? "" : " ") + ShapeText(b);
      throw py::value_error(std::string(function) + ": the inputs could not be broadcast together with shapes " +
                            shapes);
    }
  }
  p.size = 1;
  for (py::ssize_t s : p.shape) p.size *= s;
  for (const auto& a : p.arrays) {
    const std::size_t off = ndim - a.ndim();
    std::vector<py::ssize_t> strides(ndim, 0);
    for (std::size_t d = 0; d < static_cast<std::size_t>(a.ndim()); ++d) {
      strides[off + d] = a.shape(d) == 1 ? 0 : a.strides(d);
    }
    p.strides.push_back(std::move(strides));
    p.data.push_back(reinterpret_cast<const char*>(a.data()));
  }
  return p;
}

std::string ElementName(const std::vector<py::ssize_t>& shape, py::ssize_t flat) {
  std::vector<py::ssize_t> index(shape.size(), 0);
  for (std::size_t d = shape.size(); d-- > 0;) {
    if (shape[d] > 0) {
      index[d] = flat % shape[d];
      flat /= shape[d];
    }
  }
  std::ostringstream s;
  if (index.size() == 1) {
    s << index[0];
  } else {
    s << '(';
    for (std::size_t d = 0; d < index.size(); ++d) s << (d ? ", " : "") << index[d];
    s << ')';
  }
  return s.str();
}

void RaiseElement(const char* function, bool scalar, const std::vector<py::ssize_t>& shape, py::ssize_t flat,
                  const std::string& message) {
  // The library's own messages already end with the caller (the function's name).
  const std::string prefix = message.find(function) == std::string::npos ? std::string(function) + ": " : "";
  if (scalar || shape.empty()) throw VyrError(prefix + message);
  throw VyrError(prefix + "element " + ElementName(shape, flat) + ": " + message);
}

std::string NonFiniteText(const char* name) { return std::string(name) + " is not a finite number"; }

py::object Pack(ElementwiseResult&& r, ErrorMode mode) {
  if (r.outputs.size() == 1) return WithStatus(Output(r, 0), r, mode);
  py::tuple t(r.outputs.size());
  for (std::size_t k = 0; k < r.outputs.size(); ++k) t[k] = Output(r, k);
  return WithStatus(t, r, mode);
}

}  // namespace detail

py::object Output(const ElementwiseResult& r, std::size_t k) {
  return r.scalar ? py::object(py::float_(*r.outputs[k].data())) : py::object(r.outputs[k]);
}

py::object WithStatus(py::object values, const ElementwiseResult& r, ErrorMode mode) {
  if (mode == ErrorMode::Raise) return values;
  return py::make_tuple(values, r.scalar ? py::object(py::int_(*r.status.data())) : py::object(r.status));
}

py::object PackNamed(const ElementwiseResult& r, std::initializer_list<const char*> names, ErrorMode mode) {
  py::dict d;
  std::size_t k = 0;
  for (const char* name : names) d[name] = Output(r, k++);
  return WithStatus(d, r, mode);
}

}  // namespace vyr::python
