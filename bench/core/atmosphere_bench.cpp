// Flight-condition calculation and the string protection helpers.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "VYRglobal.h"

namespace {

using namespace vyr;

// Altitudes over the layers of the standard atmosphere [m].
constexpr double kAltitudes[] = {-3000.0, 2000.0, 9000.0, 15000.0, 26000.0, 40000.0, 49000.0, 60000.0};

// Flight condition from Mach number (0) or calibrated airspeed (2); the
// supersonic case takes the iterative calibrated airspeed.
void BM_CalcFlyCon(benchmark::State& st) {
  const int option = static_cast<int>(st.range(0));
  const double mach = st.range(1) / 10.0;
  std::size_t k = 0;
  for (auto _ : st) {
    TAmbConditions a;
    a.Zp = kAltitudes[k++ & 7];
    a.dTs = 5.0;
    a.Mach = mach;
    a.Vc = mach * 300.0;
    benchmark::DoNotOptimize(CalcFlyCon(1, option, a));
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_CalcFlyCon)->Args({0, 8})->Args({0, 25})->Args({2, 8})->Args({2, 25});

// Encryption of a 64-character text; the second text needs the code-page conversion.
void BM_EncryptString(benchmark::State& st) {
  // 48 letters and 16 characters of two bytes in UTF-8 (e acute, u umlaut, sharp s, guillemet).
  const std::string text =
      st.range(0) == 0 ? std::string(64, 'x')
                       : std::string(48, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC"
                                                "\xC3\x9F\xC3\x9F\xC3\x9F\xC3\x9F\xC2\xAB\xC2\xAB\xC2\xAB\xC2\xAB";
  st.SetLabel(st.range(0) == 0 ? "ASCII" : "Windows-1252");
  for (auto _ : st) benchmark::DoNotOptimize(EncryptString(text, "a key text"));
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * 64);
}
BENCHMARK(BM_EncryptString)->Arg(0)->Arg(1);

void BM_HashString(benchmark::State& st) {
  const std::string text(256, 'h');
  for (auto _ : st) benchmark::DoNotOptimize(HashString(text));
}
BENCHMARK(BM_HashString);

}  // namespace
