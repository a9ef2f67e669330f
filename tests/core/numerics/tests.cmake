# Tests of src/numerics/.
vyr_add_test(test_numerics
  numerics/ZeroinTest.cpp
  numerics/LUDECTest.cpp
  numerics/RKF45Test.cpp
  numerics/HeapCount.cpp)
