# Tests of src/handles/ (UI library): the stretch handle, alone and on the
# canvas of the vyr-handles demo.
vyr_add_ui_test(test_handles
  handles/StretchHandleTest.cpp
  handles/HandlesCanvasTest.cpp
  ${PROJECT_SOURCE_DIR}/apps/vyr-handles/HandlesCanvas.cpp)
target_include_directories(test_handles PRIVATE ${PROJECT_SOURCE_DIR}/apps/vyr-handles)
