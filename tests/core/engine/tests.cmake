# Tests of src/core/engine/.
vyr_add_test(test_engine
  engine/TurbofanTest.cpp
  engine/ComponentFailureTest.cpp
  engine/NewtonSolverTest.cpp)
