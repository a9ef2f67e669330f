# Sources and public headers of package/ in the core library.
list(APPEND VYR_CORE_SOURCES
  package/Package.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  package/Package.h
)
