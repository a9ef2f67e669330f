#include <cmath>
#include <cstdio>

#include <vyr/VYRglobal.h>

int main() {
  const double cp = vyr::FCp(288.15, vyr::Air);
  std::printf("Cp(288.15 K, air) = %.2f J/(kg K), R_st = %.3f J/(kg K)\n", cp, vyr::R_st);
  return std::fabs(cp - 1004.27) < 0.01 && std::fabs(vyr::R_st - 287.050) < 0.001 ? 0 : 1;
}
