# Sources and public headers of common/ in the core library.
list(APPEND VYR_CORE_SOURCES
  common/Messages.cpp
  common/SysUtils.cpp
  common/VYRglobalInit.cpp
  common/VYRtypes.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  common/VYRglobal.h
  common/VyrExport.h
  common/Messages.h
  common/SysUtils.h
  common/VYRtypes.h
  common/StringProtection.h
)

# String protection and statistics helpers (their sources and libraries).
include(${CMAKE_CURRENT_LIST_DIR}/protection.cmake OPTIONAL)
