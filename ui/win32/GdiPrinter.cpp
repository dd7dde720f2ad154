// Printing through GDI: StartDocW, a page at a time, text placed on its baseline as
// kTextBaselineEms says, lines with the default pen.
#include "ui/win32/GdiPrinter.h"

#include <cmath>
#include <stdexcept>

#include "ui/win32/WideText.h"

namespace ui::win32 {

GdiPrinter::~GdiPrinter() {
  Release();
}

void GdiPrinter::Release() {
  if (dc_ != nullptr && printing_) {
    AbortDoc(dc_);
  }
  printing_ = false;
  if (font_ != nullptr) {
    DeleteObject(font_);
    font_ = nullptr;
  }
  if (dc_ != nullptr) {
    DeleteDC(dc_);
    dc_ = nullptr;
  }
}

void GdiPrinter::Attach(HDC dc) {
  Release();
  dc_ = dc;
}

bool GdiPrinter::Ready() {
  if (dc_ != nullptr) {
    return true;
  }
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  if (PrintDlgW(&dialog) && dialog.hDC != nullptr) {
    dc_ = dialog.hDC;
  }
  if (dialog.hDevMode != nullptr) {
    GlobalFree(dialog.hDevMode);
  }
  if (dialog.hDevNames != nullptr) {
    GlobalFree(dialog.hDevNames);
  }
  return dc_ != nullptr;
}

int GdiPrinter::PixelsPerInchX() const {
  return dc_ != nullptr ? GetDeviceCaps(dc_, LOGPIXELSX) : 600;
}

int GdiPrinter::PixelsPerInchY() const {
  return dc_ != nullptr ? GetDeviceCaps(dc_, LOGPIXELSY) : 600;
}

void GdiPrinter::BeginDoc(const std::string& title) {
  if (!Ready()) {
    throw std::runtime_error("no printer is installed");
  }
  const std::wstring name = WideFromModel(title);
  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = name.c_str();
  if (StartDocW(dc_, &document) <= 0 || StartPage(dc_) <= 0) {
    throw std::runtime_error("the printer refused the document: " + sys::win32::LastErrorText());
  }
  printing_ = true;
}

void GdiPrinter::NewPage() {
  if (printing_) {
    EndPage(dc_);
    StartPage(dc_);
  }
}

void GdiPrinter::EndDoc() {
  if (!printing_) {
    return;
  }
  printing_ = false;
  EndPage(dc_);
  ::EndDoc(dc_);
  Release();  // the next report asks again
}

void GdiPrinter::SetFont(const std::string& name, int pointSize) {
  if (dc_ == nullptr) {
    return;
  }
  emPixels_ = MulDiv(pointSize, PixelsPerInchY(), 72);
  const std::wstring face = WideFromGbk(name).substr(0, LF_FACESIZE - 1);
  HFONT font = CreateFontW(-emPixels_, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  SelectObject(dc_, font);
  if (font_ != nullptr) {
    DeleteObject(font_);
  }
  font_ = font;
}

void GdiPrinter::TextOut(int x, int y, const std::string& text) {
  if (!printing_) {
    return;
  }
  const std::wstring wide = WideFromModel(text);
  SetTextAlign(dc_, TA_BASELINE | TA_LEFT);
  SetBkMode(dc_, TRANSPARENT);
  const int baseline = y + static_cast<int>(std::lround(kTextBaselineEms * emPixels_));
  ExtTextOutW(dc_, x, baseline, 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

void GdiPrinter::Line(int x1, int y1, int x2, int y2) {
  if (!printing_) {
    return;
  }
  MoveToEx(dc_, x1, y1, nullptr);
  LineTo(dc_, x2, y2);
}

}  // namespace ui::win32
