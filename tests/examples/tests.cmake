# Tests of the example component library and the example engine models.
# The load test does not link the library: it loads it as a host does.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
vyr_add_ui_test(test_gaspath_load examples/GaspathLoadTest.cpp)
target_compile_definitions(test_gaspath_load PRIVATE VYR_GASPATH_LIBRARY="$<TARGET_FILE:vyrgaspath>")
add_dependencies(test_gaspath_load vyrgaspath)
target_link_libraries(test_gaspath_load PRIVATE ${CMAKE_DL_LIBS})

# Writes examples/turbojet.xml, turbofan.xml and turbojet-maps.xml (not a test).
add_executable(gaspath_models examples/WriteModels.cpp examples/EngineModels.cpp)
set_target_properties(gaspath_models PROPERTIES AUTOMOC ON)
target_link_libraries(gaspath_models PRIVATE vyrcomp::ui ${CMAKE_DL_LIBS})
target_include_directories(gaspath_models PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/examples)
target_compile_definitions(gaspath_models PRIVATE VYR_GASPATH_LIBRARY="$<TARGET_FILE:vyrgaspath>"
  VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
add_dependencies(gaspath_models vyrgaspath)

# The forms and the engines on the library, in-process.
vyr_add_ui_test(test_gaspath examples/GaspathFormsTest.cpp examples/GaspathModelsTest.cpp
  examples/GaspathEngineTest.cpp examples/EngineModels.cpp)
target_compile_definitions(test_gaspath PRIVATE VYR_GASPATH_LIBRARY="$<TARGET_FILE:vyrgaspath>"
  VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
target_include_directories(test_gaspath PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/examples)
add_dependencies(test_gaspath vyrgaspath)
target_link_libraries(test_gaspath PRIVATE ${CMAKE_DL_LIBS})

# The example models run by the vyr program.
if(VYR_BUILD_APPS)
  find_package(nlohmann_json REQUIRED)
  vyr_add_test(test_gaspath_run examples/GaspathRunTest.cpp)
  target_link_libraries(test_gaspath_run PRIVATE nlohmann_json::nlohmann_json)
  target_compile_definitions(test_gaspath_run PRIVATE VYR_EXE="$<TARGET_FILE:vyr>"
    VYR_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
  add_dependencies(test_gaspath_run vyr vyrgaspath)
  if(TARGET vyrrun)
    add_dependencies(test_gaspath_run vyrrun)
  endif()
endif()
