# Sources and public headers of numerics/ in the core library.
list(APPEND VYR_CORE_SOURCES
  numerics/ZeroinBrentDekker.cpp
  numerics/LUDEC.cpp
  numerics/URKF45.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  numerics/ZeroinBrentDekker.h
  numerics/LUDEC.h
  numerics/URKF45.h
)

# The integrator's loops run over at most five components that the caller's
# derivative routine has just stored one by one; vectorised loads of them stall
# on store forwarding and cost more than they gain.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  set_source_files_properties(numerics/URKF45.cpp PROPERTIES COMPILE_OPTIONS -fno-tree-vectorize)
endif()
