# Tests of src/forms/ (UI library): the component form base and the icon's
# form by class name.
vyr_add_ui_test(test_forms
  forms/VyrCompformTest.cpp)
