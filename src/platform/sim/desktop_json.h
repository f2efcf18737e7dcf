// Reading the desktop description: the strict checks every part shares.
// Internal to the simulated desktop.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/sim/desktop_description.h"

namespace vendrix::sim::desktop_json {

// Throws DesktopError naming the field.
[[noreturn]] void Fail(const std::string& field, std::string_view problem);

std::string Indexed(std::string_view list, size_t index);
std::string Member(const std::string& parent, std::string_view key);

uint64_t ReadInteger(const nlohmann::json& value, const std::string& field, uint64_t min, uint64_t max);
// A possibly negative integer.
int64_t ReadSigned(const nlohmann::json& value, const std::string& field, int64_t min, int64_t max);
bool ReadBool(const nlohmann::json& value, const std::string& field);
// A UTF-8 text, as Shift-JIS.
std::string ReadText(const nlohmann::json& value, const std::string& field);

// A coordinate far beyond any screen, yet no sum of two overflows an int.
int ReadCoordinate(const nlohmann::json& value, const std::string& field);
// [left, top, right, bottom], right not left of left, bottom not above top.
platform::WindowRect ReadRect(const nlohmann::json& value, const std::string& field);

// Objects inside lists are closed: a misspelt key is an error, not a default.
void RejectUnknownKeys(const nlohmann::json& object, const std::string& field,
                       std::initializer_list<std::string_view> known);

const nlohmann::json& RequireList(const nlohmann::json& root, const char* key);

// The screen: its size and what it shows (screen_json.cc).
void ReadScreen(const nlohmann::json& screen, DesktopDescription& description,
                const DescriptionFileReader& readFile);

// The shell's events, file dialog answers and taken hotkeys (shell_json.cc).
void ReadShell(const nlohmann::json& root, DesktopDescription& description);

// The windows, pointer, clipboard, programs, joysticks and system of the
// description (sim_world_json.cc); needs the screen read first.
void ReadWorld(const nlohmann::json& root, DesktopDescription& description);

}  // namespace vendrix::sim::desktop_json
