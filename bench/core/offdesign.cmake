# The off-design benchmark reads the maps shipped with the examples.
target_compile_definitions(bench_offdesign PRIVATE VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
