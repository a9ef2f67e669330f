# Benchmarks of the model editor: edits, undo, paste, opening and repainting
# on a canvas of hundreds of icons, offscreen, with the example component library.
if(TARGET vyreditorlib)
  add_executable(bench_editor ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp)
  target_link_libraries(bench_editor PRIVATE vyreditorlib benchmark::benchmark)
  target_compile_definitions(bench_editor PRIVATE VYR_GASPATH_LIB="$<TARGET_FILE:vyrgaspath>")
  add_dependencies(bench_editor vyrgaspath)
endif()
