// A window's pixels through GDI into a 24-bit BMP file.
#include "ui/win32/WindowPicture.h"

#include <cstdint>
#include <stdexcept>

#include "sys/Files.h"

namespace ui::win32 {
namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
// Larger than any screen: a window that claims more is no picture to keep.
constexpr int kMaxSide = 16384;

void PutU16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFFU);
  out += static_cast<char>((value >> 8U) & 0xFFU);
}

void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFFU);
  PutU16(out, value >> 16U);
}

// The file of a top-down 32-bit BGRX image: headers, then the rows bottom-up in three
// bytes a pixel, each row padded to four bytes, as BMP readers expect.
std::string BmpFile(const std::uint8_t* pixels, int width, int height) {
  const auto rowBytes = static_cast<std::uint32_t>(((width * 3) + 3) & ~3);
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
  std::string out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageBytes);
  out += "BM";
  PutU32(out, kFileHeaderSize + kInfoHeaderSize + imageBytes);
  PutU32(out, 0);
  PutU32(out, kFileHeaderSize + kInfoHeaderSize);
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<std::uint32_t>(width));
  PutU32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  PutU16(out, 1);                                   // planes
  PutU16(out, 24);                                  // bits per pixel
  PutU32(out, BI_RGB);
  PutU32(out, imageBytes);
  PutU32(out, 3780);  // 96 pixels per inch, in pixels per metre
  PutU32(out, 3780);
  PutU32(out, 0);
  PutU32(out, 0);
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int y = height - 1; y >= 0; --y) {
    const std::uint8_t* row = pixels + (static_cast<std::size_t>(y) * stride);
    const std::size_t start = out.size();
    for (int x = 0; x < width; ++x) {
      out.append(reinterpret_cast<const char*>(row + (static_cast<std::size_t>(x) * 4)), 3);
    }
    out.append(rowBytes - (out.size() - start), '\0');
  }
  return out;
}

// GDI objects of one copy, released in any case.
struct Capture {
  explicit Capture(HWND shown) : window(shown) {}
  HWND window;
  HDC screen = nullptr;
  HDC memory = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  bool caretHidden = false;
  ~Capture() {
    if (previous != nullptr) {
      SelectObject(memory, previous);
    }
    if (bitmap != nullptr) {
      DeleteObject(bitmap);
    }
    if (memory != nullptr) {
      DeleteDC(memory);
    }
    if (screen != nullptr) {
      ReleaseDC(window, screen);
    }
    if (caretHidden) {
      ShowCaret(nullptr);
    }
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
};

}  // namespace

bool SaveWindowPicture(HWND window, const std::string& path, std::string& why) {
  RECT area{};
  if (window == nullptr || !IsWindow(window) || !IsWindowVisible(window) ||
      !GetWindowRect(window, &area)) {
    why = "the window is not shown";
    return false;
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    why =
        "the window has no picture (" + std::to_string(width) + "x" + std::to_string(height) + ")";
    return false;
  }
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Capture capture(window);
  // The caret belongs to this thread's focused control; hidden, it is drawn neither in
  // nor out of the picture.
  capture.caretHidden = HideCaret(nullptr) != FALSE;
  GdiFlush();
  capture.screen = GetWindowDC(window);
  capture.memory = capture.screen != nullptr ? CreateCompatibleDC(capture.screen) : nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  if (capture.memory != nullptr) {
    capture.bitmap = CreateDIBSection(capture.memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  if (capture.bitmap == nullptr || bits == nullptr) {
    why = "no bitmap for the picture: " + sys::win32::LastErrorText();
    return false;
  }
  capture.previous = SelectObject(capture.memory, capture.bitmap);
  if (!BitBlt(capture.memory, 0, 0, width, height, capture.screen, 0, 0, SRCCOPY)) {
    why = "the window's pixels cannot be copied: " + sys::win32::LastErrorText();
    return false;
  }
  GdiFlush();
  try {
    sys::WriteFileBytes(path, BmpFile(static_cast<const std::uint8_t*>(bits), width, height));
  } catch (const std::runtime_error& error) {
    why = error.what();
    return false;
  }
  return true;
}

}  // namespace ui::win32
