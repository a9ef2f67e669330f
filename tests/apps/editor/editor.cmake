# Tests of the model editor (vyr-editor) on Qt's offscreen platform, with the
# example component library loaded as the editor loads it.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

function(vyr_add_editor_test name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE vyreditorlib vyrcomp::ui vyrcomp::core vyr_qt_test_main Qt6::Test
    GTest::gtest)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/core ${PROJECT_SOURCE_DIR}/tests/ui
    ${CMAKE_CURRENT_LIST_DIR})
  target_compile_definitions(${name} PRIVATE
    VYR_GASPATH_LIB="$<TARGET_FILE:vyrgaspath>"
    VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples"
    VYR_EDITOR_EXE="$<TARGET_FILE:vyr-editor>")
  add_dependencies(${name} vyrgaspath vyr-editor)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ui ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/ui/lsan.supp:print_suppressions=0")
endfunction()

# The window, the canvas and its edits.
file(GLOB VYR_EDITOR_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/Editor*Test.cpp)
vyr_add_editor_test(test_editor ${VYR_EDITOR_TESTS})
# The results pane.
file(GLOB VYR_RESULTS_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/ResultsTest*.cpp)
if(VYR_RESULTS_TESTS)
  vyr_add_editor_test(test_editor_results ${VYR_RESULTS_TESTS})
endif()
