# Tests of src/components/ (UI library): links, icons, their drawing and their
# model-file form, on the sample icons of the canvas demo.
vyr_add_ui_test(test_components
  components/LinkRulesTest.cpp
  components/LinkingTest.cpp
  components/DrawingTest.cpp
  components/CanvasXmlTest.cpp
  components/CanvasLinkTest.cpp
  components/HandleDragTest.cpp
  components/CanvasViewTest.cpp
  ${PROJECT_SOURCE_DIR}/apps/vyr-canvas/CanvasView.cpp
  ${PROJECT_SOURCE_DIR}/apps/vyr-canvas/CanvasView.h
  ${PROJECT_SOURCE_DIR}/apps/vyr-canvas/SampleEngine.cpp
  ${PROJECT_SOURCE_DIR}/apps/vyr-canvas/SampleEngine.h)
target_include_directories(test_components PRIVATE
  ${PROJECT_SOURCE_DIR}/tests/ui/components ${PROJECT_SOURCE_DIR}/apps/vyr-canvas)
