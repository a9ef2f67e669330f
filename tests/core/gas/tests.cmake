# Tests of src/gas/.
vyr_add_test(test_gas
  gas/GasTablesTest.cpp
  gas/GasPropertiesTest.cpp
  gas/GasIterationsTest.cpp
  gas/TransportTest.cpp
  gas/ProcessesTest.cpp
  gas/StaticsTest.cpp)
