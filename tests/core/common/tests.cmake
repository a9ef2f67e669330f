# Tests of src/common/.
vyr_add_test(test_common
  common/MessagesTest.cpp
  common/SysUtilsTest.cpp
  common/VYRtypesTest.cpp)

# Tests of the string protection and statistics helpers.
include(${CMAKE_CURRENT_LIST_DIR}/protection_tests.cmake OPTIONAL)
