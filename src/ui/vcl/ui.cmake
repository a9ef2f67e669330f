# vcl/: the toolkit layer of the UI library (class registry, message boxes)
# and the general utilities.
list(APPEND VYR_UI_SOURCES
  vcl/ClassRegistry.cpp
  vcl/VyrMessageBox.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  vcl/VyrUiExport.h
  vcl/ClassRegistry.h
  vcl/VyrMessageBox.h
)

# General utilities (the widget-free ones are in the core's utils/).
list(APPEND VYR_UI_SOURCES
  vcl/VYRutils.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  vcl/VYRutils.h
)
