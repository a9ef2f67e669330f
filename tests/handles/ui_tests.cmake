# Tests of src/handles/ (UI library): the stretch handle.
vyr_add_ui_test(test_handles
  handles/StretchHandleTest.cpp)
