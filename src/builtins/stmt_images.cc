// CAPTURE, CAPTUREJPG, CAPTURESCREEN, CAPTURESCREENJPG, OPENGRAPH and
// CLOSEGRAPH.
#include <cstdint>
#include <string>

#include "builtins/dispatch.h"
#include "engine/interpreter.h"
#include "engine/file_slots.h"
#include "engine/image_slots.h"
#include "images/bmp.h"
#include "images/jpeg.h"
#include "values/sjis.h"
#include "values/variables.h"

namespace vendrix {
namespace {

// Beyond an 8K screen several times over, and still a bounded allocation
// (256 MB of pixels) whatever corners a macro computes; every capture can
// be written as a BMP file that OPENGRAPH reads back.
constexpr int64_t kMaxCaptureSide = images::kBmpMaxSide;
constexpr int64_t kMaxCapturePixels = images::kBmpMaxPixels;

// The largest BMP file OPENGRAPH reads; the reader checks the pixel data
// against what the file holds, so this only bounds the read itself.
constexpr size_t kMaxBmpFileBytes = size_t{1} << 30;

enum class ImageFormat { kBmp, kJpeg };

std::string KeywordAnd(const Statement& statement, std::string_view operand) {
  std::string text = statement.keyword;
  text += ' ';
  text += operand;
  return text;
}

void CheckCaptureSize(Interpreter& interp, const Statement& statement, int64_t width, int64_t height) {
  if (width > kMaxCaptureSide || height > kMaxCaptureSide || width * height > kMaxCapturePixels) {
    interp.Fatal(std::string(msg::kCaptureTooLarge) + statement.keyword);
  }
}

// The area of corners (x1, y1) and (x2, y2), corner 2 exclusive; all four
// 0 stand for the foreground window.
platform::Rect CaptureArea(Interpreter& interp, const Statement& statement) {
  const platform::Point first = PointFromText(interp.Operand(statement, 1));
  const platform::Point second = PointFromText(interp.Operand(statement, 2));
  int64_t left = first.x, top = first.y, right = second.x, bottom = second.y;
  if (left == 0 && top == 0 && right == 0 && bottom == 0) {
    platform::Windows& windows = interp.Platform().windows;
    const std::optional<platform::WindowRect> rect = windows.GetWindowRect(windows.GetForegroundWindow());
    if (!rect) interp.Fatal(std::string(msg::kNoActiveWindow) + statement.keyword);
    left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
  }
  if (right <= left || bottom <= top) interp.Fatal(std::string(msg::kSizeNotPositive) + statement.keyword);
  const int64_t width = right - left, height = bottom - top;
  CheckCaptureSize(interp, statement, width, height);
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(width), static_cast<int>(height)};
}

// The whole screen, within the same bound as any other capture: a screen
// beyond it is refused rather than captured and encoded whole.
platform::Rect WholeScreen(Interpreter& interp, const Statement& statement) {
  platform::Display& display = interp.Platform().display;
  const int width = display.ScreenWidth(), height = display.ScreenHeight();
  CheckCaptureSize(interp, statement, width, height);
  return {0, 0, width, height};
}

// Encodes the captured area and writes it under the file's name with the
// format's extension, replacing an existing file.
void SaveCapture(Interpreter& interp, const Statement& statement, const std::string& file, const platform::Rect& area,
                 ImageFormat format) {
  const std::optional<images::Image> image = interp.Platform().display.CaptureScreen(area);
  if (!image) interp.Fatal(std::string(msg::kCaptureFailed) + statement.keyword);
  platform::Files& files = interp.Platform().files;
  std::string bytes;
  std::string path;
  if (format == ImageFormat::kBmp) {
    bytes = images::EncodeBmp24(*image);
    path = WithExtension(file, ".bmp", files.PathSeparator());
  } else {
    const int quality = images::JpegQualityFromText(interp.Value(kCaptureJpgVariable));
    bytes = images::EncodeJpeg(*image, quality);
    path = WithExtension(file, ".jpg", files.PathSeparator());
  }
  if (bytes.empty()) interp.Fatal(std::string(msg::kCaptureFailed) + statement.keyword);
  std::string reason;
  if (!files.SaveFile(path, bytes, &reason)) interp.FileFailure(statement.keyword, path, reason);
}

std::string CaptureFileOperand(Interpreter& interp, const Statement& statement) {
  std::string file = interp.Operand(statement, 0);
  if (file.empty()) interp.Fatal(msg::kNoSaveFileName);
  return file;
}

void SaveAreaCapture(Interpreter& interp, const Statement& statement, ImageFormat format) {
  const std::string file = CaptureFileOperand(interp, statement);
  SaveCapture(interp, statement, file, CaptureArea(interp, statement), format);
}

void SaveScreenCapture(Interpreter& interp, const Statement& statement, ImageFormat format) {
  const std::string file = CaptureFileOperand(interp, statement);
  SaveCapture(interp, statement, file, WholeScreen(interp, statement), format);
}

bool IsStrict(std::string_view operand) { return sjis::AnsiLower(operand) == "true"; }

// Reads the BMP file into a fresh image; an unreadable file is reported
// and leaves the slot empty.
images::Image LoadBmp(Interpreter& interp, const Statement& statement, const std::string& file) {
  platform::ReadResult read = interp.Platform().files.ReadFile(file, kMaxBmpFileBytes);
  if (read.status != platform::ReadStatus::kOk) {
    interp.FileFailure(statement.keyword, file, read.reason);
  }
  images::BmpDecodeResult decoded = images::DecodeBmp(read.bytes);
  if (decoded.problem != images::BmpProblem::kNone) {
    std::string message(msg::kBmpUnreadable);
    message += images::BmpProblemText(decoded.problem);
    message += msg::kBmpUnreadableEnd;
    message += KeywordAnd(statement, file);
    interp.Fatal(message);
  }
  return std::move(decoded.image);
}

}  // namespace

