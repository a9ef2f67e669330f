# Tests of src/combustion/.
vyr_add_test(test_combustion
  combustion/FuelsTest.cpp
  combustion/ProductsTest.cpp
  combustion/EquilibriumTest.cpp
  combustion/CoolEquilibriumTest.cpp
  combustion/StationEquilibriumTest.cpp)
