#include "recorder/macro_writer.h"

#include <cstdlib>
#include <optional>
#include <set>

#include "values/sjis.h"

namespace vendrix::recorder {
namespace {

constexpr std::string_view kPasswordComment =
    "; Keys typed into a password field were not recorded here.";
constexpr std::string_view kMiddleComment = "; A middle click here: the macro language cannot replay it.";

std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

// A button pressed and not yet written: a click when its release follows
// at the same place with nothing in between.
struct PendingPress {
  MouseButton button;
  int x;
  int y;
};

class MacroWriter {
 public:
  MacroWriter(const KeyLayout& layout, const WriterOptions& options) : layout_(layout), options_(options) {}

  std::string Write(const Recording& recording) {
    for (const std::string& line : options_.header) lines_.push_back("; " + line);
    for (const RecordedEvent& event : recording) Take(event);
    Finish();
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    return text;
  }

 private:
  void Take(const RecordedEvent& event) {
    PauseBefore(event);
    if (event.kind == EventKind::kWindow && pending_) {
      // Pressing a button on another window brings it to the front before
      // the release: the click comes first, then the window change.
      deferredWindow_ = event;
      lastTimeMs_ = event.timeMs;
      return;
    }
    if (event.kind != EventKind::kButtonUp) CommitPress();
    switch (event.kind) {
      case EventKind::kKeyDown: KeyDown(event); break;
      case EventKind::kKeyUp: KeyUp(event); break;
      case EventKind::kButtonDown: ButtonDown(event); break;
      case EventKind::kButtonUp: ButtonUp(event); break;
      case EventKind::kWheel: Wheel(event); break;
      case EventKind::kWindow: Window(event); break;
      case EventKind::kIme: Statement(event.imeOpen ? "SET-IME TRUE" : "SET-IME FALSE"); break;
    }
    lastTimeMs_ = event.timeMs;
  }

  void PauseBefore(const RecordedEvent& event) {
    if (!lastTimeMs_ || event.timeMs <= *lastTimeMs_) return;
    uint32_t pause = event.timeMs - *lastTimeMs_;
    if (pause <= options_.pauseThresholdMs) return;
    uint32_t step = options_.delayRoundingMs == 0 ? 1 : options_.delayRoundingMs;
    uint32_t rounded = (pause + step / 2) / step * step;
    CommitPress();
    Statement("DELAY " + std::to_string(rounded));
  }

  // ---- keys ---------------------------------------------------------------

  void KeyDown(const RecordedEvent& event) {
    int vk = GenericModifier(event.vk);
    if (IsModifier(vk)) {
      // A held modifier repeats its key-down; it is down all the same.
      if (heldModifiers_.insert(vk).second) Token(KeyName(vk) + "++");
      return;
    }
    if (event.password) {
      if (!inPassword_) Statement(std::string(kPasswordComment));
      inPassword_ = true;
      return;
    }
    inPassword_ = false;
    Press(vk);
  }

  void KeyUp(const RecordedEvent& event) {
    int vk = GenericModifier(event.vk);
    if (IsModifier(vk) && heldModifiers_.erase(vk) > 0) Token(KeyName(vk) + "--");
    // An ordinary key was written as a whole press when it went down.
  }

  void Press(int vk) {
    char character = layout_.CharacterOf(vk);
    if (character == ' ') {
      Token("[SPACE]");
    } else if (character == ';') {
      Token("[SEMICOLON]");  // ";" would start a comment
    } else if (character == 0 || !FitsInRun(character)) {
      Token(KeyName(vk));
    } else {
      AppendToRun(character);
    }
  }

  // Characters that cannot start a word of a KEY text: "(" and a quote
  // start an expression or a text, "%" a variable, "[" a key name.
  static bool StartsSomethingElse(char character) {
    return character == '(' || character == '"' || character == '%' || character == '[';
  }

  bool FitsInRun(char character) const { return !(run_.empty() && StartsSomethingElse(character)); }

  void AppendToRun(char character) {
    run_ += character;
    // Three characters ending in "++" or "--" would mean "hold" or
    // "release" the first: the last character starts a new word instead.
    bool holdForm = run_.size() == 3 && (run_.ends_with("++") || run_.ends_with("--"));
    if (holdForm) {
      run_.pop_back();
      EndRun();
      run_ = std::string(1, character);
    }
  }

  void EndRun() {
    if (run_.empty()) return;
    tokens_.push_back(run_);
    run_.clear();
  }

  void Token(std::string token) {
    EndRun();
    tokens_.push_back(std::move(token));
  }

  void FlushKeys() {
    EndRun();
    std::string line;
    for (const std::string& token : tokens_) {
      if (!line.empty() && line.size() + 1 + token.size() > options_.keyLineBytes) {
        lines_.push_back("KEY " + line);
        line.clear();
      }
      line += (line.empty() ? "" : " ") + token;
    }
    if (!line.empty()) lines_.push_back("KEY " + line);
    tokens_.clear();
  }

  // ---- buttons and the wheel ---------------------------------------------

  void ButtonDown(const RecordedEvent& event) {
    inPassword_ = false;
    if (event.button == MouseButton::kMiddle) {
      Statement(std::string(kMiddleComment));
      return;
    }
    pending_ = PendingPress{event.button, event.x, event.y};
  }

