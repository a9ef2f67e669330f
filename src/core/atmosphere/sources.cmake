# Sources and public headers of atmosphere/ in the core library.
list(APPEND VYR_CORE_SOURCES
  atmosphere/Atmosphere.cpp
  atmosphere/FlightConditions.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  atmosphere/Atmosphere.h
  atmosphere/FlightConditions.h
)
