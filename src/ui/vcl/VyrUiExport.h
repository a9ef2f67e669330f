// Symbol visibility of the UI library. It is built with hidden visibility;
// everything that hosts and component libraries may use carries VYR_UI_API.
#pragma once

#if defined(_WIN32)
#  if defined(VYR_BUILDING_UI)
#    define VYR_UI_API __declspec(dllexport)
#  else
#    define VYR_UI_API __declspec(dllimport)
#  endif
#else
#  define VYR_UI_API __attribute__((visibility("default")))
#endif
