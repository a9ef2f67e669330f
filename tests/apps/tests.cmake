# Tests of the vyr program: its calculations, and the program run as a user runs it.
if(VYR_BUILD_APPS)
  vyr_add_test(test_apps
    apps/TurbojetTest.cpp
    apps/CliTest.cpp)
  target_link_libraries(test_apps PRIVATE vyrcli)
  target_compile_definitions(test_apps PRIVATE VYR_EXE="$<TARGET_FILE:vyr>")
  add_dependencies(test_apps vyr)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
# The model editor (vyr-editor), on Qt's offscreen platform.
if(TARGET vyreditorlib)
  include(${CMAKE_CURRENT_LIST_DIR}/editor/editor.cmake)
endif()
