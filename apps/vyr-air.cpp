// Example program: the sea-level standard state and the properties of dry air
// at a few temperatures.
#include <cstdio>

#include "VYRglobal.h"

int main() {
  using namespace vyr;
  std::printf("Sea-level standard air\n");
  std::printf("  Pt = %.3f Pa, Tt = %.2f K, R = %.4f J/(kg K), gamma = %.5f\n", StandardAir.Pt,
              StandardAir.Tt, R_st, gamma_st);
  std::printf("  rho = %.5f kg/m3, a = %.3f m/s, H = %.2f J/kg, S = %.3f J/(kg K), Cp = %.3f J/(kg K)\n\n",
              Rho_slst, a_slst, StandardAir.H, StandardAir.S, StandardAir.Cp);

  std::printf("Dry air at %.0f Pa\n", P_slst);
  std::printf("%8s %14s %12s %10s %9s %12s %10s\n", "T [K]", "H [J/kg]", "Cp [J/kgK]", "R [J/kgK]", "gamma",
              "S [J/kgK]", "a [m/s]");
  for (double T : {200.0, 288.15, 500.0, 1000.0, 1500.0, 2000.0, 2500.0}) {
    std::printf("%8.2f %14.2f %12.3f %10.4f %9.5f %12.3f %10.3f\n", T, FH(T, Air), FCp(T, Air), FR(Air),
                FGm(T, Air), FS(T, P_slst, Air), FCs(T, Air));
  }
  return 0;
}
