// Recordings turned into macros and played back by Vendrix on the simulated
// desktop press the same keys in the same order with the same modifiers
// down, press the same buttons at the same places, turn the wheel as far
// at the same places and switch the input method alike, each with the same
// window in front.  Generated recordings (seeded, so every run is the
// same) cover typing with modifiers, fast overlapping typing, auto-repeat,
// clicks and drags in several windows, the wheel, the input method,
// password fields and the Japanese keyboard's keys.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sjis_utf8.h"
#include "recorder/events.h"
#include "recorder/macro_writer.h"
#include "support/test_world.h"

namespace vendrix::recorder {
namespace {

struct SimWindow {
  int id;
  std::string title;  // UTF-8
  int left;
  int top;
};

const std::vector<SimWindow> kWindows = {
    {100, "無題 - メモ帳", 100, 80}, {200, "電卓", 600, 120}, {300, "Report; \"Q1\" \\n", 40, 400}};

std::string DesktopJson() {
  nlohmann::json windows = nlohmann::json::array();
  for (const SimWindow& window : kWindows) {
    windows.push_back({{"id", window.id}, {"title", window.title},
                       {"rect", {window.left, window.top, window.left + 300, window.top + 200}},
                       {"thread", window.id + 1}, {"ime", false}});
  }
  return nlohmann::json{{"windows", windows}, {"screen", {{"width", 1024}, {"height", 768}}}}.dump();
}

constexpr int kShift = 16, kControl = 17, kAlt = 18;

// Keys a person types: letters, digits, punctuation of the Japanese layout,
// editing and function keys, and the Japanese keyboard's own keys.
std::vector<int> TypedKeys() {
  std::vector<int> keys;
  for (int vk = 'A'; vk <= 'Z'; ++vk) keys.push_back(vk);
  for (int vk = '0'; vk <= '9'; ++vk) keys.push_back(vk);
  for (int vk : {0x20, 0x0D, 0x09, 0x08, 0x25, 0x26, 0x27, 0x28, 0x2E, 0x24, 0x70, 0x74, 0x7B, 0xBA, 0xBB,
                 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE, 0xE2, 0x1C, 0x1D, 0x19, 0x15, 0xF3, 0xF4}) {
    keys.push_back(vk);
  }
  return keys;
}

const int kModifiers[] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, kShift, kControl, kAlt};

class RecordingGenerator {
 public:
  explicit RecordingGenerator(uint32_t seed) : random_(seed) {}

