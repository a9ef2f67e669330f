# Tests of the Python module: pytest, one CTest per test file so that they
# run in parallel, each against the package assembled in <build>/python.
file(GLOB VYR_PYTHON_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/python/test_*.py)
set(_vyr_py_env "PYTHONPATH=${PROJECT_BINARY_DIR}/python" "PYTHONDONTWRITEBYTECODE=1")
if(VYR_SANITIZE)
  # The interpreter is not built with the sanitizers: their runtime is loaded
  # first, and leak detection is off because the interpreter keeps its
  # objects until exit.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                  OUTPUT_VARIABLE _vyr_asan OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libubsan.so
                  OUTPUT_VARIABLE _vyr_ubsan OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND _vyr_py_env "LD_PRELOAD=${_vyr_asan}:${_vyr_ubsan}"
       "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:halt_on_error=1")
endif()
foreach(f IN LISTS VYR_PYTHON_TESTS)
  get_filename_component(stem ${f} NAME_WE)
  add_test(NAME python_${stem}
    COMMAND ${Python3_EXECUTABLE} -m pytest -q -p no:cacheprovider ${f}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  set_tests_properties(python_${stem} PROPERTIES LABELS python ENVIRONMENT "${_vyr_py_env}")
endforeach()
