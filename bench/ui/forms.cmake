# The field-form benchmark needs the UI library; it is left out of the build without it.
if(TARGET vyrcomp_ui)
  target_link_libraries(bench_forms PRIVATE vyrcomp::ui)
else()
  set_target_properties(bench_forms PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
