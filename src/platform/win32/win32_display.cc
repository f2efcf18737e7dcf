#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {
namespace {

// The screen's device context for the life of one read.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A 32-bit top-down DIB section selected into a memory DC: the screen is
// copied into it with one BitBlt and read out in one piece.
class DibCanvas {
 public:
  DibCanvas(HDC screen, int width, int height) : dc_(::CreateCompatibleDC(screen)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (dc_ != nullptr) bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_ != nullptr) old_ = ::SelectObject(dc_, bitmap_);
  }
  ~DibCanvas() {
    if (old_ != nullptr) ::SelectObject(dc_, old_);
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    if (dc_ != nullptr) ::DeleteDC(dc_);
  }
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
  bool ok() const { return bits_ != nullptr && old_ != nullptr; }
  HDC dc() const { return dc_; }
  const uint32_t* pixels() const { return static_cast<const uint32_t*>(bits_); }

 private:
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// A DIB pixel is 0x00RRGGBB in memory order B, G, R, 0; the desktop's
// colour value keeps red in the low byte.
images::Colour ColourFromDib(uint32_t pixel) {
  return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

}  // namespace

int Win32Display::ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }

int Win32Display::ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

std::optional<images::Image> Win32Display::CaptureScreen(const platform::Rect& area) {
  if (area.width <= 0 || area.height <= 0) return std::nullopt;
  ScreenDc screen;
  if (screen.get() == nullptr) return std::nullopt;
  DibCanvas canvas(screen.get(), area.width, area.height);
  if (!canvas.ok()) return std::nullopt;
  if (!::BitBlt(canvas.dc(), 0, 0, area.width, area.height, screen.get(), area.left, area.top, SRCCOPY)) {
    return std::nullopt;
  }
  ::GdiFlush();  // the DIB's memory is current only after GDI's batch ran
  images::Image image(area.width, area.height);
  const uint32_t* from = canvas.pixels();
  for (images::Colour& to : image.pixels) to = ColourFromDib(*from++);
  return image;
}

images::Colour Win32Display::ScreenPixel(platform::Point at) {
  ScreenDc screen;
  if (screen.get() == nullptr) return images::kInvalidColour;
  return ::GetPixel(screen.get(), at.x, at.y);
}

}  // namespace vendrix::win32
