// How the Win32 platform draws a form's fields, on real windows: a group box's frame holds
// the controls inside it (their bounds are in the box's own pixels, as on the Qt
// platform), an edit the operator cannot use is a read-only edit whose text keeps the
// window text colour rather than the grey of a disabled window, and a disabled label's
// text reads on the dialog's face.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
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
        darkest = std::min(
            darkest, static_cast<int>(GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel)));
      }
    }
  }
  ReleaseDC(window, dc);
  return darkest;
}

int Brightness(COLORREF color) {
  return GetRValue(color) + GetGValue(color) + GetBValue(color);
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

// A form with a disabled group box holding an edit, and a disabled edit of its own,
// played on the Win32 windows while check looks at them.
struct FieldForm {
  ui::TForm Form{nullptr, "FieldFrm"};
  ui::TGroupBox* Group = nullptr;
  ui::TEdit* Inside = nullptr;
  ui::TEdit* Alone = nullptr;
  ui::TLabel* Caption = nullptr;

  FieldForm() {
    Form.SetBounds(0, 0, 360, 200);
    Group = ui::Create<ui::TGroupBox>(&Form, &Form, "UserInfoGrp");
    Group->SetCaption("User");
    const int top = Group->ClientRect().Top + 6;
    Group->SetBounds(8, 8, 340, top + 21 + 8);
    Inside = ui::Create<ui::TEdit>(&Form, Group, "CorpNameEdt");
    Inside->SetBounds(10, top, 200, 21);
    Inside->SetText("WWWWWWWW");
    Group->SetEnabled(false);
    Alone = ui::Create<ui::TEdit>(&Form, &Form, "AccountNoEdt");
    Alone->SetBounds(8, 120, 200, 21);
    Alone->SetText("WWWWWWWW");
    Alone->SetEnabled(false);
    Caption = ui::Create<ui::TLabel>(&Form, &Form, "AccountNoLbl");
    Caption->SetBounds(220, 120, 120, 21);
    Caption->SetCaption("WWWWWW");
    Caption->SetEnabled(false);
  }

  void Play(const std::function<void(ui::win32::FormWindow&)>& check) {
    auto runner = std::make_unique<ui::ScriptRunner>();
    runner->RunScript("close\n");
    ui::ScriptRunner& run = *runner;
    ui::win32::Win32Desktop desktop(std::move(runner));
    run.SetOperator([&](ui::TForm&) { check(*desktop.TopWindow()); });
    desktop.ShowModal(Form);
  }
};

TEST(Win32FieldLook, AGroupBoxsFrameHoldsItsControlsWhereTheModelPutsThem) {
  FieldForm fields;
  bool checked = false;
  fields.Play([&](ui::win32::FormWindow& window) {
    const RECT group = BoundsInForm(window.WindowOf(*fields.Group), window.Handle());
    const RECT edit = BoundsInForm(window.WindowOf(*fields.Inside), window.Handle());
    // The designed pixels to the window's: the box is 340 wide.
    const double scale = (group.right - group.left) / 340.0;
    EXPECT_GE(edit.left, group.left);
    EXPECT_LE(edit.right, group.right);
    EXPECT_GE(edit.top, group.top);
    EXPECT_LE(edit.bottom, group.bottom) << "the edit crosses the box's lower frame";
    EXPECT_NEAR(edit.top - group.top, fields.Inside->Top() * scale, 1.0 + scale);
    EXPECT_NEAR(edit.left - group.left, fields.Inside->Left() * scale, 1.0 + scale);
    EXPECT_NEAR(group.bottom - edit.bottom,
                (fields.Group->Height() - fields.Inside->Top() - fields.Inside->Height()) * scale,
                1.0 + scale);
    checked = true;
  });
  EXPECT_TRUE(checked);
}

TEST(Win32FieldLook, AnEditTheOperatorCannotUseIsReadOnlyWithTheWindowTextColour) {
  FieldForm fields;
  bool checked = false;
  fields.Play([&](ui::win32::FormWindow& window) {
    for (const ui::TEdit* edit : {fields.Inside, fields.Alone}) {
      SCOPED_TRACE(edit->Name);
      HWND native = window.WindowOf(*edit);
      EXPECT_NE(GetWindowLongW(native, GWL_STYLE) & ES_READONLY, 0);
      EXPECT_TRUE(IsWindowEnabled(native)) << "a disabled edit greys its text";
      const int text = DarkestPixel(native);
      EXPECT_LT(std::abs(text - Brightness(GetSysColor(COLOR_WINDOWTEXT))),
                std::abs(text - Brightness(GetSysColor(COLOR_GRAYTEXT))))
          << "the text is drawn nearer the grey of disabled text than the window text colour";
    }
    checked = true;
  });
  EXPECT_TRUE(checked);
}

TEST(Win32FieldLook, ADisabledLabelsTextReadsOnTheDialogsFace) {
  FieldForm fields;
  double contrast = 0;
  fields.Play([&](ui::win32::FormWindow& window) {
    contrast = GreyContrast(DarkestPixel(window.WindowOf(*fields.Caption)),
                            Brightness(GetSysColor(COLOR_BTNFACE)));
  });
  EXPECT_GE(contrast, 4.4) << "the grey of a disabled label is too pale to read";
}

}  // namespace