  Recording Generate(int actions) {
    ChangeWindow();
    for (int i = 0; i < actions; ++i) Act();
    return recording_;
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(int percent) { return Uniform(1, 100) <= percent; }

  void Advance() { now_ += static_cast<uint32_t>(Chance(8) ? Uniform(301, 3000) : Uniform(0, 150)); }

  void Add(RecordedEvent event) {
    Advance();
    event.timeMs = now_;
    recording_.push_back(event);
  }

  void Act() {
    int roll = Uniform(1, 100);
    if (roll <= 12) return ChangeWindow();
    if (roll <= 45) return TypeBurst(false);
    if (roll <= 50) return TypeBurst(true);
    if (roll <= 63) return ToggleModifier();
    if (roll <= 82) return Click();
    if (roll <= 92) return Wheel();
    Add(make::ImeEvent(Chance(50)));
  }

  void ChangeWindow() {
    const SimWindow* next;
    do {
      next = &kWindows[static_cast<size_t>(Uniform(0, static_cast<int>(kWindows.size()) - 1))];
    } while (next == current_);
    current_ = next;
    Add(make::WindowEvent(sim::Utf8ToSjis(next->title), next->left, next->top));
  }

  void Key(EventKind kind, int vk, bool password) { Add(make::KeyEvent(kind, vk, 0, password)); }

  void TypeBurst(bool password) {
    static const std::vector<int> keys = TypedKeys();
    int count = Uniform(1, 8);
    for (int i = 0; i < count; ++i) {
      int vk = keys[static_cast<size_t>(Uniform(0, static_cast<int>(keys.size()) - 1))];
      Key(EventKind::kKeyDown, vk, password);
      if (Chance(10)) {  // auto-repeat
        for (int repeat = Uniform(1, 4); repeat > 0; --repeat) Key(EventKind::kKeyDown, vk, password);
      }
      if (Chance(20) && i + 1 < count) {  // the next key goes down first
        int next = keys[static_cast<size_t>(Uniform(0, static_cast<int>(keys.size()) - 1))];
        if (next == vk) next = 'Q' == vk ? 'W' : 'Q';
        Key(EventKind::kKeyDown, next, password);
        Key(EventKind::kKeyUp, vk, password);
        Key(EventKind::kKeyUp, next, password);
        ++i;
      } else {
        Key(EventKind::kKeyUp, vk, password);
      }
    }
  }

  void ToggleModifier() {
    int vk = kModifiers[Uniform(0, 8)];
    int generic = GenericModifier(vk);
    if (heldModifiers_.count(generic) != 0) {
      // Released through any of its forms, as the hook reports it.
      Key(EventKind::kKeyUp, vk, false);
      heldModifiers_.erase(generic);
    } else {
      Key(EventKind::kKeyDown, vk, false);
      if (Chance(30)) Key(EventKind::kKeyDown, vk, false);  // auto-repeat of a held modifier
      heldModifiers_.insert(generic);
    }
  }

  void Click() {
    MouseButton button = Chance(70) ? MouseButton::kLeft : (Chance(90) ? MouseButton::kRight : MouseButton::kMiddle);
    int x = Uniform(0, 1023), y = Uniform(0, 767);
    Add(make::ButtonEvent(EventKind::kButtonDown, x, y, button));
    if (Chance(15)) ChangeWindow();  // the press brought another window forward
    if (Chance(15)) {
      x = Uniform(0, 1023);
      y = Uniform(0, 767);
    }
    Add(make::ButtonEvent(EventKind::kButtonUp, x, y, button));
  }

  void Wheel() {
    int x = Uniform(0, 1023), y = Uniform(0, 767);
    for (int turns = Uniform(1, 3); turns > 0; --turns) {
      Add(make::WheelEvent(x, y, Chance(50) ? 1 : -1));
    }
  }

  std::mt19937 random_;
  Recording recording_;
  uint32_t now_ = 1000;
  const SimWindow* current_ = nullptr;
  std::set<int> heldModifiers_;
};

std::string Mods(const std::set<int>& held) {
  std::string text = "{";
  for (int vk : held) text += std::to_string(vk) + " ";
  return text + "}";
}

// What a person would see happen, one line each, from either side.
class Happenings {
 public:
  void Press(int vk, const std::string& window) {
    Add("press " + std::to_string(vk) + " " + Mods(modifiers_) + " in " + window);
  }
  void Modifier(int vk, bool down, const std::string& window) {
    bool changes = down ? modifiers_.insert(vk).second : modifiers_.erase(vk) > 0;
    if (changes) Add((down ? "hold " : "release ") + std::to_string(vk) + (down ? " in " + window : ""));
  }
  void Button(char button, bool down, int x, int y, const std::string& window) {
    if (down) {
      Add(std::string("button ") + button + " down at " + std::to_string(x) + "," + std::to_string(y) + " " +
          Mods(modifiers_) + " in " + window);
    } else {
      Add(std::string("button ") + button + " up");
    }
  }
  void Wheel(int notches, int x, int y) {
    std::string place = " at " + std::to_string(x) + "," + std::to_string(y);
    if (!lines_.empty() && lines_.back().starts_with("wheel ") && lines_.back().ends_with(place)) {
      notches += std::stoi(lines_.back().substr(6));
      lines_.pop_back();
    }
    Add("wheel " + std::to_string(notches) + place);
  }
  void Ime(bool open) { Add(open ? "input method on" : "input method off"); }

  const std::vector<std::string>& lines() const { return lines_; }
  const std::set<int>& modifiers() const { return modifiers_; }

