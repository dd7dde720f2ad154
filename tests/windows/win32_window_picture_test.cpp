// The gallery's pictures: a window's pixels as a BMP file (frame included, rows bottom-up,
// colours blue-green-red), and a played form pictured as it opens and as it is left.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "ui/win32/Win32Desktop.h"
#include "ui/win32/WindowPicture.h"
// The model's headers after the platform's: <windows.h> comes first (ui/win32/WinApi.h).
#include "sys/Files.h"
#include "tests/windows/WinTest.h"
#include "ui/Forms.h"
#include "ui/script/ScriptRunner.h"

namespace {

constexpr COLORREF kTop = 0x00C08020;     // blue-ish: red 0x20, green 0x80, blue 0xC0
constexpr COLORREF kBottom = 0x002040E0;  // red-ish

struct Bmp {
  int Width = 0;
  int Height = 0;
  std::string Bytes;
  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint8_t>(Bytes[at]) | static_cast<std::uint8_t>(Bytes[at + 1]) << 8U |
           static_cast<std::uint8_t>(Bytes[at + 2]) << 16U |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(Bytes[at + 3])) << 24U;
  }
  // The pixel at x, y from the top, as a COLORREF.
  COLORREF At(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(Width) * 3 + 3) & ~std::size_t{3};
    const std::size_t at = U32(10) + (static_cast<std::size_t>(Height - 1 - y) * stride) +
                           (static_cast<std::size_t>(x) * 3);
    const auto byte = [&](std::size_t i) {
      return static_cast<COLORREF>(static_cast<std::uint8_t>(Bytes[at + i]));
    };
    return byte(2) | (byte(1) << 8U) | (byte(0) << 16U);  // red, green, blue as COLORREF
  }
};

Bmp ReadBmp(const std::string& path) {
  Bmp bmp;
  bmp.Bytes = sys::ReadFileBytes(path);
  EXPECT_GE(bmp.Bytes.size(), 54U) << path;
  if (bmp.Bytes.size() < 54) {
    return bmp;
  }
  EXPECT_EQ(bmp.Bytes.substr(0, 2), "BM");
  EXPECT_EQ(bmp.U32(2), bmp.Bytes.size()) << "the size the header gives";
  bmp.Width = static_cast<int>(bmp.U32(18));
  bmp.Height = static_cast<int>(bmp.U32(22));
  EXPECT_EQ(bmp.U32(28) & 0xFFFFU, 24U) << "bits per pixel";
  return bmp;
}

// Paints the top half of its client area kTop and the bottom half kBottom.
LRESULT CALLBACK HalvesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT half;
  GetClientRect(window, &half);
  const LONG bottom = half.bottom;
  for (const COLORREF colour : {kTop, kBottom}) {
    half.bottom = colour == kTop ? bottom / 2 : bottom;
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &half, brush);
    DeleteObject(brush);
    half.top = half.bottom;
  }
  EndPaint(window, &paint);
  return 0;
}

TEST(Win32WindowPicture, HoldsTheWholeWindowTopSideUpInItsColours) {
  WNDCLASSW type{};
  type.lpfnWndProc = HalvesProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"TavroPictureHalves";
  RegisterClassW(&type);
  // An odd width, so that the rows need padding in the file.
  HWND window = CreateWindowExW(0, type.lpszClassName, L"halves", WS_OVERLAPPEDWINDOW, 10, 10, 203,
                                151, nullptr, nullptr, type.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  const std::string folder = sys::win32::Narrow(wintest::FreshFolder("tavro-picture").wstring());
  std::string why;
  ASSERT_TRUE(ui::win32::SaveWindowPicture(window, folder + "\\halves.bmp", why)) << why;

  RECT area;
  GetWindowRect(window, &area);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT client;
  GetClientRect(window, &client);
  const Bmp bmp = ReadBmp(folder + "\\halves.bmp");
  EXPECT_EQ(bmp.Width, area.right - area.left);
  EXPECT_EQ(bmp.Height, area.bottom - area.top);
  const int x = origin.x - area.left + (client.right / 2);
  const int y = origin.y - area.top;
  EXPECT_EQ(bmp.At(x, y + 2), kTop);
  EXPECT_EQ(bmp.At(x, y + client.bottom - 3), kBottom);
  EXPECT_EQ(bmp.At(origin.x - area.left + client.right - 1, y + client.bottom - 1), kBottom)
      << "the last pixel of a padded row";

  ShowWindow(window, SW_HIDE);
  EXPECT_FALSE(ui::win32::SaveWindowPicture(window, folder + "\\hidden.bmp", why));
  EXPECT_FALSE(sys::FileExists(folder + "\\hidden.bmp"));
  DestroyWindow(window);
  EXPECT_FALSE(ui::win32::SaveWindowPicture(window, folder + "\\gone.bmp", why));
  std::filesystem::remove_all(sys::win32::Widen(folder));
}

// Each picture the size of the form's window, numbered in the order taken.
TEST(Win32WindowPicture, APlayedFormIsPicturedAsItOpensAndAsItIsLeft) {
  auto runner = std::make_unique<ui::ScriptRunner>();
  runner->RunScript("close\n");
  ui::win32::Win32Desktop desktop(std::move(runner));
  const std::string folder = sys::win32::Narrow(wintest::FreshFolder("tavro-picture").wstring());
  desktop.SetShotFolder(folder);

  ui::TForm form(nullptr, "ShotFrm");
  form.SetBounds(0, 0, 320, 200);
  desktop.ShowModal(form);

  for (const char* name : {"\\01-TForm.bmp", "\\02-TForm-end.bmp"}) {
    const Bmp bmp = ReadBmp(folder + name);
    EXPECT_GE(bmp.Width, 320) << name;
    EXPECT_GE(bmp.Height, 200) << name;
  }
  EXPECT_FALSE(sys::FileExists(folder + "\\03-TForm.bmp"));
  std::filesystem::remove_all(sys::win32::Widen(folder));
}

}  // namespace
