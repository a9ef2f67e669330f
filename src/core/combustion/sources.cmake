# Sources and public headers of combustion/ in the core library.
list(APPEND VYR_CORE_SOURCES
  combustion/Fuels.cpp
  combustion/FuelTemperature.cpp
  combustion/Products.cpp
  combustion/Equilibrium.cpp
  combustion/StationEquilibrium.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  combustion/Fuels.h
  combustion/FuelTemperature.h
  combustion/Products.h
  combustion/Equilibrium.h
  combustion/StationEquilibrium.h
)
