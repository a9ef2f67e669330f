# Sources and public headers of numinp/ in the core library.
list(APPEND VYR_CORE_SOURCES
  numinp/Numinp.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  numinp/Numinp.h
)
