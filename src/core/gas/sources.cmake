# Sources and public headers of gas/ in the core library.
list(APPEND VYR_CORE_SOURCES
  gas/GasTables.cpp
  gas/GasProperties.cpp
  gas/GasIterations.cpp
  gas/Transport.cpp
  gas/Processes.cpp
  gas/Statics.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  gas/GasTypes.h
  gas/GasProperties.h
  gas/GasIterations.h
  gas/Transport.h
  gas/Processes.h
  gas/Statics.h
)
