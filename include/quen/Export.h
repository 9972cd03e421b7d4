// QUEN_API marks what the library exports: whole classes and free functions.
#pragma once

#if defined(_WIN32)
#  if defined(QUEN_BUILDING_LIBRARY)
#    define QUEN_API __declspec(dllexport)
#  else
#    define QUEN_API __declspec(dllimport)
#  endif
#else
#  define QUEN_API __attribute__((visibility("default")))
#endif
