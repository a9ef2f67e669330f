# forms/: the component data form base (units VYRFldForm and vyrcompf).
list(APPEND VYR_UI_SOURCES
  forms/VYRFldForm.cpp
  forms/vyrcompf.cpp
  forms/vyrcompfProps.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  forms/VYRFldForm.h
  forms/vyrcompf.h
)
