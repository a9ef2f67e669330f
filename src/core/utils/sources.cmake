# Sources and public headers of utils/ in the core library: the general
# utilities that need no widget (names, files, font-style and colour texts).
list(APPEND VYR_CORE_SOURCES
  utils/VYRutilsCore.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  utils/VYRutilsCore.h
)
