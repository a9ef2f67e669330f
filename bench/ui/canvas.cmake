# The canvas benchmark builds its canvas from the sample icons of the
# vyr-canvas demo; it needs the UI library and is left out of the build without it.
if(TARGET vyrcomp_ui)
  set_target_properties(bench_canvas PROPERTIES AUTOMOC ON)
  target_sources(bench_canvas PRIVATE
    ${PROJECT_SOURCE_DIR}/apps/vyr-canvas/SampleEngine.cpp
    ${PROJECT_SOURCE_DIR}/apps/vyr-canvas/SampleEngine.h)
  target_include_directories(bench_canvas PRIVATE ${PROJECT_SOURCE_DIR}/apps/vyr-canvas)
  target_link_libraries(bench_canvas PRIVATE vyrcomp::ui)
else()
  set_target_properties(bench_canvas PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
