# vyr-handles: the stretch handle on a canvas of 200 panels. The canvas is a
# library of its own, so that the benchmarks repaint the same canvas.
add_library(vyrhandlescanvas STATIC ${CMAKE_CURRENT_LIST_DIR}/HandlesCanvas.cpp)
set_target_properties(vyrhandlescanvas PROPERTIES AUTOMOC ON)
target_include_directories(vyrhandlescanvas PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vyrhandlescanvas PUBLIC vyrcomp::ui)

add_executable(vyr-handles ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(vyr-handles PRIVATE vyrhandlescanvas vyrdemo)
