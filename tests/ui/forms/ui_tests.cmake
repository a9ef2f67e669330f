# Tests of src/forms/ (UI library): the component form base, its pages, hooks,
# properties and report, and the icon's form by class name.
vyr_add_ui_test(test_forms
  forms/FormKit.h
  forms/VyrCompformTest.cpp
  forms/CompformPagesTest.cpp
  forms/CompformPropertiesTest.cpp
  forms/CompformModelFileTest.cpp)
