// The options the program reads once at start-up from Vendrix.INI.
#pragma once

#include <string>

namespace vendrix {

struct Settings {
  bool showAbout = false;
  bool nearMouse = true;
  int menuTop = 10;
  int menuLeft = 10;
  int topMax = 0;
  int topMin = 0;
  int leftMax = 0;
  int leftMin = 0;
  bool useSendInput = false;
  std::string editorPath;  // empty: the system's Notepad
  int menuWait = 0;
  int autoDelay = 0;
  bool autoDelaySkip = false;
  bool menuChange = false;
  int stepFontSize = 10;
  int menuHeight = 16;
  int menuWidth = 60;
  std::string tsrHotkey;
  bool releaseModifiers = true;
  bool hideTaskbar = false;
  bool autoPaste = false;
  bool funcError = false;
  bool varError = false;
  int stepWidth = 200;
  int stepHeight = 200;
  int stepTop = 0;
  int stepLeft = 0;
};

}  // namespace vendrix
