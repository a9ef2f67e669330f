# vyr-canvas: the model canvas with a sample engine, moved with the stretch
# handle, saved to and loaded from a model file.
add_executable(vyr-canvas
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CanvasView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CanvasView.h
  ${CMAKE_CURRENT_LIST_DIR}/SampleEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SampleEngine.h)
set_target_properties(vyr-canvas PROPERTIES AUTOMOC ON)
target_include_directories(vyr-canvas PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vyr-canvas PRIVATE vyrdemo)
