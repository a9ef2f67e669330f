# Tests of src/vcl/ (UI library).
vyr_add_ui_test(test_vcl
  vcl/ClassRegistryTest.cpp
  vcl/VyrMessageBoxTest.cpp)

# General utilities on widgets, and the single-instance hand-over between two
# processes (the second one is vyr_instance_helper).
add_executable(vyr_instance_helper vcl/InstanceHelper.cpp)
target_link_libraries(vyr_instance_helper PRIVATE vyrcomp::ui)
vyr_add_ui_test(test_vyrutils
  vcl/VYRutilsTest.cpp
  vcl/SingleInstanceTest.cpp)
target_compile_definitions(test_vyrutils PRIVATE VYR_INSTANCE_HELPER="$<TARGET_FILE:vyr_instance_helper>")
add_dependencies(test_vyrutils vyr_instance_helper)
