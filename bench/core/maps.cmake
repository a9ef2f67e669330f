# The map benchmark reads the maps shipped with the examples.
target_compile_definitions(bench_maps PRIVATE VYR_MAPS_DIR="${PROJECT_SOURCE_DIR}/examples/maps")
