// The gallery's pictures: a window's pixels as a BMP file (frame included, rows bottom-up,
// blue-green-red), a played form pictured as it opens and as it is left; and the windows'
// texts in the system's mode (run once per locale).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

#include "ui/win32/WideText.h"
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
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
      value = (value << 8U) | static_cast<std::uint8_t>(Bytes[at + i]);
    }
    return value;
  }
  // The pixel at x, y from the top, as a COLORREF (red, green, blue).
  COLORREF At(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(Width) * 3 + 3) & ~std::size_t{3};
    const std::size_t at = U32(10) + (static_cast<std::size_t>(Height - 1 - y) * stride) +
                           (static_cast<std::size_t>(x) * 3);
    const auto byte = [&](std::size_t i) {
      return static_cast<COLORREF>(static_cast<std::uint8_t>(Bytes[at + i]));
    };
    return byte(2) | (byte(1) << 8U) | (byte(0) << 16U);
  }
};

Bmp ReadBmp(const std::string& path) {
  Bmp bmp;
  bmp.Bytes = sys::ReadFileBytes(path);
  if (bmp.Bytes.size() < 54) {
    ADD_FAILURE() << path << ": no bitmap header";
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

  // A played form: each picture the size of its window, numbered in the order taken.
  auto runner = std::make_unique<ui::ScriptRunner>();
  runner->RunScript("close\n");
  ui::win32::Win32Desktop desktop(std::move(runner));
  desktop.SetShotFolder(folder);
  ui::TForm form(nullptr, "ShotFrm");
  form.SetBounds(0, 0, 320, 200);
  desktop.ShowModal(form);
  for (const char* name : {"\\01-TForm.bmp", "\\02-TForm-end.bmp"}) {
    const Bmp shot = ReadBmp(folder + name);
    EXPECT_GE(shot.Width, 320) << name;
    EXPECT_GE(shot.Height, 200) << name;
  }
  EXPECT_FALSE(sys::FileExists(folder + "\\03-TForm.bmp"));
  std::filesystem::remove_all(sys::win32::Widen(folder));
}

// GBK on a Simplified-Chinese system, Big5 on a Traditional-Chinese one; file and font
// names GBK on both.
TEST(Win32WideText, ShowsAndTakesTheModulesTextInTheSystemsMode) {
  const char* locale = std::getenv("TAVRO_TEST_LOCALE");
  const bool traditional = locale != nullptr && std::string(locale) == "zh_TW";
  const std::string gbkTaiwan = "\xCC\xA8\xCD\xE5";  // 台湾
  struct Case {
    std::wstring Wide;
    std::optional<std::string> Traditional;  // the module's bytes on each system;
    std::optional<std::string> Simplified;   // none: refused there
  };
  const Case cases[] = {
      {L"臺灣", std::string("\xBB\x4F\xC6\x57"), std::string("\xC5\x5F\x9E\xB3")},
      {L"台湾", std::nullopt, gbkTaiwan},              // 湾 is no Big5 character
      {L"们", std::nullopt, std::string("\xC3\xC7")},  // Simplified only
      {L"한", std::nullopt, std::nullopt},             // in neither
      {L"ok", std::string("ok"), std::string("ok")},
  };
  for (const Case& c : cases) {
    const std::optional<std::string>& bytes = traditional ? c.Traditional : c.Simplified;
    EXPECT_EQ(ui::win32::ModelFromWide(c.Wide), bytes) << sys::win32::Narrow(c.Wide);
    if (bytes) {
      EXPECT_EQ(ui::win32::WideFromModel(*bytes), c.Wide) << sys::win32::Narrow(c.Wide);
    }
  }
  EXPECT_EQ(ui::win32::WideFromGbk("\xCB\xCE\xCC\xE5"), L"宋体");
  EXPECT_EQ(ui::win32::GbkFromWide(L"台湾"), gbkTaiwan);
}

}  // namespace
