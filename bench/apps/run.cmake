# The host benchmark needs the run module's host (apps/vyr-run/); it is left
# out of the build without the UI library.
if(TARGET vyrrunhost)
  target_link_libraries(bench_run PRIVATE vyrrunhost)
  target_include_directories(bench_run PRIVATE ${PROJECT_SOURCE_DIR}/bench/ui)
  target_compile_definitions(bench_run PRIVATE VYR_EXE="$<TARGET_FILE:vyr>"
    VYR_EXAMPLE_MODEL="${PROJECT_SOURCE_DIR}/examples/turbojet.xml"
    VYR_MAPS_MODEL="${PROJECT_SOURCE_DIR}/examples/turbojet-maps.xml")
  add_dependencies(bench_run vyr vyrrun)
else()
  set_target_properties(bench_run PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
