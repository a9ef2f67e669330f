# Sources and public headers of atmosphere/ in the core library.
list(APPEND VYR_CORE_PUBLIC_HEADERS
  atmosphere/Atmosphere.h
  atmosphere/FlightConditions.h
)
