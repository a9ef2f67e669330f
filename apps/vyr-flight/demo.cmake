# vyr-flight: the flight-condition form (field controls, CalcFlyCon, XML).
add_executable(vyr-flight
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlightForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlightForm.h)
set_target_properties(vyr-flight PROPERTIES AUTOMOC ON)
target_include_directories(vyr-flight PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(vyr-flight PRIVATE vyrdemo)
