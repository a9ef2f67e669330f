# fieldctrls/: the field controls and field form on which every data form
# rests, and the number-input dialog.
list(APPEND VYR_UI_SOURCES
  fieldctrls/NumInputQuery.cpp
  fieldctrls/Numinpkq.cpp
  fieldctrls/Fldform.cpp
  fieldctrls/FlightConditionFields.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  fieldctrls/NumInputQuery.h
  fieldctrls/Numinpkq.h
  fieldctrls/Fldform.h
  fieldctrls/FlightConditionFields.h
)
