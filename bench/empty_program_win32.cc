// A Windows program that loads the libraries Vendrix.exe loads and ends:
// what any such program's start and end cost, the floor under Vendrix.exe's
// own.  bench/wine_loop.py --empty times it under Wine.
#include "platform/win32/win32_api.h"
// After windows.h, which WIN32_LEAN_AND_MEAN keeps from including it.
#include <imm.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  // Never taken: the calls only make the loader bring their libraries in.
  if (commandLine[0] == L'\x1') {
    ::ImmGetContext(nullptr);
    ::ShellExecuteExW(nullptr);
    ::BitBlt(nullptr, 0, 0, 0, 0, nullptr, 0, 0, 0);
  }
  return ::timeGetTime() != 0 && ::GetSystemMetrics(SM_CXSCREEN) > 0 ? 0 : 1;
}
