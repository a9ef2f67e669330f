# Tests of src/fieldctrls/ (UI library).
vyr_add_ui_test(test_fieldctrls
  fieldctrls/NumInputQueryTest.cpp
  fieldctrls/FieldFormTest.cpp
  fieldctrls/FlightConditionFieldsTest.cpp)
# Replaces operator new to watch allocation sizes: a program of its own.
vyr_add_ui_test(test_fieldlimits
  fieldctrls/FieldLimitsTest.cpp)
