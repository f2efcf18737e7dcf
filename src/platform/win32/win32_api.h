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
