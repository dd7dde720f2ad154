// How the Win32 platform draws a form's fields, on real windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "ui/win32/Win32Desktop.h"
// The model's headers after the platform's: <windows.h> comes first (ui/win32/WinApi.h).
#include "ui/Controls.h"
#include "ui/script/ScriptRunner.h"

namespace {

// A window's bounds in its form's client area.
RECT BoundsInForm(HWND window, HWND form) {
  RECT box{};
  GetWindowRect(window, &box);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
  return box;
}

int Brightness(COLORREF color) {
  return GetRValue(color) + GetGValue(color) + GetBValue(color);
}

// The sum of red, green and blue of the darkest pixel inside the window's client area:
// its text's colour, on a light background.
int DarkestPixel(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  int darkest = 3 * 255;
  for (int y = client.top; y < client.bottom; ++y) {
    for (int x = client.left; x < client.right; ++x) {
      const COLORREF pixel = GetPixel(dc, x, y);
      if (pixel != CLR_INVALID) {
        darkest = std::min(darkest, Brightness(pixel));
      }
    }
  }
  ReleaseDC(window, dc);
  return darkest;
}

// The contrast of two greys given as sums of red, green and blue (WCAG's ratio).
double GreyContrast(int a, int b) {
  const auto luminance = [](int sum) {
    const double c = sum / 765.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A disabled group box's frame holds its edit where the model puts it (in the box's own
// pixels); an edit the operator cannot use is read-only in the window text colour, not
// disabled grey; a disabled label's text reads on the dialog's face.
TEST(Win32FieldLook, GroupBoxesReadOnlyEditsAndDisabledLabels) {
  ui::TForm form(nullptr, "FieldFrm");
  form.SetBounds(0, 0, 360, 200);
  auto* group = ui::Create<ui::TGroupBox>(&form, &form, "UserInfoGrp");
  group->SetCaption("User");
  const int top = group->ClientRect().Top + 6;
  group->SetBounds(8, 8, 340, top + 21 + 8);
  auto* inside = ui::Create<ui::TEdit>(&form, group, "CorpNameEdt");
  inside->SetBounds(10, top, 200, 21);
  inside->SetText("WWWWWWWW");
  group->SetEnabled(false);
  auto* alone = ui::Create<ui::TEdit>(&form, &form, "AccountNoEdt");
  alone->SetBounds(8, 120, 200, 21);
  alone->SetText("WWWWWWWW");
  alone->SetEnabled(false);
  auto* label = ui::Create<ui::TLabel>(&form, &form, "AccountNoLbl");
  label->SetBounds(220, 120, 120, 21);
  label->SetCaption("WWWWWW");
  label->SetEnabled(false);

  auto runner = std::make_unique<ui::ScriptRunner>();
  runner->RunScript("close\n");
  ui::ScriptRunner& run = *runner;
  ui::win32::Win32Desktop desktop(std::move(runner));
  double contrast = 0;
  run.SetOperator([&](ui::TForm&) {
    ui::win32::FormWindow& window = *desktop.TopWindow();
    const RECT box = BoundsInForm(window.WindowOf(*group), window.Handle());
    const RECT edit = BoundsInForm(window.WindowOf(*inside), window.Handle());
    const double scale = (box.right - box.left) / 340.0;  // designed pixels to the window's
    EXPECT_GE(edit.left, box.left);
    EXPECT_LE(edit.right, box.right);
    EXPECT_GE(edit.top, box.top);
    EXPECT_LE(edit.bottom, box.bottom) << "the edit crosses the box's lower frame";
    EXPECT_NEAR(edit.top - box.top, inside->Top() * scale, 1.0 + scale);
    EXPECT_NEAR(edit.left - box.left, inside->Left() * scale, 1.0 + scale);
    EXPECT_NEAR(box.bottom - edit.bottom,
                (group->Height() - inside->Top() - inside->Height()) * scale, 1.0 + scale);

    for (const ui::TEdit* shown : {inside, alone}) {
      SCOPED_TRACE(shown->Name);
      HWND native = window.WindowOf(*shown);
      EXPECT_NE(GetWindowLongW(native, GWL_STYLE) & ES_READONLY, 0);
      EXPECT_TRUE(IsWindowEnabled(native)) << "a disabled edit greys its text";
      const int text = DarkestPixel(native);
      EXPECT_LT(std::abs(text - Brightness(GetSysColor(COLOR_WINDOWTEXT))),
                std::abs(text - Brightness(GetSysColor(COLOR_GRAYTEXT))))
          << "the text is nearer the grey of disabled text than the window text colour";
    }
    contrast =
        GreyContrast(DarkestPixel(window.WindowOf(*label)), Brightness(GetSysColor(COLOR_BTNFACE)));
  });
  desktop.ShowModal(form);
  EXPECT_FALSE(run.Failed());
  EXPECT_GE(contrast, 4.4) << "the grey of a disabled label is too pale to read (or no look)";
}

}  // namespace