  void ButtonUp(const RecordedEvent& event) {
    if (event.button == MouseButton::kMiddle) return;
    if (pending_ && pending_->button == event.button && pending_->x == event.x && pending_->y == event.y) {
      Statement((event.button == MouseButton::kLeft ? "LCLICK " : "RCLICK ") + Relative(event.x, event.y));
      pending_.reset();
      pointer_ = {event.x, event.y};
      TakeDeferredWindow();
      return;
    }
    CommitPress();
    if (heldButtons_.erase(event.button) == 0) return;  // pressed before the recording
    MoveTo(event.x, event.y);
    Token(ButtonName(event.button) + "--");
    FlushKeys();
  }

  // A press that turned out to be no click (a drag, a long press, keys in
  // between): the pointer goes there and the button goes down.
  void CommitPress() {
    if (!pending_) return;
    PendingPress press = *pending_;
    pending_.reset();
    MoveTo(press.x, press.y);
    Token(ButtonName(press.button) + "++");
    FlushKeys();
    heldButtons_.insert(press.button);
    TakeDeferredWindow();
  }

  void TakeDeferredWindow() {
    if (!deferredWindow_) return;
    RecordedEvent window = std::move(*deferredWindow_);
    deferredWindow_.reset();
    Window(window);
  }

  static std::string ButtonName(MouseButton button) {
    return button == MouseButton::kLeft ? "[LCLICK]" : "[RCLICK]";
  }

  void MoveTo(int x, int y) {
    if (pointer_ && pointer_->first == x && pointer_->second == y) return;
    Statement("MOVETO " + Relative(x, y));
    pointer_ = {x, y};
  }

  void Wheel(const RecordedEvent& event) {
    MoveTo(event.x, event.y);
    // Turns that follow each other at one place make one WHEEL line.
    if (lastWasWheel_ && lines_.back().starts_with("WHEEL ")) {
      int notches = std::atoi(lines_.back().c_str() + 6) + event.notches;
      lines_.back() = "WHEEL " + std::to_string(notches);
    } else {
      Statement("WHEEL " + std::to_string(event.notches));
    }
    lastWasWheel_ = true;
  }

  std::string Relative(int x, int y) const { return Point(x - originX_, y - originY_); }

  // ---- windows -----------------------------------------------------------

  void Window(const RecordedEvent& event) {
    if (event.title.empty()) {
      Statement("; A window without a title came to the front.");
    } else {
      Statement("ACTIVATE-WINDOW " + QuotedOperand(event.title));
    }
    // The origin is read from the window when the macro runs, so clicks
    // still land when the window has moved since it was recorded.
    Statement("SETORIGIN (getwindowpos)");
    originX_ = event.left;
    originY_ = event.top;
  }

  // ---- lines -------------------------------------------------------------

  void Statement(std::string line) {
    FlushKeys();
    lastWasWheel_ = false;
    lines_.push_back(std::move(line));
  }

  void Finish() {
    CommitPress();
    // Nothing stays held: what was down when the recording stopped goes up.
    for (MouseButton button : heldButtons_) Token(ButtonName(button) + "--");
    for (int vk : heldModifiers_) Token(KeyName(vk) + "--");
    FlushKeys();
  }

  const KeyLayout& layout_;
  const WriterOptions& options_;
  std::vector<std::string> lines_;
  std::vector<std::string> tokens_;  // of the KEY text being gathered
  std::string run_;                  // characters typed one after another
  std::set<int> heldModifiers_;
  std::set<MouseButton> heldButtons_;
  std::optional<PendingPress> pending_;
  std::optional<RecordedEvent> deferredWindow_;
  std::optional<std::pair<int, int>> pointer_;  // where the macro left the pointer
  std::optional<uint32_t> lastTimeMs_;
  int originX_ = 0;
  int originY_ = 0;
  bool inPassword_ = false;
  bool lastWasWheel_ = false;
};

// "a;b" → "a;;b" and a quote doubled: the loader turns ";;" back into ";",
// the evaluator "" into ".
std::string Escaped(std::string_view text) {
  return sjis::JReplaceAll(sjis::JReplaceAll(text, "\"", "\"\""), ";", ";;");
}

}  // namespace

std::string QuotedOperand(const std::string& text) {
  // Inside quotes "\n" means a line break: a title that holds those two
  // characters is joined from two texts that split them.
  size_t at = sjis::FindAtCharBoundary(text, "\\n");
  // Appended, not "\"" + std::string: GCC 12 at -O3 warns (-Wrestrict)
  // about its own inlined code for the latter.
  if (at == std::string::npos) return std::string("\"").append(Escaped(text)).append("\"");
  std::string joined = "(&";
  size_t start = 0;
  for (; at != std::string::npos; at = sjis::FindAtCharBoundary(text, "\\n", at + 1)) {
    joined.append(" \"").append(Escaped(std::string_view(text).substr(start, at + 1 - start))).append("\"");
    start = at + 1;
  }
  return joined + " \"" + Escaped(std::string_view(text).substr(start)) + "\")";
}

std::string WriteMacro(const Recording& recording, const KeyLayout& layout, const WriterOptions& options) {
  return MacroWriter(layout, options).Write(recording);
}

}  // namespace vendrix::recorder
