# Tests of src/core/engine/.
vyr_add_test(test_engine
  engine/TurbofanTest.cpp
  engine/ComponentFailureTest.cpp
  engine/NewtonSolverTest.cpp
  engine/OffDesignTest.cpp
  engine/LimitParseTest.cpp
  engine/NozzleTest.cpp)

# The compressor and turbine map reader, on the maps shipped with the examples.
vyr_add_test(test_maps engine/MapsTest.cpp)
target_compile_definitions(test_maps PRIVATE VYR_MAPS_DIR="${PROJECT_SOURCE_DIR}/examples/maps")
target_compile_definitions(test_engine PRIVATE VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