void StmtCapture(Interpreter& interp, const Statement& statement) {
  SaveAreaCapture(interp, statement, ImageFormat::kBmp);
}

void StmtCaptureJpg(Interpreter& interp, const Statement& statement) {
  SaveAreaCapture(interp, statement, ImageFormat::kJpeg);
}

void StmtCaptureScreen(Interpreter& interp, const Statement& statement) {
  SaveScreenCapture(interp, statement, ImageFormat::kBmp);
}

void StmtCaptureScreenJpg(Interpreter& interp, const Statement& statement) {
  SaveScreenCapture(interp, statement, ImageFormat::kJpeg);
}

void StmtOpenGraph(Interpreter& interp, const Statement& statement) {
  const std::string slotText = interp.Operand(statement, 0);
  const int n = interp.CheckedImageSlot(slotText, KeywordAnd(statement, slotText));
  const std::string file = interp.Operand(statement, 1);
  platform::Files& files = interp.Platform().files;
  if (sjis::AnsiUpper(std::string_view(file).substr(ExtensionStart(file, files.PathSeparator()))) != ".BMP") {
    interp.Fatal(std::string(msg::kNotBmpExtension) + KeywordAnd(statement, file));
  }
  if (!files.FileExists(file)) {
    interp.Fatal(std::string(msg::kImageFileMissing) + KeywordAnd(statement, file));
  }
  std::optional<images::Image>& slot = interp.ImageSlot(n);
  if (slot && IsStrict(interp.Operand(statement, 2))) {
    interp.Fatal(std::string(msg::kImageNumberInUse) + KeywordAnd(statement, slotText));
  }
  slot.reset();
  slot = LoadBmp(interp, statement, file);
}

void StmtCloseGraph(Interpreter& interp, const Statement& statement) {
  const std::string slotText = interp.Operand(statement, 0);
  const int n = interp.CheckedImageSlot(slotText, KeywordAnd(statement, slotText));
  std::optional<images::Image>& slot = interp.ImageSlot(n);
  if (!slot && IsStrict(interp.Operand(statement, 1))) {
    interp.Fatal(std::string(msg::kImageNumberUnused) + KeywordAnd(statement, slotText));
  }
  slot.reset();
}

}  // namespace vendrix
