# The cycle benchmark runs the vyr program's calculations.
if(TARGET vyrcli)
  target_link_libraries(bench_cycle PRIVATE vyrcli)
endif()
if(NOT TARGET vyrcli)
  set_target_properties(bench_cycle PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
