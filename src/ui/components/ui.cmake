# components/: component icons and the links between them on the model canvas
# (unit vyrcompl).
list(APPEND VYR_UI_SOURCES
  components/vyrcompl.cpp
  components/VyrCanvas.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  components/vyrcompl.h
)
