# Tests of src/vcl/ (UI library).
vyr_add_ui_test(test_vcl
  vcl/ClassRegistryTest.cpp
  vcl/VyrMessageBoxTest.cpp)
