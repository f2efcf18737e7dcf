// windows.h for Vendrix's Windows backend.
//
// With UNICODE defined, windows.h maps MessageBox, MapVirtualKey and
// VkKeyScan to their W functions by macro; the platform interfaces use those
// names for methods, so the macros must not reach them.  Every Windows file
// includes this header instead of windows.h, and calls the W or A functions
// by their full names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// These two need windows.h before them.
#include <mmsystem.h>
#include <shellapi.h>

#undef MessageBox
#undef MapVirtualKey
#undef VkKeyScan

namespace vendrix::win32 {

// A function of a loaded library by name, as `Function` (a pointer to a
// WINAPI function type), or null.  Cast through the generic function
// pointer type, which any function type converts from without a warning.
template <class Function>
Function FindProcedure(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

}  // namespace vendrix::win32
