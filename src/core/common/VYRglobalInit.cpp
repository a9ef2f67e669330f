#include "VYRglobal.h"

#include <cmath>

namespace vyr {

namespace {

void InitStandardAir() {
  // Standard-air constants, in dependency order.
  R_st = FR(Air);
  gamma_st = FGm(T_slst, Air);
  Rho_slst = P_slst / R_st / T_slst;
  a_slst = std::sqrt(gamma_st * R_st * T_slst);

  TGasconditions s{};
  s.Ps = s.Pt = P_slst;
  s.Ts = s.Tt = T_slst;
  s.W = 0.0;
  s.FARat = 0.0;
  s.RTtheta = 1.0;
  s.Delta = 1.0;
  s.Wc = 0.0;
  s.Ttis = s.Tt;
  s.H = FH(s.Tt, Air);
  s.His = s.H;
  s.A = s.V = s.Mach = 0.0;
  s.S = FS(s.Tt, s.Pt, Air);
  s.Cp = FCp(s.Tt, Air);
  s.Composition = Air;
  StandardAir = s;
}

}  // namespace

void InitVYRglobal() {
  // Clipboard list, application folder name, program and user folders.
  InitVYRglobalVocabulary();
  InitStandardAir();
  InitStationEquilibrium();
}

void DoneVYRglobal() {
  // The standard-air values stay valid until the library is unloaded.
  DoneStationEquilibrium();
  DoneVYRglobalVocabulary();
}

}  // namespace vyr
