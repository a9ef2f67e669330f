# Sources and public headers of engine/ in the core library.
list(APPEND VYR_CORE_SOURCES
  engine/EngineState.cpp
  engine/EngineFuel.cpp
  engine/EngineSolve.cpp
  engine/NewtonSolver.cpp
  engine/EngineComponents.cpp
  engine/Engine.cpp
  engine/EngineOffDesign.cpp
  engine/OffDesign.cpp
  engine/Maps.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  engine/EngineState.h
  engine/EngineFuel.h
  engine/EngineSolve.h
  engine/NewtonSolver.h
  engine/EngineComponents.h
  engine/Engine.h
  engine/OffDesign.h
  engine/Maps.h
)
