#include "shell/main_form.h"

#include "desktop/input.h"
#include "desktop/joystick.h"
#include "desktop/keys.h"
#include "engine/engine.h"
#include "engine/file_slots.h"
#include "engine/program_end.h"
#include "engine/report.h"
#include "engine/run.h"
#include "shell/program_files.h"
#include "values/ini.h"
#include "values/messages.h"
#include "values/sjis.h"

namespace vendrix::shell {
namespace {

constexpr uint32_t kMenuTimerPeriodMs = 50;
// How long the loop waits for the user before it looks at the break key.
constexpr uint32_t kIdleWaitMs = kMenuTimerPeriodMs;
// Windows' titles of the foreground window, with their terminating zero.
constexpr int kStartupTitleBuffer = 128;
constexpr int kCallUpTitleBuffer = 256;
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkAlt = 0x12;
// The accelerator of the menu bar's "&Vendrix".
constexpr int kVkMenuLetter = 'V';

}  // namespace

MainForm::MainForm(Engine& engine) : engine_(engine), window_(engine.platform.shellWindow) {
  limits_ = MenuLimitsOf(engine.settings);
  engine_.shell = this;
  // An icon file beside the program replaces the built-in icon.
  const std::string icon = ProgramFile(kIconFileName);
  if (engine_.platform.files.FileExists(icon)) window_.SetProgramIcon(icon);
}

MainForm::~MainForm() {
  engine_.shell = nullptr;
  FormDestroy();
  DestroyWnd();
}

// The shell's part of the shutdown; the engine's own (held keys, input
// block, file and image slots) runs in RunProgram whatever the mode.
void MainForm::FormDestroy() {
  StopTimer1();
  ReleaseJoysticks();
  DeleteTrayIcon();
}

void MainForm::ReleaseJoysticks() {
  for (int id = 0; id < 2; ++id) {
    if (joyCaptured_[static_cast<size_t>(id)]) window_.ReleaseJoystick(id);
    joyCaptured_[static_cast<size_t>(id)] = false;
  }
}

void MainForm::DeleteTrayIcon() {
  if (trayIconShown_) window_.DeleteTrayIcon();
  trayIconShown_ = false;
}

void MainForm::DestroyWnd() { UnregisterHotkeys(); }

std::string MainForm::ProgramFile(std::string_view name) const {
  return engine_.platform.files.ProgramFile(engine_.programFolder, name);
}

std::string MainForm::ForegroundTitle(int bufferSize) const {
  platform::Windows& windows = engine_.platform.windows;
  const platform::WindowId front = windows.GetForegroundWindow();
  return front == 0 ? std::string() : windows.WindowTitle(front, bufferSize);
}

// ---- resident start-up ------------------------------------------------------

void MainForm::ReadHotkeyFile(const std::string& fileName) {
  platform::Files& files = engine_.platform.files;
  if (!files.FileExists(fileName)) Fatal(engine_, fileName + std::string(msg::kFileMissing));
  platform::ReadResult read = files.ReadFile(fileName, kMaxTextFileBytes);
  if (read.status != platform::ReadStatus::kOk) ReportFileFailure(engine_, "TSR", fileName, read.reason);
  hotkeyFile_ = ParseHotkeyFile(read.bytes);
  callUp_ = MenuCallUpHotkey(engine_.settings.tsrHotkey);
  // The engine runs the macros from its own copy of the lines.
  engine_.hotkeyLines = std::move(hotkeyFile_.lines);
  engine_.hotkeyFileName = fileName;
  engine_.hotkeyLineNumbers = std::move(hotkeyFile_.lineNumbers);
  hotkeyFile_.lines.clear();
  engine_.hotkeys.assign(hotkeyFile_.entries.size() + 1, HotkeyEntry{});
  if (callUp_) engine_.hotkeys[0].definitionText = callUp_->definitionText;
  for (size_t i = 0; i < hotkeyFile_.entries.size(); ++i) {
    engine_.hotkeys[i + 1].definitionText = hotkeyFile_.entries[i].definitionText;
  }
}

void MainForm::CaptureJoysticks() {
  for (int id = 0; id < 2; ++id) joyCaptured_[static_cast<size_t>(id)] = window_.CaptureJoystick(id);
  joyBusy_ = false;
}

bool MainForm::RegisterEntry(const HotkeyDefinition& definition, int& counter, int& registered, int& id) {
  const int vk = ParseKeyToken(engine_.platform.input, definition.keyName);
  if (vk < 0 || definition.keyName.empty()) {
    if (definition.keyName == kJoyButtonKey) return true;
    std::string text(msg::kHotkeyBadKeyBefore);
    text += definition.definitionText;
    text += msg::kHotkeyBadKeyAfter;
    ShowMessageBox(engine_, text, platform::kMbSetForeground);
    return true;
  }
  for (;;) {
    ++counter;
    if (window_.RegisterHotKey(counter, HotkeyModifiers(definition), vk)) {
      id = counter;
      ++registered;
      return true;
    }
    std::string text(msg::kHotkeyRetryBefore);
    text += "\r\r";
    text += definition.definitionText;
    text += "\r\r";
    text += msg::kHotkeyRetryAfter;
    text += "\r\r";
    text += msg::kHotkeyRetryChoices;
    const int answer = ShowMessageBox(engine_, text, platform::kMbYesNoCancel | platform::kMbSetForeground);
    if (answer == platform::kIdYes) continue;
    return answer != platform::kIdNo;
  }
}

void MainForm::RegisterHotkeys() {
  int counter = kFirstHotkeyId - 1;
  int registered = 0;
  for (size_t i = 0; i < engine_.hotkeys.size(); ++i) {
    engine_.hotkeys[i].hotkeyId = 0;
    const HotkeyDefinition* definition = i == 0 ? (callUp_ ? &*callUp_ : nullptr) : &hotkeyFile_.entries[i - 1];
    if (definition == nullptr || definition->keyName.empty()) continue;
    if (!RegisterEntry(*definition, counter, registered, engine_.hotkeys[i].hotkeyId)) break;
  }
  if (registered == 0) Fatal(engine_, msg::kNoHotkeys);
}

void MainForm::UnregisterHotkeys() {
  for (HotkeyEntry& entry : engine_.hotkeys) {
    if (entry.hotkeyId > 0) window_.UnregisterHotKey(entry.hotkeyId);
    entry.hotkeyId = 0;
  }
}

// ---- the window -------------------------------------------------------------

void MainForm::FormCreate() {
  foregroundTitle_ = ForegroundTitle(kStartupTitleBuffer);
  platform::Files& files = engine_.platform.files;
  if (!files.FileExists(ProgramFile(kDefaultMenuFileName))) {
    Fatal(engine_, engine_.programFolder + std::string(msg::kMenuFileMissing));
  }
  const std::string listFile = ProgramFile(kListFileName);
  if (files.FileExists(listFile)) {
    platform::ReadResult read = files.ReadFile(listFile, kMaxTextFileBytes);
    if (read.status != platform::ReadStatus::kOk) ReportFileFailure(engine_, kListFileName, listFile, read.reason);
    switchList_ = ParseListFile(read.bytes);
  }
  SetMenu("");
  trayIconShown_ = window_.AddTrayIcon(engine_.caption);
  if (engine_.residentMode || engine_.settings.hideTaskbar) window_.HideTaskbarButton();
}

void MainForm::WriteMenuFileKey(std::string_view menuFile) {
  platform::Files& files = engine_.platform.files;
  const std::string path = ProgramFile(kRecorderOptionsFileName);
  const platform::ReadResult current = files.ReadFile(path, kMaxTextFileBytes);
  std::string reason;
  if (current.status == platform::ReadStatus::kOk || current.status == platform::ReadStatus::kNotFound) {
    if (files.SaveFile(path, ini::WriteString(current.bytes, "Options", "menufile", menuFile), &reason)) return;
  }
  Fatal(engine_, path + std::string(msg::kCannotWrite));
}

void MainForm::SetMenu(std::string_view name) {
  menu_.clear();
  const std::string chosen = ChooseMenuFile(name, engine_.settings.menuChange, switchList_, foregroundTitle_);
  WriteMenuFileKey(chosen);
  const std::string path = ProgramFile(chosen);
  platform::Files& files = engine_.platform.files;
  if (chosen.empty() || !files.FileExists(path)) Fatal(engine_, path + std::string(msg::kFileMissing));
  platform::ReadResult read = files.ReadFile(path, kMaxTextFileBytes);
  if (read.status == platform::ReadStatus::kNotFound) Fatal(engine_, path + std::string(msg::kFileMissing));
  if (read.status != platform::ReadStatus::kOk) ReportFileFailure(engine_, "MENU", path, read.reason);
  menu_ = ParseMenuFile(read.bytes);
  std::vector<std::string> captions = {std::string(msg::kMenuRecord), std::string(msg::kMenuRun),
                                       std::string(msg::kMenuExit), std::string(msg::kMenuSwitch),
                                       std::string(msg::kMenuEdit)};
  for (const MenuEntry& entry : menu_) captions.push_back(entry.caption);
  window_.SetMenuItems(captions);
}

void MainForm::PlaceWindow(bool applyLimits) {
  platform::Display& display = engine_.platform.display;
  platform::Pointer& pointer = engine_.platform.pointer;
  const Settings& settings = engine_.settings;
  const MenuPlacement place = PlaceMenuWindow(settings, limits_, pointer.GetCursorPos(), display.ScreenWidth(),
                                              display.ScreenHeight(), applyLimits);
  window_.ShowMenuWindow({place.left, place.top, settings.menuWidth, settings.menuHeight});
  if (place.movePointerTo) pointer.SetCursorPos(*place.movePointerTo);
}

void MainForm::DropMenuOpen() {
  KeyInput(DesktopOf(engine_), kVkAlt, 0, 0);
  KeyInput(DesktopOf(engine_), kVkMenuLetter, 0, 0);
  KeyInput(DesktopOf(engine_), kVkMenuLetter, platform::kKeyEventKeyUp, 0);
  KeyInput(DesktopOf(engine_), kVkAlt, platform::kKeyEventKeyUp, 0);
}

void MainForm::FormPaint() {
  if (engine_.residentMode) {
    window_.MinimiseMainWindow();
  } else if (engine_.run.idle) {
    if (engine_.settings.menuWait > 0) engine_.platform.clock.Sleep(static_cast<uint32_t>(engine_.settings.menuWait));
    PlaceWindow(true);
    DropMenuOpen();
  }
  StartTimer1();
}

void MainForm::StartTimer1() {
  engine_.platform.messages.SetTimer(kMenuTimer, kMenuTimerPeriodMs);
  timer1Running_ = true;
}

void MainForm::StopTimer1() {
  if (timer1Running_) engine_.platform.messages.KillTimer(kMenuTimer);
  timer1Running_ = false;
}

// ---- what the user does -----------------------------------------------------

[[noreturn]] void MainForm::Run() {
  if (engine_.residentMode) {
    FormPaint();
  } else {
    PlaceWindow(true);  // shown: its first paint drops the menu open
  }
  for (;;) {
    window_.WaitForShellEvent(kIdleWaitMs);
    while (std::optional<platform::ShellEvent> event = window_.TakeShellEvent()) WndProc(*event, false);
    if (breakSeen_) EndProgram(0);
  }
}

void MainForm::AfterMessages() {
  while (std::optional<platform::ShellEvent> event = window_.TakeShellEvent()) WndProc(*event, true);
  if (breakSeen_) EndProgram(0);
}

void MainForm::Timer1Timer() {
  // Timer1: in menu mode the break key closes the menu and ends the program.
  if (engine_.residentMode) return;
  if ((engine_.platform.input.GetKeyState(engine_.input.breakKey) & 0x8000) == 0) return;
  StopTimer1();
  breakSeen_ = true;
  window_.CloseMenu();
}

void MainForm::MainWindowChanged() {
  // Changing the window's style re-creates it on Windows, which takes its
  // hotkeys: a resident program registers them again, under new ids.
  if (!engine_.residentMode) return;
  DestroyWnd();
  RegisterHotkeys();
}

void MainForm::WndProc(const platform::ShellEvent& event, bool duringRun) {
  switch (event.kind) {
    case platform::ShellEventKind::kPaint:
      FormPaint();
      break;
    case platform::ShellEventKind::kTrayRightClick:
      TrayRightClick();
      break;
    case platform::ShellEventKind::kQuit:
      EndProgram(0);
    // Runs never nest: what would start one is dropped while one runs.
    case platform::ShellEventKind::kMenuPick:
      if (!duringRun) MenuPicked(event.value);
      break;
    case platform::ShellEventKind::kHotkey:
      if (!duringRun) HotkeyPressed(event.value);
      break;
    case platform::ShellEventKind::kJoystickButton:
      if (!duringRun) JoystickButton();
      break;
  }
}

void MainForm::MenuPicked(int index) {
  switch (index) {
    case 0: StartRecClick(); return;
    case 1: ExecNonameClick(); return;
    case 2: SyuuryouClick(); return;
    case 3: Menu1Click(); return;
    case 4: EditClick(); return;
    default:
      if (index >= kFixedMenuItems && index - kFixedMenuItems < static_cast<int>(menu_.size())) {
        MenuItemsClick(index - kFixedMenuItems);
      }
  }
}

void MainForm::RunAndFinish(const std::string& fileName) {
  RunMacro(engine_, fileName);
  WaitAgainOrEnd();
}

void MainForm::WaitAgainOrEnd() {
  if (!engine_.residentMode) EndProgram(0);
  window_.MinimiseMainWindow();
}

void MainForm::MenuItemsClick(int entry) {
  // The menu names only the caption: equal captions run the first entry.
  const MenuEntry* picked = FindMenuEntry(menu_, menu_[static_cast<size_t>(entry)].caption);
  const MenuAction action = MenuActionOf(picked->macroText, engine_.programFolder);
  if (action.kind == MenuAction::Kind::kStatement) {
    ExecuteText(engine_, action.text);
    EndProgram(0);
  }
  StopTimer1();
  RunAndFinish(action.text);
}

void MainForm::StartRecClick() {
  StopTimer1();
  const std::string recorder = engine_.programFolder + std::string(kRecorderProgramName);
  const platform::ProcessId process = engine_.platform.programs.StartProgram(recorder);
  if (process == 0) Fatal(engine_, std::string(msg::kCannotExecute) + recorder);
  engine_.platform.programs.CloseProgram(process);
  EndProgram(0);
}

void MainForm::ExecNonameClick() {
  StopTimer1();
  RunMacro(engine_, engine_.programFolder + std::string(kDefaultMacroFileName));
  EndProgram(0);
}

void MainForm::SyuuryouClick() {
  StopTimer1();
  EndProgram(0);
}

void MainForm::Menu1Click() {
  const std::optional<std::string> chosen = window_.ChooseFile(msg::kMenuFilterSwitch);
  if (!chosen) return;
  const size_t dot = ExtensionStart(*chosen, engine_.platform.files.PathSeparator());
  if (sjis::AnsiUpper(std::string_view(*chosen).substr(dot)) != ".MAC") {
    SetMenu(*chosen);
    DropMenuOpen();
    return;
  }
  StopTimer1();
  RunAndFinish(*chosen);
}

void MainForm::EditClick() {
  StopTimer1();
  const std::optional<std::string> chosen = window_.ChooseFile(msg::kMenuFilterEdit);
  if (chosen) {
    const std::string editor =
        engine_.settings.editorPath.empty() ? std::string(msg::kDefaultEditor) : engine_.settings.editorPath;
    const platform::ProcessId process = engine_.platform.programs.StartProgram(editor + " " + *chosen);
    if (process == 0) {
      engine_.platform.dialogs.MessageBox(std::string(msg::kEditorFailed) + editor, engine_.caption,
                                          platform::kMbSetForeground);
    } else {
      engine_.platform.programs.CloseProgram(process);
    }
  }
  EndProgram(0);
}

void MainForm::TrayRightClick() {
  const bool blocked = engine_.input.blockLevel > 0;
  if (blocked) SetInputBlocked(engine_.platform, false);
  const int answer = engine_.platform.dialogs.MessageBox(msg::kExitQuestion, engine_.caption,
                                                         platform::kMbYesNo | platform::kMbSetForeground);
  if (blocked) SetInputBlocked(engine_.platform, true);
  if (answer == platform::kIdYes) EndProgram(0);
}

void MainForm::HotkeyPressed(int id) {
  if (!engine_.residentMode || id <= 0) return;
  if (engine_.hotkeys[0].hotkeyId == id) {
    MenuCallUp();
    return;
  }
  for (size_t entry = 1; entry < engine_.hotkeys.size(); ++entry) {
    if (engine_.hotkeys[entry].hotkeyId != id) continue;
    if (engine_.settings.releaseModifiers) {
      for (int vk : {kVkControl, kVkShift, kVkAlt}) KeyInput(DesktopOf(engine_), vk, platform::kKeyEventKeyUp, 0);
    }
    RunEntryAndWait(static_cast<int>(entry));
    return;
  }
}

void MainForm::RunEntryAndWait(int entry) {
  const auto [first, last] = EntryLineRange(hotkeyFile_.entries, engine_.hotkeyLines.size(), entry);
  RunMacroLines(engine_, first, last);
  WaitAgainOrEnd();
}

void MainForm::JoystickButton() {
  if (hotkeyFile_.joyButtonEntry == 0 || joyBusy_) return;
  joyBusy_ = true;
  ReadJoystickVariables(engine_, 0);
  RunEntryAndWait(hotkeyFile_.joyButtonEntry);
  joyBusy_ = false;
}

void MainForm::MenuCallUp() {
  engine_.residentMode = false;
  UnregisterHotkeys();
  engine_.hotkeys.clear();
  // Leaving resident mode stops every trigger, the joystick's too.
  ReleaseJoysticks();
  DeleteTrayIcon();
  if (window_.MainWindowMinimised()) {
    foregroundTitle_ = ForegroundTitle(kCallUpTitleBuffer);
    SetMenu("");
    PlaceWindow(false);
  }
  const uint32_t pause = engine_.settings.menuWait > 0 ? static_cast<uint32_t>(engine_.settings.menuWait) : 100;
  engine_.platform.clock.Sleep(pause);
  engine_.platform.windows.SetForegroundWindow(window_.MainWindow());
  engine_.platform.clock.Sleep(pause);
  DropMenuOpen();
  StartTimer1();
}

}  // namespace vendrix::shell
