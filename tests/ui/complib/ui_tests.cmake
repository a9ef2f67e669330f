# Tests of src/complib/ (UI library).
vyr_add_ui_test(test_complib
  complib/ComplibfrmTest.cpp)
