# Tests of src/utils/.
vyr_add_test(test_utils
  utils/VYRutilsCoreTest.cpp)
