# Tests of src/numinp/.
vyr_add_test(test_numinp
  numinp/NuminpTest.cpp)
