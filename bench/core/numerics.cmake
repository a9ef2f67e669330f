# The numerics benchmark runs beside reference LAPACK and GSL; only this
# program links them.
find_package(LAPACK REQUIRED)
find_package(GSL REQUIRED)
target_link_libraries(bench_numerics PRIVATE LAPACK::LAPACK GSL::gsl)
