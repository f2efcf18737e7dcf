// The program's one window in menu and resident mode: the menu it drops
// open at the pointer, its notification-area icon, its hotkeys and the
// joystick buttons, and what each of them does.
//
// The decisions live here, over the platform's shell window; the platform
// only shows the window and queues what the user does to it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/shell_hooks.h"
#include "platform/platform.h"
#include "shell/hotkey_file.h"
#include "shell/menu_file.h"
#include "shell/menu_placement.h"

namespace vendrix {
class Engine;
}

namespace vendrix::shell {

// The fixed items in front of the menu file's entries.
inline constexpr int kFixedMenuItems = 5;
// Hotkeys are registered under ids counted up from here.
inline constexpr int kFirstHotkeyId = 123;

class MainForm final : public ShellHooks {
 public:
  explicit MainForm(Engine& engine);
  // Takes the icon, the hotkeys and the joystick capture away again.
  ~MainForm() override;
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Resident start-up: the hotkey file (a missing one ends the program),
  // then the joysticks' button messages.
  void ReadHotkeyFile(const std::string& fileName);
  void CaptureJoysticks();
  // Registers the hotkeys; ends the program when none could be registered.
  void RegisterHotkeys();
  // The window's creation: the foreground title, the menu file (which must
  // exist), the list file, the menu and the icon.
  void FormCreate();
  // Handles what the user does until the program ends; never returns.
  [[noreturn]] void Run();

  // ShellHooks
  void AfterMessages() override;
  void Timer1Timer() override;
  void MainWindowChanged() override;

 private:
  // What the window was told: icon clicks, hotkeys, joystick buttons,
  // menu picks and paints.
  void WndProc(const platform::ShellEvent& event, bool duringRun);
  void FormPaint();
  void FormDestroy();
  void DestroyWnd();
  void ReleaseJoysticks();
  void DeleteTrayIcon();
  void PlaceWindow(bool applyLimits);
  void DropMenuOpen();
  void SetMenu(std::string_view name);
  void WriteMenuFileKey(std::string_view menuFile);
  void MenuPicked(int index);
  void MenuItemsClick(int entry);
  void StartRecClick();
  void ExecNonameClick();
  void SyuuryouClick();
  void Menu1Click();
  void EditClick();
  void TrayRightClick();
  void HotkeyPressed(int id);
  void JoystickButton();
  void MenuCallUp();
  void UnregisterHotkeys();
  // Registers one entry; false when the user chose to stop registering.
  bool RegisterEntry(const HotkeyDefinition& definition, int& counter, int& registered, int& id);
  // Run a macro file or a hotkey entry's lines, then WaitAgainOrEnd.
  void RunAndFinish(const std::string& fileName);
  void RunEntryAndWait(int entry);
  // After a run: a resident program waits again, any other ends.
  void WaitAgainOrEnd();
  void StartTimer1();
  void StopTimer1();
  std::string ProgramFile(std::string_view name) const;
  std::string ForegroundTitle(int bufferSize) const;

  Engine& engine_;
  platform::ShellWindow& window_;
  std::vector<MenuEntry> menu_;
  std::vector<MenuEntry> switchList_;
  std::string foregroundTitle_;
  MenuLimits limits_;
  HotkeyFile hotkeyFile_;
  std::optional<HotkeyDefinition> callUp_;
  std::array<bool, 2> joyCaptured_{};
  bool joyBusy_ = false;
  bool trayIconShown_ = false;
  bool timer1Running_ = false;
  bool breakSeen_ = false;
};

}  // namespace vendrix::shell
