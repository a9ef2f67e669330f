# UI test programs: GoogleTest with QTest's event helpers, run on Qt's offscreen
# platform. Under the sanitizer build, LeakSanitizer ignores only what Qt and
# the font libraries keep for the life of the process (lsan.supp).
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

add_library(vyr_qt_test_main STATIC ${CMAKE_CURRENT_LIST_DIR}/QtTestMain.cpp)
target_link_libraries(vyr_qt_test_main PUBLIC GTest::gtest Qt6::Widgets)

function(vyr_add_ui_test name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE vyrcomp::ui vyr_qt_test_main Qt6::Test)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/ui/lsan.supp:print_suppressions=0")
endfunction()

foreach(folder vcl fieldctrls handles components forms complib)
  include(${PROJECT_SOURCE_DIR}/tests/${folder}/ui_tests.cmake OPTIONAL)
endforeach()
