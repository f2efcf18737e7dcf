// The "screen" of a desktop description: its size, and what it shows for
// capture and pixel reads.
#include <algorithm>
#include <memory>

#include "images/bmp.h"
#include "platform/sim/desktop_json.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix::sim::desktop_json {
namespace {

using nlohmann::json;

constexpr uint64_t kMaxScreenSide = 100000;
// Enough for a busy test screen; each one costs a check per pixel read.
constexpr size_t kMaxPaints = 10000;

// "#RRGGBB", red first as people write colours; the desktop's value keeps
// red in its low byte.
images::Colour ReadColour(const json& value, const std::string& field) {
  constexpr std::string_view kShape = "must be a colour \"#RRGGBB\"";
  if (!value.is_string()) Fail(field, kShape);
  const std::string& text = value.get_ref<const std::string&>();
  if (text.size() != 7 || text[0] != '#') Fail(field, kShape);
  uint8_t parts[3];
  for (size_t i = 0; i < 3; ++i) {
    const int high = HexDigit(text[1 + 2 * i]), low = HexDigit(text[2 + 2 * i]);
    if (high < 0 || low < 0) Fail(field, kShape);
    parts[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return images::RgbColour(parts[0], parts[1], parts[2]);
}

std::shared_ptr<const images::Image> ReadPicture(const json& value, const std::string& field,
                                                   const DescriptionFileReader& readFile) {
  const std::string name = ReadText(value, field);
  if (!readFile) Fail(field, "cannot name a file here (the description was not read from a file)");
  const std::optional<std::string> bytes = readFile(name);
  if (!bytes) Fail(field, "names a file that cannot be read");
  images::BmpDecodeResult decoded = images::DecodeBmp(*bytes);
  if (decoded.problem != images::BmpProblem::kNone || decoded.image.width < 1 || decoded.image.height < 1) {
    Fail(field, "names a file that is no readable BMP image");
  }
  return std::make_shared<const images::Image>(std::move(decoded.image));
}

ScreenPaint ReadPaint(const json& value, const std::string& field) {
  if (!value.is_object()) Fail(field, "must be an object with \"rect\" and \"colour\"");
  RejectUnknownKeys(value, field, {"rect", "colour"});
  if (!value.contains("rect") || !value.contains("colour")) Fail(field, "needs a \"rect\" and a \"colour\"");
  return {ReadRect(value["rect"], Member(field, "rect")), ReadColour(value["colour"], Member(field, "colour"))};
}

}  // namespace

void ReadScreen(const json& screen, DesktopDescription& description, const DescriptionFileReader& readFile) {
  if (!screen.is_object()) Fail("screen", "must be an object");
  RejectUnknownKeys(screen, "screen", {"width", "height", "fill", "image", "rects"});
  ScreenPicture& shown = description.screen;
  if (screen.contains("image")) {
    shown.picture = ReadPicture(screen["image"], "screen.image", readFile);
    // The screen takes the picture's size unless it is given.
    description.screenWidth = static_cast<int>(std::min<uint64_t>(shown.picture->width, kMaxScreenSide));
    description.screenHeight = static_cast<int>(std::min<uint64_t>(shown.picture->height, kMaxScreenSide));
  }
  if (screen.contains("width")) {
    description.screenWidth = static_cast<int>(ReadInteger(screen["width"], "screen.width", 1, kMaxScreenSide));
  }
  if (screen.contains("height")) {
    description.screenHeight = static_cast<int>(ReadInteger(screen["height"], "screen.height", 1, kMaxScreenSide));
  }
  if (screen.contains("fill")) shown.fill = ReadColour(screen["fill"], "screen.fill");
  if (screen.contains("rects")) {
    const json& rects = screen["rects"];
    if (!rects.is_array()) Fail("screen.rects", "must be a list");
    if (rects.size() > kMaxPaints) Fail("screen.rects", "holds more than 10000 rectangles");
    for (size_t i = 0; i < rects.size(); ++i) shown.paints.push_back(ReadPaint(rects[i], Indexed("screen.rects", i)));
  }
}

}  // namespace vendrix::sim::desktop_json

namespace vendrix::sim {
namespace {

bool IsFolderMarkAt(std::string_view name, size_t pos, char separator) {
  return !sjis::IsLeadByteAt(name, pos) && (name[pos] == '/' || name[pos] == separator);
}

bool IsAbsolute(std::string_view name, char separator) {
  if (name.empty()) return false;
  if (IsFolderMarkAt(name, 0, separator)) return true;
  return separator == '\\' && name.size() >= 2 && name[1] == ':';
}

}  // namespace

DescriptionFileReader FilesBeside(platform::Files& files, std::string_view descriptionFile) {
  const char separator = files.PathSeparator();
  size_t folderEnd = 0;
  for (size_t pos = 0; pos < descriptionFile.size(); pos = sjis::NextChar(descriptionFile, pos)) {
    if (IsFolderMarkAt(descriptionFile, pos, separator)) folderEnd = pos + 1;
  }
  std::string folder(descriptionFile.substr(0, folderEnd));
  return [&files, folder, separator](std::string_view name) -> std::optional<std::string> {
    const std::string path = IsAbsolute(name, separator) ? std::string(name) : folder + std::string(name);
    platform::ReadResult read = files.ReadFile(path, kMaxDescriptionFileBytes);
    if (read.status != platform::ReadStatus::kOk) return std::nullopt;
    return std::move(read.bytes);
  };
}

}  // namespace vendrix::sim
