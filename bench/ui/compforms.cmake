# The component-form model benchmark needs the UI library (and moc for its form
# class); it is left out of the build without it.
if(TARGET vyrcomp_ui)
  target_link_libraries(bench_compforms PRIVATE vyrcomp::ui)
  set_target_properties(bench_compforms PROPERTIES AUTOMOC ON)
else()
  set_target_properties(bench_compforms PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
