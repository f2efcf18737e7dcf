#include "recorder/win32/recorder_window.h"

#include <imm.h>

#include <array>
#include <utility>

#include "platform/win32/win32_text.h"
#include "recorder/key_tokens.h"
#include "recorder/macro_writer.h"
#include "recorder/saving.h"
#include "recorder/win32/save_dialog.h"
#include "values/messages.h"

namespace vendrix::recorder::win32 {
namespace {

using vendrix::win32::SjisFromWide;
using vendrix::win32::WideFromSjis;

constexpr wchar_t kWindowClass[] = L"ZemloRecorder";
constexpr int kRecordId = 1, kPauseId = 2, kStopId = 3;
constexpr int kHotkeyId = 1;
constexpr UINT_PTR kClockTimer = 1, kImeTimer = 2;
constexpr UINT kClockPeriodMs = 250, kImeSettleMs = 150;
constexpr int kClientWidth = 300, kClientHeight = 74;
// WM_IME_CONTROL's "is the input method open?" (imm.h of the Windows SDK;
// not in every mingw-w64 header).
constexpr WPARAM kImeGetOpenStatus = 0x0005;

// Keys that open or close the input method: its state is read once the
// window in front has taken the key.
bool IsInputMethodKey(int vk) {
  switch (vk) {
    case 0x15:  // kana
    case 0x19:  // kanji (half-width/full-width on the Japanese keyboard)
    case 0xF3:  // half-width/full-width as some keyboards send it
    case 0xF4:
      return true;
    default:
      return false;
  }
}

std::string Clock(uint32_t ms) {
  uint32_t seconds = ms / 1000;
  std::string text = std::to_string(seconds / 60) + ":";
  if (seconds % 60 < 10) text += "0";
  return text + std::to_string(seconds % 60);
}

HWND RootOf(HWND window) { return window == nullptr ? nullptr : ::GetAncestor(window, GA_ROOT); }

}  // namespace

RecorderWindow::RecorderWindow(RecorderSetup setup)
    : setup_(std::move(setup)), session_(setup_.options, setup_.acceptInjected) {}

RecorderWindow::~RecorderWindow() {
  hooks_.reset();
  if (hotkeyRegistered_) ::UnregisterHotKey(window_, kHotkeyId);
}

bool RecorderWindow::Create() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);

  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  window_ = ::CreateWindowExW(WS_EX_TOPMOST, kWindowClass, WideFromSjis(msg::kRecorderCaption).c_str(), style,
                              work.right - width - 16, work.top + 16, width, height, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  hooks_ = std::make_unique<InputHooks>(window_, queue_);
  CreateControls();

  if (const std::optional<RecorderHotkey>& hotkey = setup_.options.hotkey) {
    hotkeyRegistered_ = ::RegisterHotKey(window_, kHotkeyId, hotkey->modifiers | MOD_NOREPEAT,
                                         static_cast<UINT>(hotkey->vk)) != 0;
    if (!hotkeyRegistered_) Say(std::string(msg::kRecorderHotkeyFailed) + KeyName(hotkey->vk));
  }
  for (const std::string& problem : setup_.options.problems) Ask(problem, MB_OK | MB_ICONWARNING);
  ShowState();
  // Shown without taking the focus: the window the user works in stays in
  // front, ready to be recorded.
  ::ShowWindow(window_, SW_SHOWNOACTIVATE);
  ::SetTimer(window_, kClockTimer, kClockPeriodMs, nullptr);
  return true;
}

void RecorderWindow::CreateControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  auto button = [&](int id, std::string_view text, int x) {
    HWND control = ::CreateWindowExW(0, L"BUTTON", WideFromSjis(text).c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, 8, 90, 28, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
  };
  recordButton_ = button(kRecordId, msg::kRecorderRecord, 8);
  pauseButton_ = button(kPauseId, msg::kRecorderPause, 105);
  stopButton_ = button(kStopId, msg::kRecorderStop, 202);
  status_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 8, 46,
                              kClientWidth - 16, 20, window_, nullptr, instance, nullptr);
  ::SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

