// The recorder's hook callbacks, timed: the work each low-level keyboard
// and mouse event costs before the hook returns to the system (which drops
// hooks that take too long, and the user's input lags meanwhile).
//
//   wine build/win32/vendrix_hook_bench.exe [EVENTS]
//
// Calls the callbacks' bodies directly with made-up events, a notepad-like
// window in front (an edit control with the focus, the password check's
// worst case), and drains the queue between rounds as the recorder's loop
// does; that draining is not counted.  Prints microseconds per event.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_api.h"
#include "recorder/raw_input.h"
#include "recorder/win32/input_hooks.h"

namespace {

using vendrix::recorder::RawInput;
using vendrix::recorder::RawInputQueue;
using vendrix::recorder::win32::InputHooks;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Drain(RawInputQueue& queue, InputHooks& hooks) {
  RawInput input;
  while (queue.Pop(input)) {
  }
  hooks.Drained();
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

template <typename Event>
double MicrosecondsPerEvent(int events, RawInputQueue& queue, InputHooks& hooks, Event event) {
  double total = 0;
  int done = 0;
  while (done < events) {
    int round = std::min<int>(events - done, static_cast<int>(RawInputQueue::kCapacity));
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < round; ++i) event(i);
    ::QueryPerformanceCounter(&end);
    total += Seconds(start, end);
    done += round;
    Drain(queue, hooks);
  }
  return total * 1e6 / events;
}

}  // namespace

int main(int argc, char** argv) {
  int events = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (events <= 0) events = 100000;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HWND front = ::CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, instance, nullptr);
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 0, 0, 200, 20, front, nullptr,
                                instance, nullptr);
  ::SetForegroundWindow(front);
  ::SetFocus(edit);
  HWND sink = ::CreateWindowExW(0, L"STATIC", L"sink", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);

  RawInputQueue queue;
  InputHooks hooks(sink, queue);
  KBDLLHOOKSTRUCT key{};
  key.vkCode = 'A';
  MSLLHOOKSTRUCT mouse{};
  mouse.pt = POINT{50, 50};

  double keyDown = MicrosecondsPerEvent(events, queue, hooks, [&](int i) {
    key.time = static_cast<DWORD>(i);
    hooks.OnKeyboard(WM_KEYDOWN, key);
  });
  double keyUp = MicrosecondsPerEvent(events, queue, hooks, [&](int i) {
    key.time = static_cast<DWORD>(i);
    hooks.OnKeyboard(WM_KEYUP, key);
  });
  double button = MicrosecondsPerEvent(events, queue, hooks, [&](int i) {
    mouse.time = static_cast<DWORD>(i);
    hooks.OnMouse(i % 2 == 0 ? WM_LBUTTONDOWN : WM_LBUTTONUP, mouse);
  });
  double move = MicrosecondsPerEvent(events, queue, hooks, [&](int i) {
    mouse.time = static_cast<DWORD>(i);
    hooks.OnMouse(WM_MOUSEMOVE, mouse);
  });
  // The floor: one question to the system, which every event asks.
  double floor = MicrosecondsPerEvent(events, queue, hooks, [&](int) { ::GetForegroundWindow(); });
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  ::GetGUIThreadInfo(0, &info);
  bool password = vendrix::recorder::win32::PasswordFieldHasFocus(info.hwndFocus);
  std::printf("events per kind: %d (password field in front: %s)\n", events, password ? "yes" : "no");
  std::printf("key down (with the password check): %.2f us\n", keyDown);
  std::printf("key up: %.2f us\n", keyUp);
  std::printf("button down/up: %.2f us\n", button);
  std::printf("pointer move (not recorded): %.2f us\n", move);
  std::printf("one GetForegroundWindow call, for comparison: %.2f us\n", floor);
  ::DestroyWindow(front);
  ::DestroyWindow(sink);
  return 0;
}
