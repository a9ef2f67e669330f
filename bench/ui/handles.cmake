# The stretch-handle benchmark repaints the canvas of the vyr-handles demo; it
# needs the UI library and is left out of the build without it.
if(TARGET vyrcomp_ui)
  set_target_properties(bench_handles PROPERTIES AUTOMOC ON)
  target_sources(bench_handles PRIVATE ${PROJECT_SOURCE_DIR}/apps/vyr-handles/HandlesCanvas.cpp)
  target_include_directories(bench_handles PRIVATE ${PROJECT_SOURCE_DIR}/apps/vyr-handles)
  target_link_libraries(bench_handles PRIVATE vyrcomp::ui)
else()
  set_target_properties(bench_handles PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
