# package/: start-up and shut-down of the UI library's units.
list(APPEND VYR_UI_SOURCES
  package/UiPackage.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  package/UiPackage.h
)
