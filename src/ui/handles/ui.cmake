# handles/: the stretch handle that selects, moves and resizes controls on a
# design surface (HandlesKQ).
list(APPEND VYR_UI_SOURCES
  handles/HandlesKQ.cpp
)
list(APPEND VYR_UI_PUBLIC_HEADERS
  handles/HandlesKQ.h
)
