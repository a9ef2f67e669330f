# forms/: the component data form base (unit vyrcompf).
list(APPEND VYR_UI_SOURCES
  forms/vyrcompf.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  forms/vyrcompf.h
)
