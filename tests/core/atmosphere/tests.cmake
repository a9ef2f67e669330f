# Tests of src/atmosphere/.
vyr_add_test(test_atmosphere
  atmosphere/AtmosphereTest.cpp
  atmosphere/FlightConditionsTest.cpp)
