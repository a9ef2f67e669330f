# Tests of src/modelfile/: queries, paths, copying, merging, comparing, and
# loading and saving model files. The fixtures live in modelfile/data.
vyr_add_test(test_modelfile
  modelfile/XmlTextTest.cpp
  modelfile/ModelFileQueriesTest.cpp
  modelfile/ModelFilePathsTest.cpp
  modelfile/ModelFileCopyTest.cpp
  modelfile/ModelFileLoadSaveTest.cpp
  modelfile/ModelFileSafeIoTest.cpp)
target_compile_definitions(test_modelfile PRIVATE VYR_MODELFILE_DATA="${CMAKE_CURRENT_LIST_DIR}/data")

# The fuzz target, built with clang in a build of its own, run over its stored
# corpus and then for a fixed number of inputs from a fixed seed, so that a
# finding repeats. The sanitizer build of the suite skips it: the fuzzer runs
# with the same sanitizers anyway. Exclude it with "ctest -LE fuzz".
if(NOT VYR_SANITIZE)
  find_program(VYR_CLANGXX NAMES clang++ clang++-14)
  if(VYR_CLANGXX)
    add_test(NAME ModelFileFuzz
      COMMAND ${CMAKE_COMMAND}
        -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
        -DFUZZ_DIR=${CMAKE_CURRENT_LIST_DIR}/fuzz
        -DSEED_DIR=${CMAKE_CURRENT_LIST_DIR}/data
        -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/modelfile_fuzz
        -DCXX=${VYR_CLANGXX}
        -DGENERATOR=${CMAKE_GENERATOR}
        -DSEED=20261210
        -DRUNS=6000
        -P ${CMAKE_CURRENT_LIST_DIR}/fuzz/RunFuzz.cmake)
    set_tests_properties(ModelFileFuzz PROPERTIES LABELS fuzz TIMEOUT 900)
  else()
    message(WARNING "clang++ not found: the model-file fuzz test is not added")
  endif()
endif()
