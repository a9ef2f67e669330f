# complib/: the component library window.
list(APPEND VYR_UI_SOURCES
  complib/complibfrm.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  complib/complibfrm.h
)
