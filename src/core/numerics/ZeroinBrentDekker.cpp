// Brent-Dekker zero finder.
//
// R. P. Brent, Algorithms for Minimization without Derivatives, Prentice-Hall
// 1973, ch. 4; G. E. Forsythe, M. A. Malcolm and C. B. Moler, Computer Methods
// for Mathematical Computations, Prentice-Hall 1977, sec. 7.2 (ZEROIN).
#include "ZeroinBrentDekker.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <ios>
#include <optional>
#include <string>
#include <system_error>

#include "Messages.h"
#include "SysUtils.h"

namespace vyr {

namespace {

// Smallest tolerance the search works to; smaller ones are raised to it.
constexpr double kTolFloor = 1e-15;

// Significant digits of the trace's scientific notation.
constexpr int kScientificDigits = 15;

// Fixed notation of the trace: right-aligned in 20 characters, 14 decimals.
std::string Fixed(double x) { return Format("%20.14f", {x}); }

// Scientific notation of the trace, as a text writer writes a double without
// a width: a blank or "-", 15 significant digits, "E", the exponent's sign and
// four exponent digits, e.g. " 1.00000000000000E-0005". The digits are the
// shortest decimal form rounded half away from zero, as FloatToStr rounds.
std::string Scientific(double x) {
  if (std::isnan(x)) return " NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : " INF";

  std::string digits;
  int exponent = 0;
  if (x != 0.0) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
    const char* p = buf;
    for (; p != res.ptr && *p != 'e'; ++p) {
      if (*p != '.') digits += *p;
    }
    if (p != res.ptr) {
      ++p;
      if (*p == '+') ++p;
      std::from_chars(p, res.ptr, exponent);
    }
    if (static_cast<int>(digits.size()) > kScientificDigits) {
      const bool up = digits[kScientificDigits] >= '5';
      digits.resize(kScientificDigits);
      if (up) {
        int i = kScientificDigits - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
          ++digits[static_cast<std::size_t>(i)];
        } else {
          digits.insert(digits.begin(), '1');
          digits.pop_back();
          ++exponent;
        }
      }
    }
  }
  digits.resize(kScientificDigits, '0');

  std::string out;
  out.reserve(24);
  out += x < 0 ? '-' : ' ';
  out += digits[0];
  out += '.';
  out.append(digits, 1, std::string::npos);
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  const std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
  if (e.size() < 4) out.append(4 - e.size(), '0');
  out += e;
  return out;
}

// The trace file: one line per item, closed on every way out of zeroin. Any
// failure to create or write it throws std::ios_base::failure.
class TraceWriter {
 public:
  explicit TraceWriter(std::string_view name) : name_(name) {
    errno = 0;
    out_.open(name_, std::ios::out | std::ios::trunc);
    if (!out_) Fail("Cannot create trace file");
  }

  void Line(const std::string& text) {
    out_ << text << '\n';
    if (!out_) Fail("Cannot write trace file");
  }

  void Close() {
    out_.close();
    if (!out_) Fail("Cannot write trace file");
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    const int err = errno;
    const std::error_code code =
        err != 0 ? std::error_code(err, std::generic_category()) : std::make_error_code(std::io_errc::stream);
    throw std::ios_base::failure(std::string(what) + " \"" + name_ + "\"", code);
  }

  std::string name_;
  std::ofstream out_;
};

}  // namespace

