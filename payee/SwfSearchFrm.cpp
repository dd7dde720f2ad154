// The SWIFT bank search dialog and the call that shows it.
#include "payee/SwfSearchFrm.h"

#include <string_view>

#include "frame/CommandText.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "payee/FocusKeys.h"
#include "ui/FormDesign.h"

namespace payee {

namespace {

// The designed geometry, kept as data: SwfSearchFrm.layout.
constexpr char kLayout[] =
#include "SwfSearchFrm.layout"
    ;

// A search field's text as the server receives it: as typed, bounded.
std::string Keyword(const ui::TEdit& edit) {
  return std::string(frame::GbkCut(edit.Text(), kSwfKeywordLen));
}

// Labels of this dialog are drawn in Arial over the form's layout font.
ui::TLabel* MakeLabel(const frame::TFormBuilder& build, const char* name, const char* caption) {
  ui::TLabel* label = build.Label(name, caption);
  ui::TFont font = label->Font();
  font.Name = "Arial";
  label->SetFont(font);
  return label;
}

// One search field under its label; Enter goes to the default button first, the
// arrow keys walk the tab order.
ui::TEdit* MakeSearchEdit(const frame::TFormBuilder& build, const char* name) {
  ui::TEdit* edit = build.Edit(name);
  edit->OnKeyDown = MoveFocusByKey;
  return edit;
}

}  // namespace

TSwfSearchFrm::TSwfSearchFrm(const frame::EntryArgs& call) : TDialogFrm("SwfSearchFrm", call) {
  SetCaption("Bank Swift Search");
  ui::TFont font = Font();
  font.Name = "MS Sans Serif";
  SetFont(font);

  const frame::TFormBuilder build(*this);
  BankLeftLbl = MakeLabel(build, "BankLeftLbl", "Input keyword (from left) in bank name to find");
  BankNameLeftEdt = MakeSearchEdit(build, "BankNameLeftEdt");
  BankAnyLbl = MakeLabel(build, "BankAnyLbl", "Input keyword (any position) in bank name ");
  BankNameAnyEdt = MakeSearchEdit(build, "BankNameAnyEdt");
  CityLbl = MakeLabel(build, "CityLbl", "Input keyword (any position) in bank City ");
  CityEdt = MakeSearchEdit(build, "CityEdt");
  BankSwiftLbl = MakeLabel(build, "BankSwiftLbl", "Bank Swift Code");
  BankSwiftEdt = MakeSearchEdit(build, "BankSwiftEdt");

  BankDetailsPnl = build.Add<ui::TPanel>("BankDetailsPnl");
  BankDetailsPnl->SetVisible(false);
  BankDetailsPnl->OnExit = [this](ui::TComponent*) { BankDetailsPnlExit(); };

  const frame::TFormBuilder details = build.In(*BankDetailsPnl);
  DetailsLbl = MakeLabel(details, "DetailsLbl",
                         "        BankName list                                Details");
  BankNameLbx = details.Add<ui::TListBox>("BankNameLbx");
  BankNameLbx->OnClick = [this](ui::TComponent*) { BankNameLbxClick(); };
  // The details column: name, four address lines and the SWIFT address.
  ui::TLabel** lines[] = {&NameLbl, &Addr1Lbl, &Addr2Lbl, &Addr3Lbl, &Addr4Lbl, &SwiftLbl};
  const char* names[] = {"NameLbl", "Addr1Lbl", "Addr2Lbl", "Addr3Lbl", "Addr4Lbl", "SwiftLbl"};
  for (int i = 0; i < 6; ++i) {
    *lines[i] = MakeLabel(details, names[i], "");
  }
  YesBtn = details.Button("YesBtn", "Ok");
  YesBtn->SetModalResult(ui::mrOk);
  NoBtn = details.CloseButton("NoBtn", "Cancel", false);

  FindBtn = build.Button("FindBtn", "Find", [this] { FindBtnClick(); });
  FindBtn->SetDefault(true);

  OnShow = [this](ui::TComponent*) { FormShow(); };
  ui::ApplyDesign(*this, kLayout);
}

// A code handed in by the caller is searched for at once.
void TSwfSearchFrm::FormShow() {
  if (!frame::TrimView(BankSwiftEdt->Text()).empty()) {
    FindBtnClick();
  }
}

// One search, chosen by the first keyword field that holds more than blanks: name from
// the left, name anywhere, then SWIFT code. The city narrows only the name searches.
void TSwfSearchFrm::FindBtnClick() {
  const bool byLeft = !frame::TrimView(BankNameLeftEdt->Text()).empty();
  const bool byAny = !frame::TrimView(BankNameAnyEdt->Text()).empty();
  const bool byCode = !frame::TrimView(BankSwiftEdt->Text()).empty();
  if (!byLeft && !byAny && !byCode) {
    ui::ShowMessage("Search string is empty");
  } else {
    std::string command;
    if (byLeft) {
      command = frame::FormatCommand("MB_GetSwiftBankByLeft %s,%s",
                                     {Keyword(*BankNameLeftEdt), Keyword(*CityEdt)});
    } else if (byAny) {
      command = frame::FormatCommand("MB_GetSwiftBankByAny %s,%s",
                                     {Keyword(*BankNameAnyEdt), Keyword(*CityEdt)});
    } else {
      command = frame::FormatCommand("MB_GetSwiftBankBySwfCode %s", {Keyword(*BankSwiftEdt)});
    }
    // A failed search keeps the lines; either way no line stays highlighted, so the
    // highlight never points at a bank other than the one the details show.
    ui::TStrings lines;
    if (frame::HostCommandList(ShellWnd, frame::kChannelMain, command, lines)) {
      BankNameLbx->SetItems(std::move(lines));
    }
    BankNameLbx->SetItemIndex(-1);
    BankNameLbx->SetTopIndex(0);
  }
  BankDetailsPnl->SetVisible(true);
  FocusControl(BankNameLbx);
}

// A line begins with the bank's 12-character SWIFT address; the directory gives the
// rest of the details.
void TSwfSearchFrm::BankNameLbxClick() {
  const int index = BankNameLbx->ItemIndex();
  if (index < 0) {
    return;
  }
  swfAddress_ =
      frame::GbkCut(BankNameLbx->Items()[static_cast<std::size_t>(index)], frame::kSwiftCodeLen);
  bank_ = frame::GetSwiftAddress(ShellWnd, swfAddress_);
  ShowDetails();
}

// Back in the search fields the result panel gives way until the next search.
void TSwfSearchFrm::BankDetailsPnlExit() {
  BankDetailsPnl->SetVisible(false);
}

void TSwfSearchFrm::ShowDetails() {
  NameLbl->SetCaption(bank_.Name);
  Addr1Lbl->SetCaption(bank_.Addr[0]);
  Addr2Lbl->SetCaption(bank_.Addr[1]);
  Addr3Lbl->SetCaption(bank_.Addr[2]);
  Addr4Lbl->SetCaption(bank_.Addr[3]);
  SwiftLbl->SetCaption(swfAddress_);
}

// The owner swap is undone and the dialog destroyed on every way out.
std::string ShowSwiftSearch(HWND_T owner, const std::string& initialCode) {
  ui::OwnerWindowScope ownerScope(owner);
  std::string result;
  frame::EntryArgs call;
  call.ShellWnd = owner;
  TSwfSearchFrm form(call);
  form.BankSwiftEdt->SetText(initialCode);
  if (form.ShowModal() == ui::mrOk) {
    result = frame::GbkCut(form.SelectedSwift(), frame::kSwiftCodeLen);
  }
  return result;
}

}  // namespace payee
