// What a recording session keeps of the events the hooks report.
#include "recorder/session.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vendrix::recorder {
namespace {

constexpr int kLeftShift = 0xA0, kLeftControl = 0xA2, kLeftAlt = 0xA4, kEscape = 27, kF9 = 0x78;

// One word per event: "W:title@x,y", "K+65"/"K-65", "P+65" (a password
// key), "L+x,y"/"L-x,y" (left button; R for right), "H3" (wheel), "I1"
// (input method open), each after its time: "120:K+65".
std::string Describe(const Recording& recording) {
  std::string text;
  for (const RecordedEvent& event : recording) {
    if (!text.empty()) text += " ";
    text += std::to_string(event.timeMs) + ":";
    std::string point = std::to_string(event.x) + "," + std::to_string(event.y);
    char button = event.button == MouseButton::kLeft ? 'L' : event.button == MouseButton::kRight ? 'R' : 'M';
    switch (event.kind) {
      case EventKind::kKeyDown: text += (event.password ? "P+" : "K+") + std::to_string(event.vk); break;
      case EventKind::kKeyUp: text += (event.password ? "P-" : "K-") + std::to_string(event.vk); break;
      case EventKind::kButtonDown: text += std::string(1, button) + "+" + point; break;
      case EventKind::kButtonUp: text += std::string(1, button) + "-" + point; break;
      case EventKind::kWheel: text += "H" + std::to_string(event.notches); break;
      case EventKind::kWindow:
        text += "W:" + event.title + "@" + std::to_string(event.left) + "," + std::to_string(event.top);
        break;
      case EventKind::kIme: text += event.imeOpen ? "I1" : "I0"; break;
    }
  }
  return text;
}

RecorderOptions Options() {
  RecorderOptions options;
  options.breakKey = kEscape;
  options.hotkey = RecorderHotkey{kF9, platform::kModControl | platform::kModShift};
  return options;
}

EventSource At(uint32_t timeMs) { return EventSource{timeMs, false, false}; }
EventSource Injected(uint32_t timeMs) { return EventSource{timeMs, true, false}; }
EventSource OnOwnWindow(uint32_t timeMs) { return EventSource{timeMs, false, true}; }

const FrontWindow kEditor{"editor", 100, 50};
const FrontWindow kBrowser{"browser", 0, 0};

struct Case {
  const char* name;
  bool acceptInjected;
  std::function<void(RecordingSession&)> drive;
  const char* expected;
};

void Tap(RecordingSession& session, uint32_t at, int vk) {
  session.Key(At(at), vk, true, false);
  session.Key(At(at + 5), vk, false, false);
}

TEST(RecordingSessionTest, KeepsWhatTheUserDid) {
  const Case cases[] = {
      {"times count from the start", false, [](RecordingSession& s) { Tap(s, 1200, 'A'); }, "0:W:editor@100,50 200:K+65 205:K-65"},
      {"injected input is a macro playing back", false,
       [](RecordingSession& s) {
         s.Key(Injected(1100), 'B', true, false);
         s.Key(Injected(1101), 'B', false, false);
         s.Button(Injected(1102), MouseButton::kLeft, true, 5, 5);
       },
       "0:W:editor@100,50"},
      {"the test switch keeps injected input", true,
       [](RecordingSession& s) {
         s.Key(Injected(1100), 'B', true, false);
         s.Key(Injected(1101), 'B', false, false);
       },
       "0:W:editor@100,50 100:K+66 101:K-66"},
      {"the recorder's own window is not recorded", false,
       [](RecordingSession& s) {
         s.Window(OnOwnWindow(1100), FrontWindow{"Zemlo", 9, 9});
         s.Button(OnOwnWindow(1100), MouseButton::kLeft, true, 9, 9);
         s.Button(OnOwnWindow(1150), MouseButton::kLeft, false, 9, 9);
         s.Key(OnOwnWindow(1160), ' ', true, false);
       },
       "0:W:editor@100,50"},
      {"a release whose press came before the start", false,
       [](RecordingSession& s) {
         s.Key(At(1010), kLeftControl, false, false);
         s.Button(At(1020), MouseButton::kRight, false, 1, 1);
         Tap(s, 1030, 'C');
       },
       "0:W:editor@100,50 30:K+67 35:K-67"},
      {"auto-repeat is kept", false,
       [](RecordingSession& s) {
         s.Key(At(1000), 'D', true, false);
         s.Key(At(1500), 'D', true, false);
         s.Key(At(1530), 'D', false, false);
       },
       "0:W:editor@100,50 0:K+68 500:K+68 530:K-68"},
      {"the break key is neither recorded nor its release", false,
       [](RecordingSession& s) { s.Key(At(1010), kEscape, false, false); },
       "0:W:editor@100,50"},
      {"a window change is recorded once", false,
       [](RecordingSession& s) {
         s.Window(At(1100), kEditor);
         s.Window(At(1200), kBrowser);
         s.Window(At(1210), kBrowser);
         s.Window(At(1300), FrontWindow{"browser", 10, 0});
       },
       "0:W:editor@100,50 200:W:browser@0,0 300:W:browser@10,0"},
      {"password keys are marked", false,
       [](RecordingSession& s) {
         s.Key(At(1000), 'E', true, true);
         s.Key(At(1001), 'E', false, true);
       },
       "0:W:editor@100,50 0:P+69 1:P-69"},
      {"the input method only when it changes", false,
       [](RecordingSession& s) {
         s.Ime(At(1000), true);
         s.Ime(At(1001), true);
         s.Ime(At(1002), false);
       },
       "0:W:editor@100,50 0:I1 2:I0"},
      {"wheel and buttons with their places", false,
       [](RecordingSession& s) {
         s.Wheel(At(1000), -2, 40, 40);
         s.Wheel(At(1001), 0, 40, 40);
         s.Button(At(1002), MouseButton::kRight, true, 41, 42);
         s.Button(At(1003), MouseButton::kRight, false, 43, 44);
       },
       "0:W:editor@100,50 0:H-2 2:R+41,42 3:R-43,44"},
      {"the hotkey's own key is not recorded, nor the chord held at the end", false,
       [](RecordingSession& s) {
         Tap(s, 1000, 'F');
         s.Key(At(1100), kLeftControl, true, false);
         s.Key(At(1110), kLeftControl, true, false);  // auto-repeat while the chord forms
         s.Key(At(1120), kLeftShift, true, false);
         s.Key(At(1130), kF9, true, false);
       },
       "0:W:editor@100,50 0:K+70 5:K-70"},
      {"the hotkey's key with other modifiers is ordinary input", false,
       [](RecordingSession& s) {
         s.Key(At(1000), kLeftControl, true, false);
         s.Key(At(1010), kF9, true, false);
         s.Key(At(1020), kF9, false, false);
         s.Key(At(1030), kLeftControl, false, false);
       },
       "0:W:editor@100,50 0:K+162 10:K+120 20:K-120 30:K-162"},
      {"a modifier held across a click stays", false,
       [](RecordingSession& s) {
         s.Key(At(1000), kLeftAlt, true, false);
         s.Button(At(1010), MouseButton::kLeft, true, 1, 2);
         s.Button(At(1020), MouseButton::kLeft, false, 1, 2);
       },
       "0:W:editor@100,50 0:K+164 10:L+1,2 20:L-1,2"},
  };
  for (const Case& c : cases) {
    RecordingSession session(Options(), c.acceptInjected);
    session.Start(1000, kEditor);
    c.drive(session);
    EXPECT_EQ(Describe(session.Stop()), c.expected) << c.name;
    EXPECT_EQ(session.state(), RecorderState::kStopped) << c.name;
  }
}

TEST(RecordingSessionTest, BreakKeyAsksToStopEvenWhenPaused) {
  RecordingSession session(Options(), false);
  EXPECT_EQ(session.Key(At(0), kEscape, true, false), KeyVerdict::kIgnored) << "not recording yet";
  session.Start(1000, kEditor);
  EXPECT_EQ(session.Key(At(1100), kEscape, true, false), KeyVerdict::kStop);
  EXPECT_EQ(session.Key(Injected(1100), kEscape, true, false), KeyVerdict::kIgnored) << "a macro's Escape";
  session.Pause(1200);
  EXPECT_EQ(session.Key(At(1300), kEscape, true, false), KeyVerdict::kStop);
}

TEST(RecordingSessionTest, PauseReleasesWhatIsHeldAndItsTimeIsNoPause) {
  RecordingSession session(Options(), false);
  session.Start(1000, kEditor);
  session.Key(At(1100), kLeftShift, true, false);
  session.Button(At(1150), MouseButton::kLeft, true, 7, 8);
  session.Pause(1200);
  EXPECT_EQ(session.state(), RecorderState::kPaused);
  Tap(session, 5000, 'G');                                 // while paused: not recorded
  session.Key(At(6000), kLeftShift, false, false);        // let go while paused
  session.Button(At(6000), MouseButton::kLeft, false, 7, 8);
  session.Resume(61200);                                   // a minute later
  EXPECT_EQ(session.ElapsedMs(61300), 300u);
  Tap(session, 61300, 'H');
  EXPECT_EQ(Describe(session.Stop()),
            "0:W:editor@100,50 100:K+160 150:L+7,8 200:K-160 200:L-7,8 300:K+72 305:K-72");
}

TEST(RecordingSessionTest, ElapsedStopsWhilePausedAndStartClearsTheLastRecording) {
  RecordingSession session(Options(), false);
  EXPECT_EQ(session.ElapsedMs(500), 0u);
  session.Start(1000, kEditor);
  Tap(session, 1100, 'A');
  session.Pause(1500);
  EXPECT_EQ(session.ElapsedMs(9000), 500u);
  session.Resume(2000);
  EXPECT_EQ(session.ElapsedMs(2250), 750u);
  EXPECT_TRUE(HasInput(session.Stop()));
  session.Start(3000, kBrowser);
  EXPECT_EQ(session.EventCount(), 1u);
  EXPECT_FALSE(HasInput(session.Stop())) << "only the window in front";
  session.Start(4000, std::nullopt);  // the recorder itself in front
  session.Window(At(4100), kEditor);
  Tap(session, 4200, 'A');
  EXPECT_EQ(Describe(session.Stop()), "100:W:editor@100,50 200:K+65 205:K-65");
}

}  // namespace
}  // namespace vendrix::recorder