bool zeroin(double AbsTol, double RelTol, int MaxCalls, std::string_view CallerID, std::string_view TraceFile,
            double X1, double X2, double& XZero, double& FX, int& NrOfCalls, int& Flag,
            const TZeroIntDoubleFunction& F) {
  int flag = 0;
  int calls = 0;
  std::string message;

  // Both end points are evaluated before any argument is looked at.
  double a = X1, b = X2;
  double fa = F(a);
  double fb = F(b);
  calls = 2;

  // The product as a double: an underflow to zero counts as a zero end value.
  const double product = fa * fb;
  if (!(product <= 0.0)) {  // also NaN
    flag = -1;
    message = "Zeroint end points y values have same sign";
  } else if (product == 0.0) {
    flag = 2;
    message = "Zeroint end point value zero";
  } else if (!(AbsTol >= 0.0) || !(RelTol >= 0.0) || !(AbsTol + RelTol > 0.0) || MaxCalls < 1) {
    flag = -2;
    message = "Illegal Zeroint tolerance or max. function calls<1";
  }

  std::optional<TraceWriter> trace;
  if (flag == 0) {
    // Tolerance floor: a tolerance that is in use is never below kTolFloor.
    if (RelTol == 0.0 && AbsTol < kTolFloor) {
      AbsTol = kTolFloor;
    } else if (AbsTol == 0.0 && RelTol < kTolFloor) {
      RelTol = kTolFloor;
    } else {
      if (AbsTol < kTolFloor) AbsTol = kTolFloor;
      if (RelTol < kTolFloor) RelTol = kTolFloor;
    }

    if (!TraceFile.empty()) trace.emplace(TraceFile);

    // b is the best estimate, c the point with the zero between b and c,
    // a the previous b; d the last step and e the one before it.
    double c = 0.0, fc = fb, d = 0.0, e = 0.0;
    for (;;) {
      if (fb * (fc / std::fabs(fc)) > 0.0) {
        c = a;
        fc = fa;
        d = b - a;
        e = d;
      }
      if (std::fabs(fc) < std::fabs(fb)) {
        a = b;
        b = c;
        c = a;
        fa = fb;
        fb = fc;
        fc = fa;
      }
      if (trace) {
        trace->Line(" a  = " + Fixed(a) + " b  = " + Fixed(b) + " c  = " + Fixed(c));
        trace->Line(" fa = " + Fixed(fa) + " fb = " + Fixed(fb) + " fc = " + Fixed(fc));
      }

      const double tol1 = 0.5 * (std::fabs(b) * RelTol + AbsTol);
      const double xm = 0.5 * (c - b);
      if (trace) trace->Line(" xm =" + Scientific(xm) + " tol1 = " + Scientific(tol1));

      if (std::fabs(xm) <= tol1) {
        flag = 0;
        break;
      }
      if (fb == 0.0) {
        flag = 1;
        break;
      }

      // Interpolate when the step before last was large enough and fa is the
      // larger value; fall back to bisection when the interpolated step leaves
      // the bracket or does not halve the step before last.
      double r = 0.0;
      bool bisect = true;
      if (!(std::fabs(e) < tol1) && !(std::fabs(fa) <= std::fabs(fb))) {
        double p, q, s;
        if (a == c) {
          // Secant (linear interpolation) through a and b.
          s = fb / fa;
          p = 2.0 * xm * s;
          q = 1.0 - s;
        } else {
          // Inverse quadratic interpolation through a, b and c.
          q = fa / fc;
          r = fb / fc;
          s = fb / fa;
          p = s * (2.0 * xm * q * (q - r) - (b - a) * (r - 1.0));
          q = (q - 1.0) * (r - 1.0) * (s - 1.0);
        }
        if (p > 0.0) {
          q = -q;
        } else {
          p = std::fabs(p);
        }
        if (2.0 * p < 3.0 * xm * q - std::fabs(tol1 * q) && p < std::fabs(0.5 * e * q)) {
          e = d;
          d = p / q;
          bisect = false;
          if (trace) trace->Line(r == 0.0 ? " Secant method" : " Inverse quadratic interpolation");
        }
      }
      if (bisect) {
        e = xm;
        d = e;
        if (trace) trace->Line(" Bisection");
      }

      a = b;
      fa = fb;
      if (std::fabs(d) > tol1) {
        b += d;
        if (trace) trace->Line(" Difference d from new b: " + Fixed(d));
      } else {
        // Step by the tolerance towards c.
        const double sign = xm > 0.0 ? 1.0 : (xm < 0.0 ? -1.0 : 0.0);
        b += sign * std::fabs(tol1);
        if (trace) {
          trace->Line(xm < 0.0 ? " Subtract error bound: d = " + Fixed(-tol1)
                               : " Add error bound: d = " + Fixed(tol1));
        }
      }

      fb = F(b);
      ++calls;
      if (trace) {
        trace->Line(" b = " + Fixed(b) + " fb= " + Fixed(fb) + " Number of functional evaluations = " +
                    IntToStr(calls));
      }
      if (calls > MaxCalls) {
        flag = 3;
        message = Format("Max nr. of %d Zeroint function calls reached", {MaxCalls});
        break;
      }
    }
  }

  XZero = b;
  FX = fb;
  NrOfCalls = calls;
  Flag = flag;

  bool result = true;
  if (flag != 0 && flag != 1 && !CallerID.empty()) {
    message += " in ";
    message += CallerID;
    MessageDlg(message, mtError, {mbOK}, 0);
    if (trace) trace->Line(message);
    result = false;
  }
  if (trace) trace->Close();
  return result;
}

}  // namespace vyr
