# Tests of the vyr program: its calculations, and the program run as a user runs it.
if(VYR_BUILD_APPS)
  vyr_add_test(test_apps
    apps/TurbojetTest.cpp
    apps/CliTest.cpp)
  target_link_libraries(test_apps PRIVATE vyrcli)
  target_compile_definitions(test_apps PRIVATE VYR_EXE="$<TARGET_FILE:vyr>"
    VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
  add_dependencies(test_apps vyr)
  # "vyr run" off design: the run module and the example component library.
  if(TARGET vyrrun AND TARGET vyrgaspath)
    add_dependencies(test_apps vyrrun vyrgaspath)
    target_compile_definitions(test_apps PRIVATE VYR_HAS_RUN=1)
  endif()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
# The model editor (vyr-editor), on Qt's offscreen platform.
if(TARGET vyreditorlib)
  include(${CMAKE_CURRENT_LIST_DIR}/editor/editor.cmake)
endif()
