# "vyr run" on a component library of the tests, which the program loads with
# --complib; the test program runs vyr as a user does and links neither.
if(TARGET vyrrun)
  add_library(vyrruntestlib SHARED apps/runlib/RunTestForms.cpp apps/runlib/RunTestForms.h)
  set_target_properties(vyrruntestlib PROPERTIES
    AUTOMOC ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/runlib)
  target_link_libraries(vyrruntestlib PRIVATE vyrcomp::ui)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(vyrruntestlib PRIVATE -fno-gnu-unique)
  endif()

  vyr_add_test(test_run apps/RunTest.cpp)
  target_link_libraries(test_run PRIVATE nlohmann_json::nlohmann_json)
  target_compile_definitions(test_run PRIVATE VYR_EXE="$<TARGET_FILE:vyr>"
    VYR_RUNLIB="$<TARGET_FILE:vyrruntestlib>" VYR_RUN_MODELS="${CMAKE_CURRENT_SOURCE_DIR}/apps/models")
  add_dependencies(test_run vyr vyrrun vyrruntestlib)
endif()
