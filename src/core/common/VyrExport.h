// Symbol visibility of the core library. The library is built with hidden
// visibility; everything that callers may use carries VYR_API.
#pragma once

#if defined(_WIN32)
#  if defined(VYR_BUILDING_CORE)
#    define VYR_API __declspec(dllexport)
#  else
#    define VYR_API __declspec(dllimport)
#  endif
#else
#  define VYR_API __attribute__((visibility("default")))
#endif
