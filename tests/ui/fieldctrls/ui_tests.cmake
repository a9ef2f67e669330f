# Tests of src/fieldctrls/ (UI library).
vyr_add_ui_test(test_fieldctrls
  fieldctrls/NumInputQueryTest.cpp
  fieldctrls/FieldFormTest.cpp
  fieldctrls/FlightConditionFieldsTest.cpp)
