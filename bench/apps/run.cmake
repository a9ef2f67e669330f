# The host benchmark needs the run module's host (apps/vyr-run/); it is left
# out of the build without the UI library. Its off-design benchmark loads the
# gas-path component library as the host program does.
if(TARGET vyrrunhost)
  target_link_libraries(bench_run PRIVATE vyrrunhost ${CMAKE_DL_LIBS})
  target_include_directories(bench_run PRIVATE ${PROJECT_SOURCE_DIR}/bench/ui)
  target_compile_definitions(bench_run PRIVATE VYR_EXE="$<TARGET_FILE:vyr>"
    VYR_EXAMPLE_MODEL="${PROJECT_SOURCE_DIR}/examples/turbojet.xml"
    VYR_MAPS_MODEL="${PROJECT_SOURCE_DIR}/examples/turbojet-maps.xml"
    VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
  add_dependencies(bench_run vyr vyrrun)
  if(TARGET vyrgaspath)
    target_compile_definitions(bench_run PRIVATE VYR_GASPATH_LIBRARY="$<TARGET_FILE:vyrgaspath>")
    add_dependencies(bench_run vyrgaspath)
  else()
    target_compile_definitions(bench_run PRIVATE VYR_GASPATH_LIBRARY="")
  endif()
else()
  set_target_properties(bench_run PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