 private:
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  std::set<int> modifiers_;
  std::vector<std::string> lines_;
};

std::vector<std::string> Expected(const Recording& recording) {
  Happenings happened;
  std::string window;
  std::set<int> heldButtons;
  for (const RecordedEvent& event : recording) {
    int vk = GenericModifier(event.vk);
    char button = event.button == MouseButton::kLeft ? 'L' : 'R';
    switch (event.kind) {
      case EventKind::kWindow: window = sim::SjisToUtf8(event.title); break;
      case EventKind::kKeyDown:
        if (IsModifier(vk)) {
          happened.Modifier(vk, true, window);
        } else if (!event.password) {
          happened.Press(vk, window);
        }
        break;
      case EventKind::kKeyUp:
        if (IsModifier(vk)) happened.Modifier(vk, false, window);
        break;
      case EventKind::kButtonDown:
        if (event.button == MouseButton::kMiddle) break;
        happened.Button(button, true, event.x, event.y, window);
        heldButtons.insert(button);
        break;
      case EventKind::kButtonUp:
        if (event.button == MouseButton::kMiddle || heldButtons.erase(button) == 0) break;
        happened.Button(button, false, event.x, event.y, window);
        break;
      case EventKind::kWheel: happened.Wheel(event.notches, event.x, event.y); break;
      case EventKind::kIme: happened.Ime(event.imeOpen); break;
    }
  }
  for (char button : heldButtons) happened.Button(button, false, 0, 0, window);
  for (int vk : std::set<int>(happened.modifiers())) happened.Modifier(vk, false, window);
  return happened.lines();
}

std::vector<std::string> Played(const nlohmann::json& trace) {
  std::map<int, std::string> titles;
  for (const SimWindow& window : kWindows) titles[window.id] = window.title;
  Happenings happened;
  std::string window;
  int x = 0, y = 0;
  int pressed = -1;  // an ordinary key that went down and waits for its release
  for (const nlohmann::json& entry : trace) {
    std::string call = entry.value("call", "");
    if (call == "SetForegroundWindow" && entry.value("result", false)) {
      window = titles[entry.value("window", 0)];
    } else if (call == "SetCursorPos") {
      x = entry.value("x", 0);
      y = entry.value("y", 0);
    } else if (call == "keybd_event") {
      int vk = entry.value("vk", 0);
      bool up = (entry.value("flags", 0) & 2) != 0;
      if (vk == kShift || vk == kControl || vk == kAlt) {
        happened.Modifier(vk, !up, window);
      } else if (!up) {
        pressed = vk;
      } else {
        EXPECT_EQ(pressed, vk) << "an ordinary key is released right after it is pressed";
        happened.Press(vk, window);
        pressed = -1;
      }
    } else if (call == "mouse_event") {
      int flags = entry.value("flags", 0);
      if (flags & 0x0800) happened.Wheel(entry.value("data", 0) / 120, x, y);
      if (flags & 0x0002) happened.Button('L', true, x, y, window);
      if (flags & 0x0004) happened.Button('L', false, x, y, window);
      if (flags & 0x0008) happened.Button('R', true, x, y, window);
      if (flags & 0x0010) happened.Button('R', false, x, y, window);
    } else if (call == "ImmSetOpenStatus") {
      happened.Ime(entry.value("open", false));
    }
  }
  return happened.lines();
}

TEST(RecorderRoundTripTest, GeneratedRecordingsPlayBackAlike) {
  sim::SimDesktop layoutDesktop("{}");
  const KeyLayout layout = KeyLayout::FromInput(layoutDesktop.input());
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    Recording recording = RecordingGenerator(seed).Generate(60);
    std::string macro = WriteMacro(recording, layout, WriterOptions{});
    testing::TestWorld world(DesktopJson());
    world.files.Add(testing::kMacroName, macro);
    ASSERT_EQ(world.Run(), 0) << "seed " << seed << "\n" << sim::SjisToUtf8(macro);
    EXPECT_EQ(world.Boxes(), std::vector<std::string>{}) << "seed " << seed;
    std::vector<std::string> expected = Expected(recording);
    std::vector<std::string> played = Played(world.desktop.Trace());
    ASSERT_EQ(played, expected) << "seed " << seed << "\n" << sim::SjisToUtf8(macro);
  }
}

}  // namespace
}  // namespace vendrix::recorder