int RecorderWindow::Run() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageW(window_, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK RecorderWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecorderWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT RecorderWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return 0;
    case WM_HOTKEY:
      if (wParam == kHotkeyId) {
        if (session_.state() == RecorderState::kStopped) {
          StartRecording();
        } else {
          StopRecording();
        }
      }
      return 0;
    case kInputQueued:
      DrainInput();
      return 0;
    case WM_TIMER:
      if (wParam == kImeTimer) {
        ::KillTimer(window_, kImeTimer);
        CheckInputMethod(::GetTickCount(), ::GetForegroundWindow());
      } else {
        ShowState();
      }
      return 0;
    case WM_CLOSE:
      // Closing while recording saves first: a recording is never lost
      // by closing the window.
      if (session_.state() != RecorderState::kStopped) StopRecording();
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      hooks_.reset();
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

void RecorderWindow::Command(int id) {
  switch (id) {
    case kRecordId: StartRecording(); break;
    case kPauseId: TogglePause(); break;
    case kStopId: StopRecording(); break;
  }
}

void RecorderWindow::StartRecording() {
  if (session_.state() != RecorderState::kStopped) return;
  if (!hooks_->Install()) {
    Ask(std::string(msg::kRecorderHooksFailed), MB_OK | MB_ICONERROR);
    return;
  }
  queue_.Clear();
  HWND foreground = ::GetForegroundWindow();
  lastForeground_ = 0;
  std::optional<FrontWindow> front;
  if (foreground != nullptr && RootOf(foreground) != window_) front = Front(reinterpret_cast<uintptr_t>(foreground));
  session_.Start(::GetTickCount(), front);
  lastMessage_.clear();
  ShowState();
}

void RecorderWindow::TogglePause() {
  DrainInput();
  if (session_.state() == RecorderState::kRecording) {
    session_.Pause(::GetTickCount());
  } else if (session_.state() == RecorderState::kPaused) {
    session_.Resume(::GetTickCount());
  }
  ShowState();
}

void RecorderWindow::StopRecording() {
  if (session_.state() == RecorderState::kStopped) return;
  DrainInput();
  hooks_->Uninstall();
  ::KillTimer(window_, kImeTimer);
  size_t dropped = queue_.dropped();
  Recording recording = session_.Stop();
  ShowState();
  if (!HasInput(recording)) {
    Say(std::string(msg::kRecorderNothingRecorded));
    return;
  }
  if (dropped > 0) Ask(std::to_string(dropped) + std::string(msg::kRecorderDropped), MB_OK | MB_ICONWARNING);
  Save(recording);
}

void RecorderWindow::DrainInput() {
  hooks_->Drained();
  RawInput input;
  while (queue_.Pop(input)) Take(input);
}

FrontWindow RecorderWindow::Front(uintptr_t handle) {
  if (handle == lastForeground_) return lastFront_;
  HWND window = reinterpret_cast<HWND>(handle);
  std::array<wchar_t, 512> title{};
  int length = ::GetWindowTextW(window, title.data(), static_cast<int>(title.size()));
  RECT rect{};
  ::GetWindowRect(window, &rect);
  lastForeground_ = handle;
  lastFront_ = FrontWindow{SjisFromWide(std::wstring_view(title.data(), static_cast<size_t>(length < 0 ? 0 : length))),
                           rect.left, rect.top};
  return lastFront_;
}

bool RecorderWindow::OnOwnWindow(const RawInput& input) const {
  if (input.kind == RawKind::kKey) return RootOf(reinterpret_cast<HWND>(input.foreground)) == window_;
  return RootOf(::WindowFromPoint(POINT{input.x, input.y})) == window_;
}

// The window an event belongs to: for a press of a button, the window under
// the pointer (the press brings it forward; the system has not done so yet
// when the hook sees it), else the window in front.
uintptr_t RecorderWindow::WindowOf(const RawInput& input) const {
  if (input.kind == RawKind::kButton && input.down) {
    HWND under = RootOf(::WindowFromPoint(POINT{input.x, input.y}));
    if (under != nullptr && under != ::GetDesktopWindow()) return reinterpret_cast<uintptr_t>(under);
  }
  return input.foreground;
}

void RecorderWindow::Take(const RawInput& input) {
  EventSource source{input.timeMs, input.injected, OnOwnWindow(input)};
  uintptr_t window = WindowOf(input);
  if (window != 0 && RootOf(reinterpret_cast<HWND>(window)) != window_) {
    session_.Window(EventSource{input.timeMs, input.injected, false}, Front(window));
  }
  switch (input.kind) {
    case RawKind::kKey:
      if (session_.Key(source, input.vk, input.down, input.password) == KeyVerdict::kStop) {
        // The break key: stop once the rest of this batch is read.
        ::PostMessageW(window_, WM_COMMAND, kStopId, 0);
        return;
      }
      if (input.down && IsInputMethodKey(input.vk)) ::SetTimer(window_, kImeTimer, kImeSettleMs, nullptr);
      return;
    case RawKind::kButton:
      session_.Button(source, input.button, input.down, input.x, input.y);
      return;
    case RawKind::kWheel:
      session_.Wheel(source, input.notches, input.x, input.y);
      return;
  }
}

void RecorderWindow::CheckInputMethod(uint32_t timeMs, HWND foreground) {
  if (foreground == nullptr || RootOf(foreground) == window_) return;
  HWND ime = ::ImmGetDefaultIMEWnd(foreground);
  if (ime == nullptr) return;
  DWORD_PTR open = 0;
  if (::SendMessageTimeoutW(ime, WM_IME_CONTROL, kImeGetOpenStatus, 0, SMTO_ABORTIFHUNG, 200, &open) == 0) return;
  session_.Ime(EventSource{timeMs, false, false}, open != 0);
}

void RecorderWindow::Save(const Recording& recording) {
  LocalTime now = clock_.Now();
  WriterOptions writer = setup_.options.writer;
  writer.header.push_back(std::string(msg::kRecorderHeader) + RecordedAt(now));
  std::string macro = WriteMacro(recording, KeyLayout::FromInput(input_), writer);
  const std::string& menuFile = setup_.options.menuFile;
  SaveChoice choice{DefaultMacroName(now), DefaultCaption(now), !menuFile.empty()};
  for (;;) {
    std::optional<SaveChoice> answer = AskSaveChoice(window_, choice, menuFile);
    if (!answer) {
      if (Ask(std::string(msg::kRecorderDiscard), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        Say(std::string(msg::kRecorderDiscarded));
        return;
      }
      continue;
    }
    choice = *answer;
    std::string problem;
    std::optional<std::string> name = MacroFileName(choice.fileName, &problem);
    std::optional<std::string> caption;
    if (name && choice.addToMenu && !menuFile.empty()) caption = MenuCaption(choice.caption, &problem);
    if (!name || (choice.addToMenu && !menuFile.empty() && !caption)) {
      Ask(problem, MB_OK | MB_ICONWARNING);
      continue;
    }
    SaveResult saved = SaveMacro(files_, setup_.programFolder, *name, macro, false);
    if (saved.outcome == SaveOutcome::kExists) {
      if (Ask(*name + std::string(msg::kRecorderOverwrite), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        continue;
      }
      saved = SaveMacro(files_, setup_.programFolder, *name, macro, true);
    }
    if (saved.outcome == SaveOutcome::kFailed) {
      Ask(saved.message, MB_OK | MB_ICONERROR);
      continue;
    }
    if (caption) {
      SaveResult added = AddMenuItem(files_, setup_.programFolder, menuFile, *caption, *name);
      if (added.outcome == SaveOutcome::kFailed) {
        Ask(added.message + std::string(msg::kRecorderMacroSavedAnyway), MB_OK | MB_ICONWARNING);
      }
    }
    Say(std::string(msg::kRecorderSaved) + *name);
    return;
  }
}

void RecorderWindow::ShowState() {
  std::string state;
  switch (session_.state()) {
    case RecorderState::kStopped: state = std::string(msg::kRecorderIdle); break;
    case RecorderState::kRecording: state = std::string(msg::kRecorderRecording); break;
    case RecorderState::kPaused: state = std::string(msg::kRecorderPaused); break;
  }
  std::string line = state;
  if (session_.state() != RecorderState::kStopped) {
    line += "  " + Clock(session_.ElapsedMs(::GetTickCount())) + "  " + std::to_string(session_.EventCount()) +
            std::string(msg::kRecorderEvents);
  } else if (!lastMessage_.empty()) {
    line += "  " + lastMessage_;
  }
  ::SetWindowTextW(status_, WideFromSjis(line).c_str());
  // The caption says it too, so the taskbar shows that input is recorded.
  ::SetWindowTextW(window_, WideFromSjis(std::string(msg::kRecorderCaption) + " - " + state).c_str());
  bool stopped = session_.state() == RecorderState::kStopped;
  ::EnableWindow(recordButton_, stopped);
  ::EnableWindow(pauseButton_, !stopped);
  ::EnableWindow(stopButton_, !stopped);
  std::string_view pauseText = session_.state() == RecorderState::kPaused ? msg::kRecorderResume : msg::kRecorderPause;
  ::SetWindowTextW(pauseButton_, WideFromSjis(pauseText).c_str());
}

void RecorderWindow::Say(const std::string& sjis) {
  lastMessage_ = sjis;
  ShowState();
}

int RecorderWindow::Ask(const std::string& sjis, UINT buttons) {
  return ::MessageBoxW(window_, WideFromSjis(sjis).c_str(), WideFromSjis(msg::kRecorderCaption).c_str(),
                       buttons | MB_SETFOREGROUND);
}

}  // namespace vendrix::recorder::win32
